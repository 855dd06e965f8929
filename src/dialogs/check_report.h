// What a password-change check tells its host when it lets a change through unchecked or
// refuses it, so that the host can keep a record for the administrator. A report never carries
// the password or any piece of it, nor a dictionary entry the password matched.
#ifndef HVN_DIALOGS_CHECK_REPORT_H_
#define HVN_DIALOGS_CHECK_REPORT_H_

#include <cstddef>
#include <cstdint>

namespace hvn {

enum class CheckFinding : uint8_t {
  kRefused,           // the password failed the policy and the server's text was shown
  kNoServerListed,    // HVServers names no policy server for the domain
  kNoServerAnswered,  // the domain's servers were asked and none answered
  kRepliesDropped,    // datagrams came, but StrictReplySender dropped every one
  kNoPolicy,          // the servers answered with an empty reply: no policy applies
  kNoRuleEnabled,     // the policy reply enabled no rule, so nothing was checked
  kRuleNotEvaluable,  // a rule could not be evaluated, and the password passed the others
  kNoRejectionText,   // the password failed, but no server sent the text to refuse it with
};

constexpr size_t kCheckDetailSize = 512;  // bytes of a report's detail, NUL included

struct CheckReport {
  CheckFinding Finding;
  const char16_t* UserName;
  const char16_t* Domain;
  // ANSI: the failed rule codes ("2300, 2600") for kRefused and kNoRejectionText, the rule and
  // why it could not be evaluated for kRuleNotEvaluable, else the servers asked ("dc1, dc2").
  const char* Detail;
};

// The host's receiver of reports: HVNc32 writes them to the event log. Called on the checking
// thread, with no lock held, after the check has decided and before any rejection box.
using CheckReportFunction = void (*)(const CheckReport& report);

}  // namespace hvn

#endif  // HVN_DIALOGS_CHECK_REPORT_H_
