#include <cstring>

#include "config/client_settings.h"
#include "dialogs/dialog_requests.h"
#include "query/policy_request.h"
#include "query/reply.h"

namespace hvn {

void SendDialogRequest(RequestKind kind) {
  PasswordDialogState& state = DialogState();
  if (state.Settings == nullptr) {
    ClearReply(state.Reply, sizeof(state.Reply));
    return;
  }
  const ClientSettings& settings = *state.Settings;
  // The reference keeps the server list alive even if the host reloads the settings meanwhile.
  auto servers = settings.Servers();
  QuerySettings query{servers.Get(), settings.HVS_Port, settings.Timeout, settings.Retries,
                      settings.StrictReplySender};
  if (kind == RequestKind::kRejectionMessage) {
    SendRejectionRequest(query, state.Results, state.Domain, state.UserName, state.Request,
                         kRequestCapacity, state.Reply, sizeof(state.Reply));
  } else {
    SendRequest(query, kind, state.Domain, state.UserName, state.Request, kRequestCapacity,
                state.Reply, sizeof(state.Reply));
  }
}

void FetchReply(RequestKind kind, const char16_t* domain, const char16_t* user_name,
                char16_t* request, char16_t* reply) {
  const ClientSettings* settings = DialogState().Settings;
  if (settings == nullptr) {
    request[0] = u'\0';
    ClearReply(reply, kReplyBytes);
    return;
  }
  auto servers = settings->Servers();
  QuerySettings query{servers.Get(), settings->HVS_Port, settings->Timeout, settings->Retries};
  SendRequest(query, kind, domain, user_name, request, kRequestCapacity, reply, kReplyBytes);
}

void KeepLastReply(const char16_t* request, const char16_t* reply) {
  PasswordDialogState& state = DialogState();
  std::memcpy(state.Request, request, sizeof(state.Request));
  std::memcpy(state.Reply, reply, sizeof(state.Reply));
}

void RequestPolicyMessage() {
  SendDialogRequest(RequestKind::kPolicyMessage);
}

bool HaveReply() {
  const PasswordDialogState& state = DialogState();
  return HasReply(state.Reply, sizeof(state.Reply));
}

bool PolicyMessageWanted() {
  const PasswordDialogState& state = DialogState();
  return state.Settings != nullptr && state.Settings->DisplayPolicyMessage != 0;
}

}  // namespace hvn
