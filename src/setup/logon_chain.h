// The NT logon-provider chain in the Winlogon values "GinaDLL" and "REM_GinaDLL": activation
// puts the client ("HVNC32.DLL") at the head and remembers the provider it displaced;
// deactivation gives the head back. The two safety tests refuse the operations when a
// provider installed after the client loads it from in front. Windows build; NT only.
//
// Every operation works on the Winlogon key under HKEY_LOCAL_MACHINE (kWinlogonKeyPath);
// the overloads taking `root` find that path under `root` instead (tests give a key of their
// own). The chain is computed in full before anything is saved, and a save
// flushes the key so the new chain is durable before the installer goes on.
#ifndef HVN_SETUP_LOGON_CHAIN_H_
#define HVN_SETUP_LOGON_CHAIN_H_

#include "platform/registry.h"

namespace hvn {

enum class ActivationResult {
  kSuccess,        // the chain was written
  kAlreadyActive,  // the client already heads the chain: nothing written (a success)
  kReadFailure,    // the Winlogon key could not be read: nothing written
  kWriteFailure,   // the new chain could not be saved (or the system directory is unknown)
};

// True for kSuccess and kAlreadyActive.
inline bool Succeeded(ActivationResult result) {
  return result == ActivationResult::kSuccess || result == ActivationResult::kAlreadyActive;
}

// Puts the client at the head of the chain. A head of exactly "MSGINA.DLL" (or none) gives
// "GinaDLL" = "HVNC32.DLL" and no "REM_GinaDLL"; another head (also "msgina.dll" in other
// letter case) moves to "REM_GinaDLL"; a head naming the client (contains "HVNC32" in any
// case) is left alone: kAlreadyActive. "REM_GinaDLL" is written before the head.
ActivationResult ActivateLogonChain();
ActivationResult ActivateLogonChain(HKEY root);

// Takes the client out of the head: when the head names the client, the saved provider
// becomes the head if IsRestorableProvider says so (otherwise no head, so Winlogon loads its
// own), and "REM_GinaDLL" goes only once the head was written. Any other head is left alone:
// kSuccess. Returns kSuccess, kReadFailure or kWriteFailure.
ActivationResult DeactivateLogonChain();
ActivationResult DeactivateLogonChain(HKEY root);

// True when reactivating the client now is unsafe: its library in the system directory is in
// use (IsFileInUse) while a provider other than "MSGINA.DLL"/"HVNC32.DLL" heads the chain, so
// that provider may already load the client behind it. Also true when the library's path
// cannot be formed or the head cannot be read.
bool RecursiveLoadTest();
bool RecursiveLoadTest(HKEY root);

// True when deactivating is safe: "GinaDLL" is absent, "MSGINA.DLL" or "HVNC32.DLL" (whole
// name, case ignored). Any other head may load the client and would lose its successor.
bool IsDeactivationSafe();
bool IsDeactivationSafe(HKEY root);

}  // namespace hvn

#endif  // HVN_SETUP_LOGON_CHAIN_H_
