// The questions the dialog code puts to the policy servers, with the host's settings (server
// list, port, time-out, retries, strict sender). Every request of either client goes through
// RequestSettings, so a setting reaches all four kinds at once. Windows build only.
#ifndef HVN_DIALOGS_DIALOG_REQUESTS_H_
#define HVN_DIALOGS_DIALOG_REQUESTS_H_

#include <cstdint>

#include "config/server_list_ref.h"
#include "dialogs/password_dialog_state.h"
#include "query/policy_request.h"
#include "query/policy_servers.h"
#include "query/request.h"

namespace hvn {

// Where and how a request asks, built from the host's ClientSettings in this one place: the
// server list (held while this object lives, whatever reload happens meanwhile), HVS_Port,
// Timeout, Retries and StrictReplySender. Without settings it names no server: nothing is sent.
class RequestSettings {
 public:
  explicit RequestSettings(const ClientSettings* settings);
  const QuerySettings& Query() const { return query_; }

 private:
  ServerListRef servers_;
  QuerySettings query_;
};

// Formats a request of `kind` for `domain` and `user_name` into `request` (kRequestCapacity
// characters) and sends it with the host's settings; the reply lands in `reply` (kReplyBytes
// bytes), its first string empty when no server answered; `report`, when given, what the sweep
// saw (the servers asked, answers, dropped datagrams). Touches no shared record, so the caller
// holds no lock while it waits.
void FetchReply(RequestKind kind, const char16_t* domain, const char16_t* user_name,
                char16_t* request, char16_t* reply, SweepReport* report = nullptr);

// The same for the rejection request, which names the failed rules of `results`.
void FetchRejection(const RuleResults& results, const char16_t* domain, const char16_t* user_name,
                    char16_t* request, char16_t* reply, SweepReport* report = nullptr);

// Keeps a request and its reply as the record's last ones. Call with the record's lock held.
void KeepLastReply(const char16_t* request, const char16_t* reply);

// Sends a request of `kind` (not a rejection) for the recorded domain and user name and keeps
// the request and its reply as the record's last ones; `reply` (kReplyBytes bytes) receives the
// reply too. Takes the record's lock only to read the names and to keep the reply, never while
// it waits.
void FetchForRecordedDialog(RequestKind kind, char16_t* reply);

// Asks for the policy message of the recorded domain and user name ("30_POLICY_MESSAGE"), as
// FetchForRecordedDialog.
void RequestPolicyMessage();

// True when the host's settings ask for the policy message to be shown.
bool PolicyMessageWanted();

}  // namespace hvn

#endif  // HVN_DIALOGS_DIALOG_REQUESTS_H_
