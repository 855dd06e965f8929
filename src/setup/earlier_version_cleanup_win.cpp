#include <cstring>

#include "config/logon_provider_settings.h"
#include "config/registry_tree.h"
#include "config/registry_value.h"
#include "platform/ansi_text.h"
#include "platform/ascii_text.h"
#include "platform/platform_id.h"
#include "setup/earlier_version_cleanup.h"

namespace hvn {
namespace {

constexpr REGSAM kCleanupAccess =
    KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;
constexpr char kPasswordProviderKey[] = "SYSTEM\\CurrentControlSet\\Control\\PwdProvider\\MSNP32";
constexpr char kStandardPasswordProvider[] = "MSNP32.DLL";
constexpr char kEarlierClientProvider[] = "HVNc32.DLL";
constexpr size_t kProviderPathSize = 261;

// Values of the 9x password-provider key that only earlier clients wrote.
constexpr const char* kEarlier9xValues[] = {"PDCName", "MessageTimeout", "AI1",
                                            "AI2",     "HVNInstalled",   "LastMessageShow"};
// Values of the Winlogon key that only earlier clients wrote.
constexpr const char* kEarlierNtValues[] = {"HVN_ChangePasswordDialogText",
                                            "HVN_ChangePasswordDialogTitle",
                                            "HVN_DomainNameIndex",
                                            "HVN_PasswordInvalidDialogText",
                                            "HVN_PasswordInvalidDialogTitle",
                                            "HVN_UsernameIndex",
                                            "HVNInstalled"};

bool ValueExists(HKEY key, const char* name) {
  return QueryRegistryValueInfo(key, name, nullptr, nullptr) == 0;
}

// Puts back the password and network providers an earlier 9x client displaced.
void CleanUpPasswordProvider(HKEY key) {
  char provider[kProviderPathSize];
  std::memset(provider, 0, sizeof(provider));
  // A saved path that exists but cannot be read whole is kept where it is.
  uint32_t saved = ReadRegistryText(key, "REM_ProviderPath", provider, sizeof(provider));
  bool keep_saved = saved != 0 && saved != ERROR_FILE_NOT_FOUND;
  bool rewrite = true;
  if (provider[0] == '\0') {
    uint32_t current = ReadRegistryText(key, "ProviderPath", provider, sizeof(provider));
    // A path too long to read is not overwritten: it is nothing an earlier client wrote.
    rewrite = current == 0 || current == ERROR_FILE_NOT_FOUND;
    size_t length = platform::BoundedLength(provider, sizeof(provider));
    if (length == 0 || platform::AsciiEqualIgnoreCase(provider, length, kEarlierClientProvider)) {
      std::memset(provider, 0, sizeof(provider));
      std::memcpy(provider, kStandardPasswordProvider, sizeof(kStandardPasswordProvider));
    }
  }
  if (rewrite) {
    uint32_t ignored = 0;
    WriteRegistryValue(key, "ProviderPath", REG_SZ, provider,
                       static_cast<uint32_t>(std::strlen(provider) + 1), ignored);
  }
  if (!keep_saved) ::RegDeleteValueA(key, "REM_ProviderPath");
  for (const char* name : kEarlier9xValues) ::RegDeleteValueA(key, name);
  // Fails, changing nothing, when no network provider was saved.
  RenameRegistryValue(key, "REM_NetworkProvider", "NetworkProvider");
}

// Keeps the logon provider an earlier NT client saved, under the name the current chain uses,
// and deletes the earlier client's texts.
void CleanUpWinlogon(HKEY key) {
  if (ValueExists(key, "HVN_REM_GinaDLL") && !ValueExists(key, "REM_GinaDLL")) {
    CopyRegistryValue(key, key, "HVN_REM_GinaDLL", "REM_GinaDLL");
  }
  for (const char* name : kEarlierNtValues) ::RegDeleteValueA(key, name);
}

}  // namespace

uint32_t RemoveEarlierVersionSettings(HKEY root) {
  uint32_t platform_id = GetPlatformId();
  if (platform_id == kPlatformWindows9x || platform_id == kPlatformWindowsNT) {
    const char* path = platform_id == kPlatformWindows9x ? kPasswordProviderKey : kWinlogonKeyPath;
    platform::UniqueKey key;
    LONG rc = ::RegOpenKeyExA(root, path, 0, kCleanupAccess, key.Receive());
    if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
    if (platform_id == kPlatformWindows9x) {
      CleanUpPasswordProvider(key.Get());
    } else {
      CleanUpWinlogon(key.Get());
    }
  }
  platform::UniqueKey zarn;
  if (::RegOpenKeyExA(root, "SOFTWARE\\Zarn", 0, kCleanupAccess, zarn.Receive()) == ERROR_SUCCESS) {
    DeleteRegistryTree(zarn.Get(), "Halvern Client");
  }
  return 0;
}

uint32_t RemoveEarlierVersionSettings() {
  return RemoveEarlierVersionSettings(HKEY_LOCAL_MACHINE);
}

void RemoveEarlierVersionKey(HKEY root) {
  platform::UniqueKey key;
  if (::RegOpenKeyExA(root, "SOFTWARE\\Norvex\\Halvern Client", 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      key.Receive()) == ERROR_SUCCESS) {
    DeleteRegistryTree(key.Get(), "3.0");
  }
}

void RemoveEarlierVersionKey() {
  RemoveEarlierVersionKey(HKEY_LOCAL_MACHINE);
}

}  // namespace hvn
