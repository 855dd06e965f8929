// The chained test provider. One source, several builds that differ only in which names
// their .def exports: the twelve required entry points, all twenty-one, or one short.
#include <windows.h>

#include <cstring>
#include <cwchar>

#include "gina/test_gina.h"

namespace {

constexpr int kSasActionNone = 2;
constexpr int kSasActionLogon = 1;
constexpr int kSasActionPasswordChanged = 6;

HINSTANCE g_instance;
TestGinaControl g_control = [] {
  TestGinaControl control{};
  control.negotiate_result = TRUE;
  control.is_lock_ok_result = TRUE;
  control.fault_entry = kGinaEntryCount;
  control.dialog_entry = kGinaEntryCount;
  std::wcscpy(control.user_name, L"jdoe");
  std::wcscpy(control.domain, L"SALES");
  return control;
}();

int* volatile g_null_address = nullptr;
volatile int g_zero = 0;
volatile int g_seven = 7;
volatile int g_quotient;

// The handler record a faulting entry links into the thread's chain around its fault.
struct UnwindRecord {
  UnwindRecord* next;
  void* handler;
};

extern "C" EXCEPTION_DISPOSITION __cdecl CountUnwind(EXCEPTION_RECORD* record, void*, CONTEXT*,
                                                     void*) {
  if ((record->ExceptionFlags & EXCEPTION_UNWINDING) != 0) ++g_control.unwind_calls;
  return ExceptionContinueSearch;
}

__attribute__((noinline)) void Fault() {
  switch (g_control.fault_kind) {
    case kGinaAccessViolation:
      *g_null_address = 1;
      break;
    case kGinaDivideByZero:
      g_quotient = g_seven / g_zero;
      break;
    case kGinaRaiseException:
      ::RaiseException(0xE0474E41, 0, 0, nullptr);
      break;
    case kGinaCppThrow:
      // What a throw compiles to in a provider built with Microsoft's compiler: a structured
      // exception with the C++ code. (A g++ throw cannot leave this module: each module has
      // its own unwinder.)
      ::RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
      break;
    default:
      break;
  }
}

// Counts the call and raises the configured fault when this is the entry that faults.
__attribute__((noinline)) void Enter(TestGinaEntry entry) {
  ++g_control.calls[entry];
  if (g_control.fault_entry != entry) return;
  UnwindRecord record{nullptr, reinterpret_cast<void*>(&CountUnwind)};
  asm volatile("movl %%fs:0, %0" : "=r"(record.next));
  asm volatile("movl %0, %%fs:0" : : "r"(&record) : "memory");
  Fault();
  asm volatile("movl %0, %%fs:0" : : "r"(record.next) : "memory");
}

// Control ids of the change-password dialog, as the system lays it out.
struct DialogIds {
  int user, domain, old_password, new_password, confirm;
};

DialogIds IdsForThisVersion() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  ::GetVersionExA(&version);
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 5 &&
      version.dwMinorVersion <= 1)
    return {1702, 1704, 1706, 1708, 1710};
  return {1552, 1554, 1556, 1558, 1560};
}

HWND AddControl(HWND dialog, const wchar_t* window_class, const wchar_t* text, DWORD style, int id,
                int x, int y, int width, int height) {
  return ::CreateWindowExW(0, window_class, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                           height, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           g_instance, nullptr);
}

void LayOut(HWND dialog) {
  const DialogIds ids = IdsForThisVersion();
  const DWORD edit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  struct Row {
    const wchar_t* label;
    const wchar_t* window_class;
    DWORD style;
    int id;
    const wchar_t* text;
  } rows[] = {
      {L"&User name:", L"EDIT", edit, ids.user, g_control.user_name},
      {L"&Log on to:", L"COMBOBOX", CBS_DROPDOWN | WS_TABSTOP, ids.domain, g_control.domain},
      {L"&Old Password:", L"EDIT", edit | ES_PASSWORD, ids.old_password, L""},
      {L"&New Password:", L"EDIT", edit | ES_PASSWORD, ids.new_password, L""},
      {L"&Confirm New Password:", L"EDIT", edit | ES_PASSWORD, ids.confirm, L""},
  };
  int y = 16;
  for (const Row& row : rows) {
    AddControl(dialog, L"STATIC", row.label, 0, -1, 16, y + 3, 150, 20);
    bool combo = row.window_class[0] == L'C';
    HWND field =
        AddControl(dialog, row.window_class, L"", row.style, row.id, 170, y, 220, combo ? 120 : 24);
    if (combo) ::SendMessageW(field, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.text));
    ::SetWindowTextW(field, row.text);
    y += 34;
  }
  AddControl(dialog, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 190, y + 8, 90, 28);
  AddControl(dialog, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 300, y + 8, 90,
             28);
}

INT_PTR CALLBACK ChangeDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      LayOut(dialog);
      g_control.dialog_initial_proc =
          reinterpret_cast<void*>(::GetWindowLongPtrA(dialog, GWLP_WNDPROC));
      g_control.dialog = dialog;
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        const DialogIds ids = IdsForThisVersion();
        wchar_t confirm[256] = {};
        ++g_control.dialog_ok_count;
        ::GetDlgItemTextW(dialog, ids.old_password, g_control.old_password, 256);
        ::GetDlgItemTextW(dialog, ids.new_password, g_control.new_password, 256);
        ::GetDlgItemTextW(dialog, ids.confirm, confirm, 256);
        if (std::wcscmp(confirm, g_control.new_password) != 0) return TRUE;
        ++g_control.password_changes;
        g_control.dialog = nullptr;
        ::EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        g_control.dialog = nullptr;
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

