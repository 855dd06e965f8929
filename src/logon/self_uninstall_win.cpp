#include <cstdio>
#include <cstring>

#include "dialogs/message_box.h"
#include "logon/chained_provider.h"
#include "config/logon_provider_settings.h"
#include "logon/logon_texts.h"
#include "logon/self_uninstall.h"
#include "platform/ansi_text.h"
#include "platform/win.h"

namespace hvn {
namespace {

// True when `name` contains "HVNC32" in any letter case (double-byte characters taken whole).
bool NamesThisClient(const char* name) {
  char upper[kProviderNameSize];
  size_t length = platform::BoundedLength(name, kProviderNameSize - 1);
  std::memcpy(upper, name, length);
  upper[length] = '\0';
  platform::AnsiToUpper(upper, length);
  constexpr char kClient[] = "HVNC32";
  for (size_t at = 0; at + sizeof(kClient) - 1 <= length;) {
    if (std::memcmp(upper + at, kClient, sizeof(kClient) - 1) == 0) return true;
    at += platform::IsAnsiLeadByte(static_cast<unsigned char>(upper[at])) ? 2 : 1;
  }
  return false;
}

// True when `path` names an existing file.
bool FileExists(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

// True when `name` carries a path (a drive or a folder), as providers kept outside the system
// directory are named; double-byte characters are taken whole.
bool HasPath(const char* name) {
  for (size_t at = 0; name[at] != '\0';) {
    if (name[at] == '\\' || name[at] == '/' || name[at] == ':') return true;
    at += platform::IsAnsiLeadByte(static_cast<unsigned char>(name[at])) && name[at + 1] != '\0'
              ? 2
              : 1;
  }
  return false;
}

// True when Winlogon can find the provider `name`: a name with a path as given, a bare name in
// the system directory.
bool ProviderFileExists(const char* name) {
  size_t name_length = platform::BoundedLength(name, kProviderNameSize - 1);
  if (name_length == 0) return false;
  char path[1024];
  if (HasPath(name)) {
    std::memcpy(path, name, name_length);
    path[name_length] = '\0';
    return FileExists(path);
  }
  UINT length = ::GetSystemDirectoryA(path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) return false;
  if (length + 1 + name_length + 1 > sizeof(path)) return false;
  path[length] = '\\';
  std::memcpy(path + length + 1, name, name_length);
  path[length + 1 + name_length] = '\0';
  return FileExists(path);
}

}  // namespace

void OfferSelfUninstall() {
  if (::MessageBoxA(nullptr, kUninstallPrompt, kMessageBoxTitle,
                    MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2 | kMessageBoxModality) != IDYES)
    return;

  LogonProviderSettings settings;
  settings.Load(HKEY_LOCAL_MACHINE, kWinlogonKeyPath);
  // The provider we chain to goes back to the head of the chain only if Winlogon can load it
  // and it is not this client under another spelling; otherwise Winlogon's own provider.
  const char* restored = settings.REM_GinaDLL;
  if (std::strcmp(restored, kStandardProviderName) == 0 || NamesThisClient(restored) ||
      !ProviderFileExists(restored))
    restored = kStandardProviderName;
  std::memmove(settings.GinaDLL, restored,
               platform::BoundedLength(restored, kProviderNameSize - 1) + 1);
  settings.REM_GinaDLL[0] = '\0';

  uint32_t rc = settings.Save(HKEY_LOCAL_MACHINE, kWinlogonKeyPath);
  if (rc != 0) {
    char text[sizeof(kUninstallFailedFormat) + 16];
    std::snprintf(text, sizeof(text), kUninstallFailedFormat, static_cast<unsigned long>(rc));
    ::MessageBoxA(nullptr, text, kMessageBoxTitle, MB_OK | MB_ICONHAND | kMessageBoxModality);
    return;
  }
  ::MessageBoxA(nullptr, kUninstalledMessage, kMessageBoxTitle,
                MB_OK | MB_ICONINFORMATION | kMessageBoxModality);
}

}  // namespace hvn
