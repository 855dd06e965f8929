#include "policy_script.h"

#include <cstdlib>
#include <sstream>

namespace hvn::test {
namespace {

const char* const kKinds[] = {"30_POLICY", "30_POLICY_MESSAGE", "30_REJECTION_MESSAGE",
                              "30_GENERIC_REJECTION_MESSAGE", "*"};

std::vector<std::string> SplitTabs(const std::string& line, size_t max_fields) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (fields.size() + 1 < max_fields) {
    size_t tab = line.find('\t', start);
    if (tab == std::string::npos) break;
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

char16_t UpperAscii(char16_t c) {
  return (c >= u'a' && c <= u'z') ? c - 32 : c;
}

bool NameMatches(const std::u16string& pattern, const std::u16string& name) {
  if (pattern == u"*") return true;
  if (pattern.size() != name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (UpperAscii(pattern[i]) != UpperAscii(name[i])) return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes the escapes of a reply payload; false on an unknown or cut escape.
bool DecodeEscapes(const std::u16string& in, std::u16string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != u'\\') {
      out.push_back(in[i]);
      continue;
    }
    if (++i >= in.size()) return false;
    switch (in[i]) {
      case u'a':
        out.push_back(u'\a');
        break;
      case u'0':
        out.push_back(u'\0');
        break;
      case u't':
        out.push_back(u'\t');
        break;
      case u'n':
        out.push_back(u'\n');
        break;
      case u'r':
        out.push_back(u'\r');
        break;
      case u'\\':
        out.push_back(u'\\');
        break;
      case u'u': {
        if (i + 4 >= in.size()) return false;
        unsigned value = 0;
        for (int k = 1; k <= 4; ++k) {
          int digit = in[i + k] < 128 ? HexValue(static_cast<char>(in[i + k])) : -1;
          if (digit < 0) return false;
          value = value * 16 + static_cast<unsigned>(digit);
        }
        out.push_back(static_cast<char16_t>(value));
        i += 4;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

bool DecodeHex(const std::string& in, std::string& out) {
  out.clear();
  int high = -1;
  for (char c : in) {
    if (c == ' ' || c == '\t') continue;
    int digit = HexValue(c);
    if (digit < 0) return false;
    if (high < 0) {
      high = digit;
    } else {
      out.push_back(static_cast<char>(high * 16 + digit));
      high = -1;
    }
  }
  return high < 0;
}

bool ParseAction(const std::string& action, ScriptRule& rule) {
  std::istringstream words(action);
  std::string word;
  bool has_mode = false;
  while (words >> word) {
    if (word == "reply" || word == "raw" || word == "silent") {
      if (has_mode) return false;
      has_mode = true;
      rule.mode = word == "reply" ? ReplyMode::kReply
                  : word == "raw" ? ReplyMode::kRaw
                                  : ReplyMode::kSilent;
    } else if (word.rfind("delay=", 0) == 0) {
      rule.delay_ms = static_cast<uint32_t>(std::strtoul(word.c_str() + 6, nullptr, 10));
    } else if (word.rfind("pad=", 0) == 0) {
      rule.pad_to_bytes = static_cast<size_t>(std::strtoul(word.c_str() + 4, nullptr, 10));
    } else if (word == "other-port") {
      rule.other_port = true;
    } else if (word.rfind("other-address=", 0) == 0) {
      rule.other_address = word.substr(14);
    } else if (word == "decoy") {
      rule.decoy = true;
    } else {
      return false;
    }
  }
  return has_mode;
}

void AppendUtf16Le(const std::u16string& text, std::string& out) {
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
}

std::u16string ReplacePlaceholders(const std::u16string& text,
                                   const std::vector<std::u16string>& fields) {
  std::u16string codes;
  for (size_t i = 3; i < fields.size(); ++i) {
    if (fields[i].empty()) continue;
    if (!codes.empty()) codes += u", ";
    codes += fields[i];
  }
  const std::u16string domain = fields.size() > 1 ? fields[1] : u"";
  const std::u16string user = fields.size() > 2 ? fields[2] : u"";
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 8, u"{domain}") == 0) {
      out += domain;
      i += 8;
    } else if (text.compare(i, 6, u"{user}") == 0) {
      out += user;
      i += 6;
    } else if (text.compare(i, 7, u"{codes}") == 0) {
      out += codes;
      i += 7;
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}

void AppendUtf8(uint32_t code_point, std::string& out) {
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    size_t extra = lead < 0x80         ? 0
                   : (lead >> 5) == 6  ? 1
                   : (lead >> 4) == 14 ? 2
                   : (lead >> 3) == 30 ? 3
                                       : 9;
    uint32_t code_point = extra == 0   ? lead
                          : extra == 1 ? (lead & 0x1F)
                          : extra == 2 ? (lead & 0x0F)
                                       : (lead & 0x07);
    bool valid = extra <= 3;
    if (valid) {
      for (size_t k = 1; k <= extra; ++k) {
        if (i + k >= utf8.size()) {
          valid = false;
          break;
        }
        unsigned char next = static_cast<unsigned char>(utf8[i + k]);
        if ((next & 0xC0) != 0x80) {
          valid = false;
          break;
        }
        code_point = (code_point << 6) | (next & 0x3F);
      }
    }
    if (!valid || code_point > 0x10FFFF) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (code_point >= 0x10000) {
      code_point -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code_point));
    }
    i += extra + 1;
  }
  return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00), out);
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(0xFFFD, out);
    } else {
      AppendUtf8(unit, out);
    }
  }
  return out;
}

