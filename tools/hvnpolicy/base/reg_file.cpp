#include "base/reg_file.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "base/utf8_text.h"
#include "config/registry_tree.h"

namespace hvn::tool {
namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char a = text[i], b = prefix[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

// The file's lines as ANSI texts: UTF-16LE (with its byte-order mark) or UTF-8 is converted,
// anything else is taken as the ANSI code page already.
std::vector<std::string> AnsiLines(const std::string& bytes, bool& unicode_values) {
  std::u16string wide;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8));
  } else {
    size_t skip = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (!DecodeUtf8(bytes.data() + skip, bytes.size() - skip, wide))
      wide = FromAnsi(bytes.substr(skip));
  }
  std::string ansi = ToAnsi(wide);
  std::vector<std::string> lines;
  std::string line;
  for (char c : ansi) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  lines.push_back(line);
  unicode_values = !lines.empty() && StartsWithNoCase(lines[0], "Windows Registry Editor");
  return lines;
}

bool ParseHexBytes(const std::string& text, std::string& out) {
  out.clear();
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == ',')) ++i;
    if (i >= text.size()) break;
    if (i + 1 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i])) ||
        !std::isxdigit(static_cast<unsigned char>(text[i + 1])))
      return false;
    out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    i += 2;
  }
  return true;
}

// Registry texts in a "Version 5.00" file are UTF-16LE; the ANSI calls store them narrow.
std::string NarrowUnicodeData(const std::string& data) {
  std::u16string wide;
  for (size_t i = 0; i + 1 < data.size(); i += 2)
    wide += static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                  (static_cast<unsigned char>(data[i + 1]) << 8));
  return ToAnsi(wide);
}

// Parses `"name"` or `@` at the start of `line`; `rest` is what follows the '='.
bool ParseValueName(const std::string& line, std::string& name, std::string& rest) {
  size_t i = 0;
  name.clear();
  if (line[0] == '@') {
    i = 1;
  } else {
    for (i = 1; i < line.size() && line[i] != '"'; ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      name += line[i];
    }
    if (i >= line.size()) return false;
    ++i;
  }
  while (i < line.size() && line[i] == ' ') ++i;
  if (i >= line.size() || line[i] != '=') return false;
  rest = line.substr(i + 1);
  while (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
  return true;
}

bool ParseData(const std::string& rest, bool unicode_values, uint32_t& type, std::string& data) {
  if (!rest.empty() && rest[0] == '"') {
    data.clear();
    size_t i = 1;
    for (; i < rest.size() && rest[i] != '"'; ++i) {
      if (rest[i] == '\\' && i + 1 < rest.size()) ++i;
      data += rest[i];
    }
    if (i >= rest.size()) return false;
    type = REG_SZ;
    data += '\0';
    return true;
  }
  if (StartsWithNoCase(rest, "dword:")) {
    std::string digits = rest.substr(6);
    if (digits.empty() || digits.size() > 8) return false;
    for (char c : digits)
      if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    uint32_t value = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
    type = REG_DWORD;
    data.assign(reinterpret_cast<const char*>(&value), 4);
    return true;
  }
  if (StartsWithNoCase(rest, "hex:")) {
    type = REG_BINARY;
    return ParseHexBytes(rest.substr(4), data);
  }
  if (StartsWithNoCase(rest, "hex(")) {
    size_t close = rest.find("):");
    if (close == std::string::npos || close < 5 || close > 12) return false;
    std::string digits = rest.substr(4, close - 4);
    for (char c : digits)
      if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    type = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
    if (!ParseHexBytes(rest.substr(close + 2), data)) return false;
    if (unicode_values && (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ))
      data = NarrowUnicodeData(data);
    return true;
  }
  return false;
}

}  // namespace

bool SplitRegistryPath(const std::string& path, HKEY& root, std::string& subkey) {
  struct RootName {
    const char* name;
    HKEY root;
  };
  const RootName roots[] = {{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                            {"HKLM", HKEY_LOCAL_MACHINE},
                            {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                            {"HKCU", HKEY_CURRENT_USER}};
  for (const RootName& candidate : roots) {
    size_t n = std::strlen(candidate.name);
    if (!StartsWithNoCase(path, candidate.name)) continue;
    if (path.size() == n) {
      root = candidate.root;
      subkey.clear();
      return true;
    }
    if (path[n] != '\\') continue;
    root = candidate.root;
    subkey = path.substr(n + 1);
    return true;
  }
  return false;
}

bool ImportRegFile(const std::string& text, std::string& error) {
  bool unicode_values = false;
  std::vector<std::string> lines = AnsiLines(text, unicode_values);
  if (lines.empty() || (!StartsWithNoCase(lines[0], "REGEDIT4") && !unicode_values)) {
    error = "line 1: not a registry file (REGEDIT4 or Windows Registry Editor Version 5.00)";
    return false;
  }
  platform::UniqueKey key;
  for (size_t i = 1; i < lines.size(); ++i) {
    const size_t number = i + 1;
    std::string line = lines[i];
    // A hex value continues over lines that end in a backslash.
    while (!line.empty() && line.back() == '\\' && i + 1 < lines.size()) {
      line.pop_back();
      line += lines[++i];
    }
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == ';') continue;
    line = line.substr(start);
    auto fail = [&](const char* what) {
      error = "line " + std::to_string(number) + ": " + what;
      return false;
    };
    if (line[0] == '[') {
      size_t close = line.rfind(']');
      if (close == std::string::npos) return fail("a key line without its ']'");
      bool remove = line[1] == '-';
      std::string path = line.substr(remove ? 2 : 1, close - (remove ? 2 : 1));
      HKEY root;
      std::string subkey;
      if (!SplitRegistryPath(path, root, subkey) || subkey.empty())
        return fail("a key outside HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER");
      key.Reset();
      if (remove) {
        DeleteRegistryTree(root, subkey.c_str());
        continue;
      }
      if (::RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr) != 0)
        return fail("the key cannot be created");
      continue;
    }
    if (line[0] != '"' && line[0] != '@') return fail("neither a key, a value nor a comment");
    if (!key.IsValid()) return fail("a value before the first key");
    std::string name, rest, data;
    uint32_t type = 0;
    if (!ParseValueName(line, name, rest)) return fail("a value name without its '='");
    if (rest == "-") {
      ::RegDeleteValueA(key.Get(), name.c_str());
      continue;
    }
    if (!ParseData(rest, unicode_values, type, data)) return fail("a value that cannot be read");
    if (::RegSetValueExA(key.Get(), name.empty() ? nullptr : name.c_str(), 0, type,
                         reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size())) != 0)
      return fail("the value cannot be stored");
  }
  return true;
}

}  // namespace hvn::tool
