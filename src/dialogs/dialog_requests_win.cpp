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
  SendRequest(query, kind, state.Domain, state.UserName, state.Request, kRequestCapacity,
              state.Reply, sizeof(state.Reply));
}

void SendDialogRejectionRequest() {
  PasswordDialogState& state = DialogState();
  if (state.Settings == nullptr) {
    ClearReply(state.Reply, sizeof(state.Reply));
    return;
  }
  const ClientSettings& settings = *state.Settings;
  auto servers = settings.Servers();
  QuerySettings query{servers.Get(), settings.HVS_Port, settings.Timeout, settings.Retries,
                      settings.StrictReplySender};
  SendRejectionRequest(query, state.Results, state.Domain, state.UserName, state.Request,
                       kRequestCapacity, state.Reply, sizeof(state.Reply));
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
