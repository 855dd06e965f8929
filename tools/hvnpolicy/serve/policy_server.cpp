#include "serve/policy_server.h"

#include "base/utf8_text.h"
#include "serve/policy_messages.h"

namespace hvn::tool {
namespace {

const RequestKind kKinds[] = {RequestKind::kPolicy, RequestKind::kPolicyMessage,
                              RequestKind::kRejectionMessage,
                              RequestKind::kGenericRejectionMessage};

// The code of a failed-rule field ("2600"), or 0 when the field is none.
uint32_t RuleCode(const std::u16string& field) {
  if (field.empty() || field.size() > 4) return 0;
  uint32_t code = 0;
  for (char16_t c : field) {
    if (c < u'0' || c > u'9') return 0;
    code = code * 10 + (c - u'0');
  }
  return code;
}

}  // namespace

const char* ParseRequest(const char* data, size_t size, ServerRequest& request) {
  request = ServerRequest();
  if (size % 2 != 0) return "an odd number of bytes";
  if (size > kMaxRequestBytes) return "longer than any request";
  size_t field_number = 0;
  std::u16string field;
  bool rejection = false;
  bool codes_ended = false;
  for (size_t i = 0; i < size; i += 2) {
    char16_t c = static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                       (static_cast<unsigned char>(data[i + 1]) << 8));
    if (c != u'\0') {
      field += c;
      continue;
    }
    if (field_number == 0) {
      bool known = false;
      for (RequestKind kind : kKinds) {
        if (field == RequestKindName(kind)) {
          request.kind = kind;
          known = true;
        }
      }
      if (!known) return "an unknown request kind";
      rejection = request.kind == RequestKind::kRejectionMessage;
    } else if (field_number == 1) {
      if (field.size() > kMaxRequestName) return "a domain longer than a client sends";
      request.domain = field;
    } else if (field_number == 2) {
      if (field.size() > kMaxRequestName) return "a user name longer than a client sends";
      request.user = field;
    } else if (rejection && !codes_ended) {
      codes_ended = field.empty();
      if (uint32_t code = RuleCode(field); code != 0) request.failed_codes.push_back(code);
    }
    ++field_number;
    field.clear();
  }
  if (field_number < 3) return "fewer than three fields";
  return nullptr;
}

std::string AnswerRequest(const PolicyStore& store, const ServerRequest& request,
                          std::string& summary) {
  const StoredPolicy* stored = store.Select(request.domain, request.user);
  if (stored == nullptr) {
    summary = "no policy applies: empty reply";
    return std::string(2, '\0');
  }
  std::string reply;
  if (request.kind == RequestKind::kPolicy) {
    reply = stored->wire;  // formed when loaded, and refused then if a client could not read it
  } else {
    const MessageKind kind = request.kind == RequestKind::kPolicyMessage ? MessageKind::kPolicy
                             : request.kind == RequestKind::kRejectionMessage
                                 ? MessageKind::kRejection
                                 : MessageKind::kGenericRejection;
    reply = Utf16LeBytes(
        ComposeMessage(kind, *stored, request.domain, request.user, request.failed_codes) + u'\0');
  }
  if (reply.empty()) reply.assign(2, '\0');
  summary = "policy \"" + stored->name + "\", " + std::to_string(reply.size()) + " bytes";
  return reply;
}

std::string AnswerRequest(const PolicyStore& store, const char* data, size_t size,
                          std::string& summary) {
  ServerRequest request;
  if (const char* problem = ParseRequest(data, size, request); problem != nullptr) {
    summary = std::string("not a request (") + problem + "): no reply";
    return "";
  }
  return AnswerRequest(store, request, summary);
}

}  // namespace hvn::tool
