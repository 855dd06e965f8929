// Hands Winlogon's message box to the dialog handlers and the check, which show the policy
// and rejection texts through it.
#ifndef HVN_LOGON_LOGON_HOST_H_
#define HVN_LOGON_LOGON_HOST_H_

#include "logon/winlogon_interface.h"

namespace hvn {

// Makes `message_box` (called with `winlogon` as its host handle) the message-box service of
// the intercepted password dialogs. A null function leaves the dialogs without message boxes.
void SetLogonHost(HANDLE winlogon, WlxMessageBoxFunction message_box);

}  // namespace hvn

#endif  // HVN_LOGON_LOGON_HOST_H_
