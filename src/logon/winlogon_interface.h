// The parts of Winlogon's published logon-provider interface that this library uses: the
// signatures of the 21 entry points, the start of Winlogon's dispatch table, and the SAS
// action codes. Declared here because the toolchain's headers do not carry them.
#ifndef HVN_LOGON_WINLOGON_INTERFACE_H_
#define HVN_LOGON_WINLOGON_INTERFACE_H_

#include <cstdint>

#include "platform/win.h"

namespace hvn {

// Interface versions: major in the high word, minor in the low word.
constexpr DWORD kWlxVersion1_0 = 0x00010000;
constexpr DWORD kWlxVersion1_3 = 0x00010003;
constexpr DWORD kWlxVersion1_4 = 0x00010004;
// The newest interface this library forwards; Winlogon's offer is cut down to it.
constexpr DWORD kWlxHighestForwardedVersion = kWlxVersion1_4;

// Results of the SAS entry points.
constexpr int kWlxSasActionLogon = 1;
constexpr int kWlxSasActionNone = 2;
constexpr int kWlxSasActionPasswordChanged = 6;

// Winlogon's message box: host handle, owner, text, title, style.
typedef int(WINAPI* WlxMessageBoxFunction)(HANDLE winlogon, HWND owner, LPWSTR text, LPWSTR title,
                                           UINT style);

// The first six functions every version of Winlogon's dispatch table starts with; later
// versions only append. The sixth is the message box.
struct WlxDispatchHead {
  void* WlxUseCtrlAltDel;
  void* WlxSetContextPointer;
  void* WlxSasNotify;
  void* WlxSetTimeout;
  void* WlxAssignShellProtection;
  WlxMessageBoxFunction WlxMessageBox;
};

// The entry points, as Winlogon calls them.
typedef BOOL(WINAPI* WlxNegotiateFunction)(DWORD winlogon_version, PDWORD dll_version);
typedef BOOL(WINAPI* WlxInitializeFunction)(LPWSTR window_station, HANDLE winlogon, PVOID reserved,
                                            PVOID winlogon_functions, PVOID* context);
typedef VOID(WINAPI* WlxDisplaySASNoticeFunction)(PVOID context);
typedef int(WINAPI* WlxLoggedOutSASFunction)(PVOID context, DWORD sas_type, PLUID authentication_id,
                                             PSID logon_sid, PDWORD options, PHANDLE token,
                                             PVOID mpr_notify_info, PVOID* profile);
typedef BOOL(WINAPI* WlxActivateUserShellFunction)(PVOID context, PWSTR desktop_name,
                                                   PWSTR mpr_logon_script, PVOID environment);
typedef int(WINAPI* WlxLoggedOnSASFunction)(PVOID context, DWORD sas_type, PVOID reserved);
typedef VOID(WINAPI* WlxDisplayLockedNoticeFunction)(PVOID context);
typedef int(WINAPI* WlxWkstaLockedSASFunction)(PVOID context, DWORD sas_type);
typedef BOOL(WINAPI* WlxIsLockOkFunction)(PVOID context);
typedef BOOL(WINAPI* WlxIsLogoffOkFunction)(PVOID context);
typedef VOID(WINAPI* WlxLogoffFunction)(PVOID context);
typedef VOID(WINAPI* WlxShutdownFunction)(PVOID context, DWORD shutdown_type);
typedef BOOL(WINAPI* WlxScreenSaverNotifyFunction)(PVOID context, BOOL* secure);
typedef BOOL(WINAPI* WlxStartApplicationFunction)(PVOID context, PWSTR desktop_name,
                                                  PVOID environment, PWSTR command_line);
typedef BOOL(WINAPI* WlxDisplayStatusMessageFunction)(PVOID context, HDESK desktop, DWORD options,
                                                      PWSTR title, PWSTR message);
typedef BOOL(WINAPI* WlxGetStatusMessageFunction)(PVOID context, DWORD* options, PWSTR message,
                                                  DWORD buffer_size);
typedef BOOL(WINAPI* WlxNetworkProviderLoadFunction)(PVOID context, PVOID mpr_notify_info);
typedef BOOL(WINAPI* WlxRemoveStatusMessageFunction)(PVOID context);
typedef VOID(WINAPI* WlxDisconnectNotifyFunction)(PVOID context);
typedef BOOL(WINAPI* WlxGetConsoleSwitchCredentialsFunction)(PVOID context, PVOID credentials);
typedef VOID(WINAPI* WlxReconnectNotifyFunction)(PVOID context);

}  // namespace hvn

#endif  // HVN_LOGON_WINLOGON_INTERFACE_H_
