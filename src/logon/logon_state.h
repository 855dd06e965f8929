// Process-wide state of the logon provider besides the chained provider's slots: what
// initialisation recorded.
#ifndef HVN_LOGON_LOGON_STATE_H_
#define HVN_LOGON_LOGON_STATE_H_

#include "logon/winlogon_interface.h"

namespace hvn {

struct LogonState {
  // Winlogon's handle and message box, recorded by WlxInitialize for the dialog handlers.
  HANDLE winlogon;
  WlxMessageBoxFunction message_box;
};

extern LogonState g_logon_state;

}  // namespace hvn

#endif  // HVN_LOGON_LOGON_STATE_H_
