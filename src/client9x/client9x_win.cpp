#include <cstring>

#include "client9x/client9x.h"
#include "client9x/dialog_handlers_9x.h"
#include "config/migrate_settings.h"
#include "dialogs/dialog_preparation.h"
#include "dialogs/dialog_watcher.h"
#include "dialogs/dialog_window_ops.h"
#include "dialogs/password_dialog_state.h"
#include "platform/ansi_text.h"
#include "platform/exception_guard.h"

namespace hvn {
namespace {

// In a section of its own that the image marks shared: every process that maps the library
// sees the same 8 bytes.
SharedHookState g_shared_hook __attribute__((section(".shared"), shared)) = {nullptr, 0};

Client9xProcess g_process;

constexpr size_t kWindowTextSize = 256;    // bytes read of a title or a control's text
constexpr size_t kMarkedTitleSize = 1024;  // bytes read when looking for the title mark

// One activation's search: the row being tried, the window searched and whether it has been
// prepared. Kept on the activation's own stack, so the activation of the policy message box
// (a hook call nested inside a handler) cannot disturb the search that showed it.
struct ActivationSearch {
  const DialogRecognitionEntry* Row;
  HWND Dialog;
  bool Prepared;
};

bool TextsEqual(const char* a, const char* b) {
  return platform::AnsiEqualIgnoreCase(a, std::strlen(a), b, std::strlen(b));
}

bool TitleCarriesMark(HWND window) {
  char title[kMarkedTitleSize] = {};
  ::GetWindowTextA(window, title, static_cast<int>(sizeof(title)));
  title[sizeof(title) - 1] = '\0';
  return ContainsAnsiText(title, kDialogTitleMark);
}

// The library calls itself back from windows of this process from now on: it keeps a
// reference to itself, so that it is never unloaded under a dialog whose window procedure is
// ours (the system unloads a hook library from other processes when the hook goes). The
// process that installed the hook is left alone: its detach is what removes the hook.
void PinLibrary() {
  Client9xProcess& process = g_process;
  if (process.Pinned || process.Installer || process.Library == nullptr) return;
  char path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameA(process.Library, path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) return;
  process.Pinned = ::LoadLibraryA(path) != nullptr;
}

BOOL CALLBACK TestDescendant(HWND window, LPARAM param) {
  ActivationSearch& search = *reinterpret_cast<ActivationSearch*>(param);
  char text[kWindowTextSize] = {};
  ::GetWindowTextA(window, text, static_cast<int>(sizeof(text)));
  text[sizeof(text) - 1] = '\0';
  if (text[0] == '\0' || !TextsEqual(text, search.Row->ControlText)) return TRUE;
  // Identical rows, and a dialog with two descendants of the same text, would prepare the
  // dialog again: its saved window procedure would become ours and OK would never end.
  if (!TitleCarriesMark(search.Dialog)) {
    PinLibrary();
    search.Row->Handler(search.Dialog, window);
  }
  search.Prepared = true;
  return FALSE;
}

void RecogniseActivatedWindow(HWND window) {
  char title[kWindowTextSize] = {};
  ::GetWindowTextA(window, title, static_cast<int>(sizeof(title)));
  title[sizeof(title) - 1] = '\0';
  ActivationSearch search{nullptr, window, false};
  const Client9xProcess& process = g_process;
  for (uint32_t i = 0; i < g_shared_hook.RowCount && i < k9xRowCapacity && !search.Prepared; ++i) {
    const DialogRecognitionEntry& row = process.Table[i];
    // Rows another process counted but this one did not fill have no handler.
    if (row.Handler == nullptr || !TextsEqual(title, row.Title)) continue;
    search.Row = &row;
    ::EnumChildWindows(window, TestDescendant, reinterpret_cast<LPARAM>(&search));
  }
}

}  // namespace

SharedHookState& SharedHook() {
  return g_shared_hook;
}

Client9xProcess& ProcessState() {
  return g_process;
}

Dialog9xHandlerSet Win9xDialogHandlers() {
  return {win9x::HandleChange9x3, win9x::HandleChange9x4911, win9x::HandleExpiredNW};
}

void Build9xRecognitionTable() {
  Client9xProcess& process = g_process;
  Build9xRecognitionTable(process.Table, g_shared_hook.RowCount, process.Settings.WaitParams,
                          sizeof(process.Settings.WaitParams), Win9xDialogHandlers());
}

void AttachProcess(HINSTANCE library) {
  RunGuarded([library] {
    Client9xProcess& process = g_process;
    process.Library = library;
    ::DisableThreadLibraryCalls(library);
    MigrateEarlierSettings();
    PasswordDialogState& state = DialogState();
    state.MessageBox = {win9x::MessageBox9x, nullptr};
    process.Settings.Load(HKEY_LOCAL_MACHINE, kClientSettingsKey);
    state.Settings = &process.Settings;
    Build9xRecognitionTable();
    if (g_shared_hook.Hook == nullptr) {
      process.Installer = true;
      // A failed installation leaves the handle empty: the next process tries again.
      g_shared_hook.Hook = ::SetWindowsHookExA(WH_CBT, ActivationHook, library, 0);
    }
  });
}

void DetachProcess() {
  RunGuarded([] {
    if (!g_process.Installer || g_shared_hook.Hook == nullptr) return;
    ::UnhookWindowsHookEx(g_shared_hook.Hook);
    g_shared_hook.Hook = nullptr;
    g_process.Installer = false;
  });
}

LRESULT CALLBACK ActivationHook(int code, WPARAM wparam, LPARAM lparam) {
  ::CallNextHookEx(g_shared_hook.Hook, code, wparam, lparam);
  if (code != HCBT_ACTIVATE) return 0;
  HWND window = reinterpret_cast<HWND>(wparam);
  if (window == nullptr) return 0;
  // This runs in whichever process activates a window: nothing may escape into it.
  RunGuarded([window] { RecogniseActivatedWindow(window); });
  return 0;
}

}  // namespace hvn
