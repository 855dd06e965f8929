#include <cstring>

#include "config/logon_provider_settings.h"
#include "config/provider_names.h"
#include "config/registry_value.h"
#include "config/system_files.h"
#include "platform/win.h"
#include "setup/logon_chain.h"

namespace hvn {
namespace {

constexpr uint32_t kNotFound = ERROR_FILE_NOT_FOUND;
constexpr size_t kSystemDirectorySize = 1024;
constexpr size_t kHeadReadSize = 256;

void SetName(char (&field)[kProviderNameSize], const char* name) {
  std::memset(field, 0, sizeof(field));
  std::memcpy(field, name, std::strlen(name));
}

void CopyName(char (&to)[kProviderNameSize], const char (&from)[kProviderNameSize]) {
  std::memcpy(to, from, kProviderNameSize);
}

// Loads the chain. An absent key or value is no failure: the defaults stand for it.
bool LoadChain(HKEY root, LogonProviderSettings& chain) {
  uint32_t rc = chain.Load(root, kWinlogonKeyPath);
  return rc == 0 || rc == kNotFound;
}

// Empties each field that holds exactly "MSGINA.DLL": an absent value means the same to
// Winlogon and to the client, and keeps the standard provider out of the saved slot.
void ForgetDefaultProvider(LogonProviderSettings& chain) {
  if (IsDefaultProviderName(chain.GinaDLL)) chain.GinaDLL[0] = '\0';
  if (IsDefaultProviderName(chain.REM_GinaDLL)) chain.REM_GinaDLL[0] = '\0';
}

ActivationResult SaveChain(HKEY root, LogonProviderSettings& chain) {
  return chain.Save(root, kWinlogonKeyPath) == 0 ? ActivationResult::kSuccess
                                                 : ActivationResult::kWriteFailure;
}

// True when "GinaDLL" is absent or one of the two harmless names; false when the key or the
// value cannot be read, or another provider is at the head.
bool HeadIsHarmless(HKEY root) {
  platform::UniqueKey key;
  if (::RegOpenKeyExA(root, kWinlogonKeyPath, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
    return false;
  char head[kHeadReadSize];
  std::memset(head, 0, sizeof(head));
  uint32_t rc = ReadRegistryText(key.Get(), "GinaDLL", head, sizeof(head));
  key.Reset();
  if (rc == kNotFound) return true;
  if (rc != 0) return false;
  return IsHarmlessHeadName(head);
}

}  // namespace

ActivationResult ActivateLogonChain(HKEY root) {
  LogonProviderSettings chain;
  if (!LoadChain(root, chain)) return ActivationResult::kReadFailure;
  ForgetDefaultProvider(chain);
  if (chain.GinaDLL[0] != '\0') {
    if (IsClientProviderName(chain.GinaDLL)) return ActivationResult::kAlreadyActive;
    CopyName(chain.REM_GinaDLL, chain.GinaDLL);
  } else {
    chain.REM_GinaDLL[0] = '\0';
  }
  SetName(chain.GinaDLL, kClientProviderName);
  return SaveChain(root, chain);
}

ActivationResult ActivateLogonChain() {
  return ActivateLogonChain(HKEY_LOCAL_MACHINE);
}

ActivationResult DeactivateLogonChain(HKEY root) {
  LogonProviderSettings chain;
  if (!LoadChain(root, chain)) return ActivationResult::kReadFailure;
  ForgetDefaultProvider(chain);
  if (!IsClientProviderName(chain.GinaDLL)) return ActivationResult::kSuccess;
  CopyName(chain.GinaDLL, chain.REM_GinaDLL);
  chain.REM_GinaDLL[0] = '\0';

  // Without the system directory a bare saved name cannot be looked for: nothing is written,
  // rather than the saved provider being dropped as if its file were gone.
  char directory[kSystemDirectorySize];
  UINT length = ::GetSystemDirectoryA(directory, sizeof(directory));
  if (length == 0 || length >= sizeof(directory)) return ActivationResult::kWriteFailure;
  // The saved provider goes back to the head only when Winlogon can load it and it is not the
  // client saved behind itself; otherwise Winlogon falls back to its own provider.
  if (!IsRestorableProvider(chain.GinaDLL)) chain.GinaDLL[0] = '\0';
  return SaveChain(root, chain);
}

ActivationResult DeactivateLogonChain() {
  return DeactivateLogonChain(HKEY_LOCAL_MACHINE);
}

bool RecursiveLoadTest(HKEY root) {
  // A path that cannot be formed means the test cannot look: unsafe.
  char path[MAX_PATH + 1];
  if (!SystemDirectoryPath(kClientProviderName, path, sizeof(path))) return true;
  if (!FileExists(path)) return false;
  // Only a process holding the library (as a Winlogon that loaded it does) makes it "in use";
  // a library that merely cannot be written, such as a read-only copy, is not.
  if (!IsFileInUse(path)) return false;
  return !HeadIsHarmless(root);
}

bool RecursiveLoadTest() {
  return RecursiveLoadTest(HKEY_LOCAL_MACHINE);
}

bool IsDeactivationSafe(HKEY root) {
  return HeadIsHarmless(root);
}

bool IsDeactivationSafe() {
  return IsDeactivationSafe(HKEY_LOCAL_MACHINE);
}

}  // namespace hvn
