// Kestrin.dll: the Windows Installer custom actions. Each export takes the installer session
// and returns 0 or 1603 (ERROR_INSTALL_FAILURE); every message to the user is an error number
// sent through the session, whose texts are rows of the package's error table.
#include "platform/win.h"
#include "setup/kestrin/client_actions.h"
#include "setup/kestrin/installer_message.h"
#include "setup/kestrin/server_registration.h"

namespace {

using hvn::ActionOutcome;

// Reports the outcome's error number, if any, and gives its result to the installer.
UINT Finish(MSIHANDLE session, ActionOutcome outcome) {
  if (outcome.message != 0) {
    char text[11] = {};  // up to ten decimal digits
    char* end = text + sizeof(text) - 1;
    char* digits = end;
    for (uint32_t number = outcome.message; number != 0; number /= 10) {
      *--digits = static_cast<char>('0' + number % 10);
    }
    hvn::ReportInstallerMessage(session, digits);
  }
  return outcome.result;
}

}  // namespace

extern "C" {

// The library keeps no state: nothing to set up or tear down.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}

// Registers the password filter with the Local Security Authority. Never fails the
// installation: 25000 when added, 25005 when the list could not be read or written.
UINT __stdcall ActivateServer(MSIHANDLE session) {
  switch (hvn::RegisterFilterPackage()) {
    case hvn::FilterRegistration::kAdded:
      return Finish(session, {25000, 0});
    case hvn::FilterRegistration::kFailed:
      return Finish(session, {25005, 0});
    case hvn::FilterRegistration::kPresent:
      break;
  }
  return 0;
}

// Removes every entry naming the password filter; 25010 when one was removed. Never fails.
UINT __stdcall DeactivateServer(MSIHANDLE session) {
  return Finish(session, {hvn::UnregisterFilterPackages() ? 25010u : 0u, 0});
}

UINT __stdcall ActivateClient(MSIHANDLE session) {
  return Finish(session, hvn::ActivateClientSteps());
}

UINT __stdcall DeactivateClient(MSIHANDLE session) {
  return Finish(session, hvn::DeactivateClientSteps());
}

UINT __stdcall ClientRecursiveLoadTest(MSIHANDLE session) {
  return Finish(session, hvn::RecursiveLoadSteps());
}

UINT __stdcall ClientDeactivateTest(MSIHANDLE session) {
  return Finish(session, hvn::DeactivationSafetySteps());
}

}  // extern "C"