bool ParsePolicyScript(const std::string& utf8, PolicyScript& script, std::string& error) {
  script.rules.clear();
  std::istringstream lines(utf8);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields = SplitTabs(line, 5);
    ScriptRule rule;
    bool known_kind = false;
    if (fields.size() >= 4) {
      for (const char* kind : kKinds) known_kind = known_kind || fields[0] == kind;
    }
    if (!known_kind || !ParseAction(fields[3], rule)) {
      error = "line " + std::to_string(number) + ": expected KIND, DOMAIN, USER, ACTION";
      return false;
    }
    rule.kind = fields[0];
    rule.domain = Utf8ToUtf16(fields[1]);
    rule.user = Utf8ToUtf16(fields[2]);
    std::string payload = fields.size() > 4 ? fields[4] : "";
    bool payload_ok = rule.mode == ReplyMode::kRaw ? DecodeHex(payload, rule.bytes)
                                                   : DecodeEscapes(Utf8ToUtf16(payload), rule.text);
    if (!payload_ok) {
      error = "line " + std::to_string(number) + ": malformed payload";
      return false;
    }
    script.rules.push_back(rule);
  }
  return true;
}

std::u16string WireText(const std::string& wire) {
  std::u16string text;
  for (size_t i = 0; i + 1 < wire.size(); i += 2) {
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(wire[i]) |
                                         (static_cast<unsigned char>(wire[i + 1]) << 8)));
  }
  return text;
}

std::vector<std::u16string> RequestFields(const std::string& wire) {
  std::u16string text = WireText(wire);
  std::vector<std::u16string> fields;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\0') {
      fields.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < text.size()) fields.push_back(text.substr(start));
  return fields;
}

ScriptAnswer AnswerRequest(const PolicyScript& script, const std::string& wire) {
  ScriptAnswer answer;
  std::vector<std::u16string> fields = RequestFields(wire);
  const std::u16string kind = fields.size() > 0 ? fields[0] : u"";
  const std::u16string domain = fields.size() > 1 ? fields[1] : u"";
  const std::u16string user = fields.size() > 2 ? fields[2] : u"";
  for (const ScriptRule& rule : script.rules) {
    if (rule.kind != "*" && Utf8ToUtf16(rule.kind) != kind) continue;
    if (!NameMatches(rule.domain, domain) || !NameMatches(rule.user, user)) continue;
    if (rule.mode == ReplyMode::kSilent) return answer;
    answer.send = true;
    answer.delay_ms = rule.delay_ms;
    answer.other_port = rule.other_port;
    answer.other_address = rule.other_address;
    answer.decoy = rule.decoy;
    if (rule.mode == ReplyMode::kRaw) {
      answer.datagram = rule.bytes;
    } else {
      AppendUtf16Le(ReplacePlaceholders(rule.text, fields), answer.datagram);
    }
    while (answer.datagram.size() < rule.pad_to_bytes) {
      answer.datagram.push_back('x');
      if (answer.datagram.size() < rule.pad_to_bytes) answer.datagram.push_back('\0');
    }
    return answer;
  }
  return answer;
}

std::string LogLine(const std::string& wire) {
  std::u16string text = WireText(wire);
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    switch (c) {
      case u'\0':
        line += "\\0";
        continue;
      case u'\a':
        line += "\\a";
        continue;
      case u'\t':
        line += "\\t";
        continue;
      case u'\n':
        line += "\\n";
        continue;
      case u'\r':
        line += "\\r";
        continue;
      case u'\\':
        line += "\\\\";
        continue;
      default:
        break;
    }
    bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF;
    if (pair) {
      line += Utf16ToUtf8(text.substr(i, 2));
      ++i;
    } else if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF)) {
      char escape[8];
      static const char kHex[] = "0123456789ABCDEF";
      escape[0] = '\\';
      escape[1] = 'u';
      for (int k = 0; k < 4; ++k) escape[2 + k] = kHex[(c >> (12 - 4 * k)) & 0xF];
      line.append(escape, 6);
    } else {
      line += Utf16ToUtf8(std::u16string(1, c));
    }
  }
  if (wire.size() % 2 != 0) {
    static const char kHex[] = "0123456789ABCDEF";
    unsigned char last = static_cast<unsigned char>(wire.back());
    line += "\\x";
    line.push_back(kHex[last >> 4]);
    line.push_back(kHex[last & 0xF]);
  }
  return line;
}

}  // namespace hvn::test
