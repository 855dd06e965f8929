// Messages to the user go through the installer session as error numbers: the package's error
// table holds the texts, so the installer shows the row of the number sent (or nothing when it
// runs without user interface).
#ifndef HVN_SETUP_KESTRIN_INSTALLER_MESSAGE_H_
#define HVN_SETUP_KESTRIN_INSTALLER_MESSAGE_H_

#include "platform/win.h"
// clang-format off
#include <msi.h>
// clang-format on

namespace hvn {

// Sends `number` (a decimal text, e.g. "25000") to `session` as a user message with the
// information icon and an OK button. The installer's answer is not used.
void ReportInstallerMessage(MSIHANDLE session, const char* number);

}  // namespace hvn

#endif  // HVN_SETUP_KESTRIN_INSTALLER_MESSAGE_H_
