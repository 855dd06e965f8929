// HVNc32: the logon provider that Winlogon loads in place of the standard one. Every entry
// point forwards to the chained provider; the three calls during which that provider can show
// a password dialog run under a dialog watcher, and the five calls that do work of their own
// are guarded so that no exception reaches Winlogon.
#include "logon/chained_provider.h"
#include "logon/client_events.h"
#include "logon/logon_host.h"
#include "logon/logon_state.h"
#include "logon/self_uninstall.h"
#include "logon/watched_call.h"
#include "logon/winlogon_interface.h"
#include "platform/exception_guard.h"

namespace hvn {

LogonState g_logon_state;

namespace {

struct NegotiateWork {
  DWORD offered;
  PDWORD reported;
  BOOL result;
  bool result_known;
};

void Negotiate(NegotiateWork* work) {
  if (LoadChainedProvider()) {
    DWORD forwarded = work->offered;
    if (forwarded > kWlxHighestForwardedVersion) forwarded = kWlxHighestForwardedVersion;
    work->result = ChainedEntry<WlxNegotiateFunction>(kSlotNegotiate)(forwarded, work->reported);
  } else {
    work->result = FALSE;
  }
  work->result_known = true;
  DWORD reported = work->reported != nullptr ? *work->reported : 0;
  if (!work->result || reported > work->offered) OfferSelfUninstall();
}

constexpr char kNegotiate[] = "WlxNegotiate";

// What a guard does with a fault it caught: the error event first, then the prompt, which
// waits for the user.
void ReportFaultAndOfferWayOut(uint32_t code, const char* entry_point) {
  ReportCaughtFault(code, entry_point);
  OfferSelfUninstall();
}

// After an exception that came before the chained provider answered, the slots may be empty
// or half filled. Negotiate with the standard provider instead; when even that fails, empty
// every slot and fail, so that no later call goes anywhere.
BOOL NegotiateWithStandardProvider(NegotiateWork* work) {
  uint32_t code = RunGuarded([work] {
    work->result = FALSE;
    if (!LoadStandardProvider()) return;
    DWORD forwarded = work->offered;
    if (forwarded > kWlxHighestForwardedVersion) forwarded = kWlxHighestForwardedVersion;
    work->result = ChainedEntry<WlxNegotiateFunction>(kSlotNegotiate)(forwarded, work->reported);
  });
  if (code != 0) ReportCaughtFault(code, kNegotiate);
  if (code != 0 || !work->result) {
    ClearChainedProvider(&g_chained_provider);
    return FALSE;
  }
  return work->result;
}

// Runs a guarded body; on an exception reports it, offers the self-uninstall and returns
// normally, so the export returns whatever result the body had reached.
template <typename Body>
bool RunGuardedExport(const char* entry_point, Body&& body) {
  uint32_t code = RunGuarded(body);
  if (code == 0) return true;
  ReportFaultAndOfferWayOut(code, entry_point);
  return false;
}

// Runs a watched call under the guard. On an exception the watcher is told to stop before
// the prompt, since the call it watched is over.
template <typename Call>
void RunGuardedWatchedExport(WatchedExport watched, const char* entry_point, Call& call) {
  auto body = [&] {
    RunWatchedCall(
        watched, [](void* context) { (*static_cast<Call*>(context))(); }, &call);
  };
  uint32_t code = RunGuarded(body);
  if (code == 0) return;
  StopWatchedCall(watched);
  ReportFaultAndOfferWayOut(code, entry_point);
}

}  // namespace
}  // namespace hvn

using namespace hvn;

