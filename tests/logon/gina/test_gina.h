// A chained logon provider for the Winlogon bench: it records every call it receives, can be
// told what to answer and where to fault, and its WlxLoggedOnSAS shows a change-password
// dialog laid out like the system's, for the bench to type into.
#ifndef HVN_TESTS_LOGON_GINA_TEST_GINA_H_
#define HVN_TESTS_LOGON_GINA_TEST_GINA_H_

#include <cstdint>

// Kinds of fault the provider raises on purpose.
enum TestGinaFault : uint32_t {
  kGinaNoFault = 0,
  kGinaAccessViolation = 1,
  kGinaDivideByZero = 2,
  kGinaRaiseException = 3,
  kGinaCppThrow = 4,  // as a provider built with Microsoft's compiler throws
};

// Entry indices, in the order of the chained provider's slots.
enum TestGinaEntry : uint32_t {
  kGinaActivateUserShell,
  kGinaDisplayLockedNotice,
  kGinaDisplaySASNotice,
  kGinaInitialize,
  kGinaIsLockOk,
  kGinaIsLogoffOk,
  kGinaLoggedOnSAS,
  kGinaLoggedOutSAS,
  kGinaLogoff,
  kGinaNegotiate,
  kGinaShutdown,
  kGinaWkstaLockedSAS,
  kGinaScreenSaverNotify,
  kGinaStartApplication,
  kGinaDisplayStatusMessage,
  kGinaGetStatusMessage,
  kGinaNetworkProviderLoad,
  kGinaRemoveStatusMessage,
  kGinaDisconnectNotify,
  kGinaGetConsoleSwitchCredentials,
  kGinaReconnectNotify,
  kGinaEntryCount
};

// The provider's configuration and records, one per loaded copy of the provider.
struct TestGinaControl {
  // What to answer.
  int negotiate_result;       // TRUE by default
  uint32_t reported_version;  // 0: report the version offered
  int is_lock_ok_result;      // TRUE by default
  uint32_t fault_entry;       // the entry that faults (kGinaEntryCount: none)
  uint32_t fault_kind;        // TestGinaFault
  uint32_t dialog_entry;      // the entry that shows the change dialog (kGinaEntryCount: none)
  wchar_t user_name[64];      // what the dialog's user-name field shows
  wchar_t domain[64];         // what the dialog's domain box shows

  // What happened.
  uint32_t calls[kGinaEntryCount];  // calls per entry
  uint32_t offered_version;         // WlxNegotiate's first argument
  void* winlogon;                   // WlxInitialize's host handle
  void* dispatch;                   // WlxInitialize's dispatch table
  uint32_t dialog_ok_count;         // OKs that reached the dialog's own procedure
  uint32_t password_changes;        // OKs with equal new and confirm texts (dialog closed)
  wchar_t old_password[256];        // texts of the accepted change
  wchar_t new_password[256];
  void* dialog;               // the change dialog while it is open (HWND)
  void* dialog_initial_proc;  // its window procedure before anyone subclassed it
  // Unwind calls to the handler record a faulting entry links around its fault, as a
  // __finally block or a lock's release would: a guard that catches the fault must unwind.
  uint32_t unwind_calls;
};

// Every build of the provider exports this (undecorated, cdecl).
typedef TestGinaControl* (*TestGinaControlFunction)();
#define TEST_GINA_CONTROL_EXPORT "TestGinaGetControl"

// The context the provider hands to Winlogon from WlxInitialize.
#define TEST_GINA_CONTEXT_MARK reinterpret_cast<void*>(0x600D600D)

#endif  // HVN_TESTS_LOGON_GINA_TEST_GINA_H_
