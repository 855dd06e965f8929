#include "dialogs/password_dialog_state.h"
#include "logon/logon_host.h"

namespace hvn {

void SetLogonHost(HANDLE winlogon, WlxMessageBoxFunction message_box) {
  DialogState().MessageBox.Function = message_box;
  DialogState().MessageBox.Host = winlogon;
}

}  // namespace hvn
