// The questions the dialog code puts to the policy servers, with the recorded domain and user
// name of the dialog state and the host's settings (server list, port, time-out, retries).
// Every reply lands in the state's reply buffer; its first string is empty when no server
// answered. Windows build only.
#ifndef HVN_DIALOGS_DIALOG_REQUESTS_H_
#define HVN_DIALOGS_DIALOG_REQUESTS_H_

#include <cstdint>

#include "dialogs/password_dialog_state.h"
#include "query/request.h"

namespace hvn {

// Formats a request of `kind` with the recorded domain and user name into the request buffer
// and sends it; a rejection request names the failed rules of the state's results. Without
// settings nothing is sent and the reply is empty. The one way the clients ask a server.
void SendDialogRequest(RequestKind kind);

// Asks for the policy message of the recorded domain and user name ("30_POLICY_MESSAGE").
void RequestPolicyMessage();

// A request of `kind` for `domain` and `user_name` in the caller's own buffers (`request` of
// kRequestCapacity characters, `reply` of kReplyBytes bytes): the record is not touched, so a
// handler waits for a slow server without holding the record's lock. Without settings nothing is
// sent and the reply is empty.
void FetchReply(RequestKind kind, const char16_t* domain, const char16_t* user_name,
                char16_t* request, char16_t* reply);

// Keeps a request and its reply fetched with FetchReply as the record's last ones. Call with
// the record's lock held.
void KeepLastReply(const char16_t* request, const char16_t* reply);

// True when the reply buffer holds a reply (its first string is non-empty).
bool HaveReply();

// True when the host's settings ask for the policy message to be shown.
bool PolicyMessageWanted();

}  // namespace hvn

#endif  // HVN_DIALOGS_DIALOG_REQUESTS_H_
