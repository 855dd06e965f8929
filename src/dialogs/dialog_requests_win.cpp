#include <cstring>

#include "config/client_settings.h"
#include "dialogs/dialog_requests.h"
#include "dialogs/dialog_window_ops.h"
#include "query/reply.h"

namespace hvn {

RequestSettings::RequestSettings(const ClientSettings* settings) : query_{nullptr, 0, 0, 0, 0} {
  if (settings == nullptr) return;
  // The reference keeps the server list alive even if the host reloads the settings meanwhile.
  servers_ = settings->Servers();
  query_ = QuerySettings{servers_.Get(), settings->HVS_Port, settings->Timeout, settings->Retries,
                         settings->StrictReplySender};
}

void FetchReply(RequestKind kind, const char16_t* domain, const char16_t* user_name,
                char16_t* request, char16_t* reply, SweepReport* report) {
  RequestSettings settings(DialogState().Settings);
  SendRequest(settings.Query(), kind, domain, user_name, request, kRequestCapacity, reply,
              kReplyBytes, report);
}

void FetchRejection(const RuleResults& results, const char16_t* domain, const char16_t* user_name,
                    char16_t* request, char16_t* reply, SweepReport* report) {
  RequestSettings settings(DialogState().Settings);
  SendRejectionRequest(settings.Query(), results, domain, user_name, request, kRequestCapacity,
                       reply, kReplyBytes, report);
}

void KeepLastReply(const char16_t* request, const char16_t* reply) {
  PasswordDialogState& state = DialogState();
  std::memcpy(state.Request, request, sizeof(state.Request));
  std::memcpy(state.Reply, reply, sizeof(state.Reply));
}

void FetchForRecordedDialog(RequestKind kind, char16_t* reply) {
  PasswordDialogState& state = DialogState();
  char16_t domain[kDialogTextSize];
  char16_t user_name[kDialogTextSize];
  {
    DialogStateLock lock;
    CopyText(domain, kDialogTextSize, state.Domain);
    CopyText(user_name, kDialogTextSize, state.UserName);
  }
  char16_t request[kRequestCapacity] = {};
  FetchReply(kind, domain, user_name, request, reply);
  DialogStateLock lock;
  KeepLastReply(request, reply);
}

void RequestPolicyMessage() {
  char16_t reply[kReplyBytes / sizeof(char16_t)];
  FetchForRecordedDialog(RequestKind::kPolicyMessage, reply);
}

bool PolicyMessageWanted() {
  const PasswordDialogState& state = DialogState();
  return state.Settings != nullptr && state.Settings->DisplayPolicyMessage != 0;
}

}  // namespace hvn