// A dialog template with a title and no controls; the controls are created at WM_INITDIALOG.
struct alignas(4) ChangeDialogTemplate {
  DLGTEMPLATE header;
  WORD menu;
  WORD window_class;
  wchar_t title[16];
};

INT_PTR ShowChangeDialog() {
  ChangeDialogTemplate dialog_template{};
  dialog_template.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
  dialog_template.header.cx = 280;
  dialog_template.header.cy = 118;
  dialog_template.header.x = 20;
  dialog_template.header.y = 20;
  std::wcscpy(dialog_template.title, L"Change Password");
  return ::DialogBoxIndirectParamW(g_instance, &dialog_template.header, nullptr, ChangeDialogProc,
                                   0);
}

}  // namespace

extern "C" {

TestGinaControl* TestGinaGetControl() {
  return &g_control;
}

BOOL WINAPI WlxNegotiate(DWORD winlogon_version, PDWORD dll_version) {
  Enter(kGinaNegotiate);
  g_control.offered_version = winlogon_version;
  *dll_version = g_control.reported_version != 0 ? g_control.reported_version : winlogon_version;
  return g_control.negotiate_result;
}

BOOL WINAPI WlxInitialize(LPWSTR, HANDLE winlogon, PVOID, PVOID dispatch, PVOID* context) {
  Enter(kGinaInitialize);
  g_control.winlogon = winlogon;
  g_control.dispatch = dispatch;
  *context = TEST_GINA_CONTEXT_MARK;
  return TRUE;
}

VOID WINAPI WlxDisplaySASNotice(PVOID) {
  Enter(kGinaDisplaySASNotice);
}

int WINAPI WlxLoggedOutSAS(PVOID, DWORD, PLUID, PSID, PDWORD, PHANDLE, PVOID, PVOID*) {
  Enter(kGinaLoggedOutSAS);
  if (g_control.dialog_entry == kGinaLoggedOutSAS) ShowChangeDialog();
  return kSasActionLogon;
}

BOOL WINAPI WlxActivateUserShell(PVOID, PWSTR, PWSTR, PVOID) {
  Enter(kGinaActivateUserShell);
  if (g_control.dialog_entry == kGinaActivateUserShell) ShowChangeDialog();
  return TRUE;
}

int WINAPI WlxLoggedOnSAS(PVOID, DWORD, PVOID) {
  Enter(kGinaLoggedOnSAS);
  if (g_control.dialog_entry != kGinaLoggedOnSAS) return kSasActionNone;
  return ShowChangeDialog() == IDOK ? kSasActionPasswordChanged : kSasActionNone;
}

VOID WINAPI WlxDisplayLockedNotice(PVOID) {
  Enter(kGinaDisplayLockedNotice);
}

int WINAPI WlxWkstaLockedSAS(PVOID, DWORD) {
  Enter(kGinaWkstaLockedSAS);
  return kSasActionNone;
}

BOOL WINAPI WlxIsLockOk(PVOID) {
  Enter(kGinaIsLockOk);
  return g_control.is_lock_ok_result;
}

BOOL WINAPI WlxIsLogoffOk(PVOID) {
  Enter(kGinaIsLogoffOk);
  return TRUE;
}

VOID WINAPI WlxLogoff(PVOID) {
  Enter(kGinaLogoff);
}

VOID WINAPI WlxShutdown(PVOID, DWORD) {
  Enter(kGinaShutdown);
}

// The optional entry points answer TRUE and mark what they were given, so the bench can tell
// a forwarded call from the logon provider's own default.
BOOL WINAPI WlxScreenSaverNotify(PVOID, BOOL* secure) {
  Enter(kGinaScreenSaverNotify);
  *secure = 7;
  return TRUE;
}

BOOL WINAPI WlxStartApplication(PVOID, PWSTR, PVOID, PWSTR) {
  Enter(kGinaStartApplication);
  return TRUE;
}

BOOL WINAPI WlxNetworkProviderLoad(PVOID, PVOID) {
  Enter(kGinaNetworkProviderLoad);
  return TRUE;
}

BOOL WINAPI WlxDisplayStatusMessage(PVOID, HDESK, DWORD, PWSTR, PWSTR) {
  Enter(kGinaDisplayStatusMessage);
  return TRUE;
}

BOOL WINAPI WlxGetStatusMessage(PVOID, DWORD*, PWSTR, DWORD) {
  Enter(kGinaGetStatusMessage);
  return TRUE;
}

BOOL WINAPI WlxRemoveStatusMessage(PVOID) {
  Enter(kGinaRemoveStatusMessage);
  return TRUE;
}

BOOL WINAPI WlxGetConsoleSwitchCredentials(PVOID, PVOID) {
  Enter(kGinaGetConsoleSwitchCredentials);
  return TRUE;
}

VOID WINAPI WlxDisconnectNotify(PVOID) {
  Enter(kGinaDisconnectNotify);
}

VOID WINAPI WlxReconnectNotify(PVOID) {
  Enter(kGinaReconnectNotify);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
  return TRUE;
}

}  // extern "C"
