#include <cstdio>
#include <cstring>

#include "config/logon_provider_settings.h"
#include "config/provider_names.h"
#include "dialogs/message_box.h"
#include "logon/chained_provider.h"
#include "logon/logon_texts.h"
#include "logon/self_uninstall.h"
#include "platform/ansi_text.h"
#include "platform/win.h"

namespace hvn {

void OfferSelfUninstall() {
  if (::MessageBoxA(nullptr, kUninstallPrompt, kMessageBoxTitle,
                    MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2 | kMessageBoxModality) != IDYES)
    return;

  LogonProviderSettings settings;
  settings.Load(HKEY_LOCAL_MACHINE, kWinlogonKeyPath);
  // The provider we chain to goes back to the head of the chain by the installers' rule;
  // otherwise Winlogon's own provider.
  const char* restored = settings.REM_GinaDLL;
  if (!IsRestorableProvider(restored)) restored = kStandardProviderName;
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
