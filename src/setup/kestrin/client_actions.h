// The client custom actions as steps on the installation library: what each one does and what
// it tells the installer. Windows build.
#ifndef HVN_SETUP_KESTRIN_CLIENT_ACTIONS_H_
#define HVN_SETUP_KESTRIN_CLIENT_ACTIONS_H_

#include <cstdint>

namespace hvn {

// What an action tells the installer: the error number to report (0: none) and its result,
// 0 or 1603.
struct ActionOutcome {
  uint32_t message;
  uint32_t result;
};

// Activation from "HVNCLNT.CFG" in the Windows directory: checks the client's files in the
// system directory (NT: "HVNC32.DLL" or 25020; 9x: "HVNC9X.EXE" or 25024, "HVNC9X.DLL" or
// 25025) and the file itself (25030), imports it (25040 unreadable, 25060 no domain), removes
// earlier versions' leftovers, writes the settings (25050), then on 9x enters the start-up
// program, on NT heads the logon chain (25070 unreadable, 25050 unwritable) and registers the
// client's event source (a failure there is ignored). The file is deleted only once all of
// that succeeded. Stops at the first failure.
ActionOutcome ActivateClientSteps();

// Deactivation: NT gives the logon chain's head back (25070, 25050) and removes the event
// source, 9x removes the start-up entry; then the settings are cleared and the version-3.0 key
// removed.
ActionOutcome DeactivateClientSteps();

// The safety tests, NT only (on 9x they succeed at once): 25080 while reactivation is unsafe,
// 25090 while deactivation is.
ActionOutcome RecursiveLoadSteps();
ActionOutcome DeactivationSafetySteps();

}  // namespace hvn

#endif  // HVN_SETUP_KESTRIN_CLIENT_ACTIONS_H_
