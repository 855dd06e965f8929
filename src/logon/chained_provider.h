// The chained logon provider: the library that was Winlogon's provider before this one, and
// its entry points held as a table of slots resolved by name. Every export forwards through
// these slots; a slot is empty when the provider lacks the name, and an empty slot is never
// called.
#ifndef HVN_LOGON_CHAINED_PROVIDER_H_
#define HVN_LOGON_CHAINED_PROVIDER_H_

#include <cstddef>

#include "config/logon_provider_settings.h"
#include "platform/win.h"

namespace hvn {

// The slots in the order the names are resolved: the twelve required entry points, then the
// nine optional ones.
enum ChainedSlot : size_t {
  kSlotActivateUserShell,
  kSlotDisplayLockedNotice,
  kSlotDisplaySASNotice,
  kSlotInitialize,
  kSlotIsLockOk,
  kSlotIsLogoffOk,
  kSlotLoggedOnSAS,
  kSlotLoggedOutSAS,
  kSlotLogoff,
  kSlotNegotiate,
  kSlotShutdown,
  kSlotWkstaLockedSAS,
  kSlotScreenSaverNotify,
  kSlotStartApplication,
  kSlotDisplayStatusMessage,
  kSlotGetStatusMessage,
  kSlotNetworkProviderLoad,
  kSlotRemoveStatusMessage,
  kSlotDisconnectNotify,
  kSlotGetConsoleSwitchCredentials,
  kSlotReconnectNotify,
  kChainedSlotCount
};
constexpr size_t kRequiredSlotCount = 12;

// The exported name of each slot.
extern const char* const kChainedEntryNames[kChainedSlotCount];

struct ChainedProvider {
  HMODULE library;
  void* slots[kChainedSlotCount];  // entry addresses, null when the name is missing
};

// The process's one chained provider, in static storage. Written by WlxNegotiate before any
// other export can run, only read afterwards.
extern ChainedProvider g_chained_provider;

// The entry in `slot` as a function of type Function, or null when the slot is empty.
template <typename Function>
Function ChainedEntry(ChainedSlot slot) {
  return reinterpret_cast<Function>(g_chained_provider.slots[slot]);
}

// Resolves all 21 names from `library` into `provider`, overwriting every slot (a name the
// library lacks leaves its slot empty), and records the library. Returns true when all twelve
// required slots are filled.
bool ResolveChainedProvider(HMODULE library, ChainedProvider* provider);

// Empties every slot of `provider` (the library stays loaded).
void ClearChainedProvider(ChainedProvider* provider);

// Loads the chained provider into g_chained_provider when Winlogon negotiates. A second call
// in one process (the chain leads back to this library) shows the configuration-error message
// and chains to the standard provider instead. Otherwise the provider named by "REM_GinaDLL"
// is loaded, or the standard provider when that fails; earlier settings are upgraded first.
// Returns true when every required entry point was found.
bool LoadChainedProvider();

// Loads the standard provider directly into g_chained_provider; true when every required
// entry point was found. Used after a failed negotiation left no usable chain.
bool LoadStandardProvider();

}  // namespace hvn

#endif  // HVN_LOGON_CHAINED_PROVIDER_H_
