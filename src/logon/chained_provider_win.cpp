#include "config/logon_provider_settings.h"
#include "config/migrate_settings.h"
#include "dialogs/message_box.h"
#include "logon/chained_provider.h"
#include "logon/logon_texts.h"

namespace hvn {

const char* const kChainedEntryNames[kChainedSlotCount] = {
    "WlxActivateUserShell",
    "WlxDisplayLockedNotice",
    "WlxDisplaySASNotice",
    "WlxInitialize",
    "WlxIsLockOk",
    "WlxIsLogoffOk",
    "WlxLoggedOnSAS",
    "WlxLoggedOutSAS",
    "WlxLogoff",
    "WlxNegotiate",
    "WlxShutdown",
    "WlxWkstaLockedSAS",
    "WlxScreenSaverNotify",
    "WlxStartApplication",
    "WlxDisplayStatusMessage",
    "WlxGetStatusMessage",
    "WlxNetworkProviderLoad",
    "WlxRemoveStatusMessage",
    "WlxDisconnectNotify",
    "WlxGetConsoleSwitchCredentials",
    "WlxReconnectNotify",
};

ChainedProvider g_chained_provider;

bool ResolveChainedProvider(HMODULE library, ChainedProvider* provider) {
  provider->library = library;
  bool all_required = true;
  for (size_t slot = 0; slot < kChainedSlotCount; ++slot) {
    provider->slots[slot] =
        reinterpret_cast<void*>(::GetProcAddress(library, kChainedEntryNames[slot]));
    if (slot < kRequiredSlotCount && provider->slots[slot] == nullptr) all_required = false;
  }
  return all_required;
}

void ClearChainedProvider(ChainedProvider* provider) {
  for (void*& slot : provider->slots) slot = nullptr;
}

bool LoadStandardProvider() {
  HMODULE library = ::LoadLibraryA(kStandardProviderName);
  if (library == nullptr) {
    ClearChainedProvider(&g_chained_provider);
    return false;
  }
  return ResolveChainedProvider(library, &g_chained_provider);
}

bool LoadChainedProvider() {
  HMODULE library = nullptr;
  if (g_chained_provider.slots[kSlotNegotiate] != nullptr) {
    // Negotiation entered a second time: the chain leads back to this library.
    ::MessageBoxA(nullptr, kRecursionMessage, kMessageBoxTitle,
                  MB_ICONWARNING | kMessageBoxModality);
    library = ::LoadLibraryA(kStandardProviderName);
  } else {
    LogonProviderSettings settings;
    settings.Load(HKEY_LOCAL_MACHINE, kWinlogonKeyPath);
    MigrateEarlierSettings();
    library = ::LoadLibraryA(settings.REM_GinaDLL);
    if (library == nullptr) library = ::LoadLibraryA(kStandardProviderName);
  }
  if (library == nullptr) {
    // Nothing to forward to: no slot may keep pointing anywhere.
    ClearChainedProvider(&g_chained_provider);
    return false;
  }
  return ResolveChainedProvider(library, &g_chained_provider);
}

}  // namespace hvn
