#include "serve/policy_server.h"

#include <cstdio>

#include "base/policy_wire.h"
#include "base/utf8_text.h"
#include "serve/policy_messages.h"

namespace hvn::tool {
namespace {

std::string Bytes(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

// The failed rule codes of a rejection request: its fields after the user name, up to the
// empty one. Anything that is not a rule code is ignored.
std::vector<uint32_t> FailedCodes(const ServerRequest& request) {
  std::vector<uint32_t> codes;
  for (const std::u16string& field : request.fields) {
    if (field.empty()) break;
    if (field.size() > 4) continue;
    uint32_t code = 0;
    bool digits = true;
    for (char16_t c : field) {
      digits = digits && c >= u'0' && c <= u'9';
      code = code * 10 + (c - u'0');
    }
    if (digits) codes.push_back(code);
  }
  return codes;
}

}  // namespace

bool ParseRequest(const char* data, size_t size, ServerRequest& request) {
  request = ServerRequest();
  if (size % 2 != 0) return false;
  std::vector<std::u16string> fields;
  std::u16string field;
  for (size_t i = 0; i < size; i += 2) {
    char16_t c = static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                       (static_cast<unsigned char>(data[i + 1]) << 8));
    if (c == u'\0') {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  if (fields.size() < 3) return false;
  request.kind = fields[0];
  request.domain = fields[1];
  request.user = fields[2];
  request.fields.assign(fields.begin() + 3, fields.end());
  return true;
}

std::string EscapeDatagram(const char* data, size_t size) {
  std::string out;
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                  (static_cast<unsigned char>(data[i + 1]) << 8));
  for (char16_t c : text) {
    switch (c) {
      case u'\0':
        out += "\\0";
        break;
      case u'\a':
        out += "\\a";
        break;
      case u'\t':
        out += "\\t";
        break;
      case u'\r':
        out += "\\r";
        break;
      case u'\n':
        out += "\\n";
        break;
      case u'\\':
        out += "\\\\";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof(hex), "\\u%04X", static_cast<unsigned>(c));
          out += hex;
        } else {
          out += EncodeUtf8(std::u16string(1, c));
        }
    }
  }
  if (size % 2 != 0) {
    char hex[8];
    std::snprintf(hex, sizeof(hex), "\\x%02X", static_cast<unsigned char>(data[size - 1]));
    out += hex;
  }
  return out;
}

std::string AnswerRequest(const PolicyStore& store, const char* data, size_t size,
                          std::string& summary) {
  ServerRequest request;
  if (!ParseRequest(data, size, request)) {
    summary = "not a request: no reply";
    return "";
  }
  MessageKind message_kind;
  bool policy_request = false;
  if (request.kind == u"30_POLICY") {
    policy_request = true;
    message_kind = MessageKind::kPolicy;
  } else if (request.kind == u"30_POLICY_MESSAGE") {
    message_kind = MessageKind::kPolicy;
  } else if (request.kind == u"30_REJECTION_MESSAGE") {
    message_kind = MessageKind::kRejection;
  } else if (request.kind == u"30_GENERIC_REJECTION_MESSAGE") {
    message_kind = MessageKind::kGenericRejection;
  } else {
    summary = "unknown request kind: no reply";
    return "";
  }
  const StoredPolicy* stored = store.Select(request.domain, request.user);
  if (stored == nullptr) {
    summary = "no policy applies: empty reply";
    return std::string(2, '\0');
  }
  std::u16string text;
  if (policy_request) {
    std::vector<std::string> problems;
    text = FormatPolicyReply(stored->policy, stored->rule2900_text, problems);
    if (text.size() > kMaxReplyCharacters) text.resize(kMaxReplyCharacters);
  } else {
    text =
        ComposeMessage(message_kind, *stored, request.domain, request.user, FailedCodes(request));
    text += u'\0';
  }
  std::string reply = Bytes(text);
  if (reply.empty()) reply.assign(2, '\0');
  summary = "policy \"" + stored->name + "\", " + std::to_string(reply.size()) + " bytes";
  return reply;
}

}  // namespace hvn::tool