extern "C" {

BOOL WINAPI WlxNegotiate(DWORD winlogon_version, PDWORD dll_version) {
  NegotiateWork work = {winlogon_version, dll_version, FALSE, false};
  uint32_t code = RunGuarded([&work] { Negotiate(&work); });
  if (code == 0) return work.result;
  ReportFaultAndOfferWayOut(code, kNegotiate);
  if (work.result_known) return work.result;
  return NegotiateWithStandardProvider(&work);
}

BOOL WINAPI WlxInitialize(LPWSTR window_station, HANDLE winlogon, PVOID reserved,
                          PVOID winlogon_functions, PVOID* context) {
  // FALSE until the chained provider has answered: without its own initialisation its
  // context is not valid, and claiming success would hand Winlogon a broken provider.
  BOOL result = FALSE;
  RunGuardedExport("WlxInitialize", [&] {
    g_logon_state.winlogon = winlogon;
    g_logon_state.message_box =
        winlogon_functions != nullptr
            ? static_cast<const WlxDispatchHead*>(winlogon_functions)->WlxMessageBox
            : nullptr;
    SetLogonHost(g_logon_state.winlogon, g_logon_state.message_box);
    auto chained = ChainedEntry<WlxInitializeFunction>(kSlotInitialize);
    if (chained != nullptr)
      result = chained(window_station, winlogon, reserved, winlogon_functions, context);
  });
  return result;
}

int WINAPI WlxLoggedOutSAS(PVOID context, DWORD sas_type, PLUID authentication_id, PSID logon_sid,
                           PDWORD options, PHANDLE token, PVOID mpr_notify_info, PVOID* profile) {
  // No action until the chained provider has answered: Winlogon keeps waiting for a SAS.
  int result = kWlxSasActionNone;
  auto call = [&] {
    auto chained = ChainedEntry<WlxLoggedOutSASFunction>(kSlotLoggedOutSAS);
    if (chained != nullptr)
      result = chained(context, sas_type, authentication_id, logon_sid, options, token,
                       mpr_notify_info, profile);
  };
  RunGuardedWatchedExport(kWatchLoggedOutSAS, "WlxLoggedOutSAS", call);
  return result;
}

BOOL WINAPI WlxActivateUserShell(PVOID context, PWSTR desktop_name, PWSTR mpr_logon_script,
                                 PVOID environment) {
  // FALSE until the chained provider has answered: no shell was started.
  BOOL result = FALSE;
  auto call = [&] {
    auto chained = ChainedEntry<WlxActivateUserShellFunction>(kSlotActivateUserShell);
    if (chained != nullptr) result = chained(context, desktop_name, mpr_logon_script, environment);
  };
  RunGuardedWatchedExport(kWatchActivateUserShell, "WlxActivateUserShell", call);
  return result;
}

int WINAPI WlxLoggedOnSAS(PVOID context, DWORD sas_type, PVOID reserved) {
  // No action until the chained provider has answered: the user's session goes on.
  int result = kWlxSasActionNone;
  auto call = [&] {
    auto chained = ChainedEntry<WlxLoggedOnSASFunction>(kSlotLoggedOnSAS);
    if (chained != nullptr) result = chained(context, sas_type, reserved);
  };
  RunGuardedWatchedExport(kWatchLoggedOnSAS, "WlxLoggedOnSAS", call);
  return result;
}

// Plain forwards. A slot can only be empty when negotiation failed, and then Winlogon does
// not call these; the test keeps a wrong caller from jumping to address 0 all the same.

VOID WINAPI WlxDisplaySASNotice(PVOID context) {
  if (auto chained = ChainedEntry<WlxDisplaySASNoticeFunction>(kSlotDisplaySASNotice))
    chained(context);
}

VOID WINAPI WlxDisplayLockedNotice(PVOID context) {
  if (auto chained = ChainedEntry<WlxDisplayLockedNoticeFunction>(kSlotDisplayLockedNotice))
    chained(context);
}

int WINAPI WlxWkstaLockedSAS(PVOID context, DWORD sas_type) {
  if (auto chained = ChainedEntry<WlxWkstaLockedSASFunction>(kSlotWkstaLockedSAS))
    return chained(context, sas_type);
  return kWlxSasActionNone;
}

BOOL WINAPI WlxIsLockOk(PVOID context) {
  if (auto chained = ChainedEntry<WlxIsLockOkFunction>(kSlotIsLockOk)) return chained(context);
  return FALSE;
}

BOOL WINAPI WlxIsLogoffOk(PVOID context) {
  if (auto chained = ChainedEntry<WlxIsLogoffOkFunction>(kSlotIsLogoffOk)) return chained(context);
  return FALSE;
}

VOID WINAPI WlxLogoff(PVOID context) {
  if (auto chained = ChainedEntry<WlxLogoffFunction>(kSlotLogoff)) chained(context);
}

VOID WINAPI WlxShutdown(PVOID context, DWORD shutdown_type) {
  if (auto chained = ChainedEntry<WlxShutdownFunction>(kSlotShutdown))
    chained(context, shutdown_type);
}

BOOL WINAPI WlxScreenSaverNotify(PVOID context, BOOL* secure) {
  if (auto chained = ChainedEntry<WlxScreenSaverNotifyFunction>(kSlotScreenSaverNotify))
    return chained(context, secure);
  // Without the provider's own answer, lock only when locking is all right with it.
  if (secure != nullptr && *secure) *secure = WlxIsLockOk(context);
  return TRUE;
}

BOOL WINAPI WlxStartApplication(PVOID context, PWSTR desktop_name, PVOID environment,
                                PWSTR command_line) {
  if (auto chained = ChainedEntry<WlxStartApplicationFunction>(kSlotStartApplication))
    return chained(context, desktop_name, environment, command_line);
  return FALSE;
}

BOOL WINAPI WlxDisplayStatusMessage(PVOID context, HDESK desktop, DWORD options, PWSTR title,
                                    PWSTR message) {
  if (auto chained = ChainedEntry<WlxDisplayStatusMessageFunction>(kSlotDisplayStatusMessage))
    return chained(context, desktop, options, title, message);
  return FALSE;
}

BOOL WINAPI WlxGetStatusMessage(PVOID context, DWORD* options, PWSTR message, DWORD buffer_size) {
  if (auto chained = ChainedEntry<WlxGetStatusMessageFunction>(kSlotGetStatusMessage))
    return chained(context, options, message, buffer_size);
  return FALSE;
}

BOOL WINAPI WlxNetworkProviderLoad(PVOID context, PVOID mpr_notify_info) {
  if (auto chained = ChainedEntry<WlxNetworkProviderLoadFunction>(kSlotNetworkProviderLoad))
    return chained(context, mpr_notify_info);
  return FALSE;
}

BOOL WINAPI WlxRemoveStatusMessage(PVOID context) {
  if (auto chained = ChainedEntry<WlxRemoveStatusMessageFunction>(kSlotRemoveStatusMessage))
    return chained(context);
  return FALSE;
}

BOOL WINAPI WlxGetConsoleSwitchCredentials(PVOID context, PVOID credentials) {
  if (auto chained =
          ChainedEntry<WlxGetConsoleSwitchCredentialsFunction>(kSlotGetConsoleSwitchCredentials))
    return chained(context, credentials);
  return FALSE;
}

// Notifications without a result: a provider that does not take them has nothing to be told.
VOID WINAPI WlxDisconnectNotify(PVOID context) {
  if (auto chained = ChainedEntry<WlxDisconnectNotifyFunction>(kSlotDisconnectNotify))
    chained(context);
}

VOID WINAPI WlxReconnectNotify(PVOID context) {
  if (auto chained = ChainedEntry<WlxReconnectNotifyFunction>(kSlotReconnectNotify))
    chained(context);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) ::DisableThreadLibraryCalls(instance);
  return TRUE;
}

}  // extern "C"
