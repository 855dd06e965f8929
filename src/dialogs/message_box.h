// The title and styles of every message box the clients show. Each box is task-modal, brought
// to the foreground and kept on top, so that it is seen above Winlogon's desktop.
#ifndef HVN_DIALOGS_MESSAGE_BOX_H_
#define HVN_DIALOGS_MESSAGE_BOX_H_

#include "platform/win.h"

namespace hvn {

// The title of every message box the system shows (ASCII, so it widens character by character).
constexpr char kMessageBoxTitle[] = "Halvern";

// What every box of the system shares.
constexpr UINT kMessageBoxModality = MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST;
// A rejection text: the password was refused.
constexpr UINT kRejectionBoxStyle = MB_OK | MB_ICONHAND | kMessageBoxModality;
// The policy message shown when a password dialog opens.
constexpr UINT kPolicyBoxStyle = MB_OK | MB_ICONINFORMATION | kMessageBoxModality;
static_assert(kRejectionBoxStyle == 0x52010 && kPolicyBoxStyle == 0x52040,
              "the styles the policy server's administrators know");

}  // namespace hvn

#endif  // HVN_DIALOGS_MESSAGE_BOX_H_
