#include "dialogs/password_dialog_state.h"

namespace hvn {
namespace {

PasswordDialogState g_dialog_state;

// Initialised at load, before any thread of this library can run; never deleted, since a
// detached watcher thread may still use it while the process ends.
struct StateSection {
  StateSection() { ::InitializeCriticalSection(&Section); }
  CRITICAL_SECTION Section;
} g_state_section;

}  // namespace

PasswordDialogState& DialogState() {
  return g_dialog_state;
}

DialogStateLock::DialogStateLock() {
  ::EnterCriticalSection(&g_state_section.Section);
}

DialogStateLock::~DialogStateLock() {
  ::LeaveCriticalSection(&g_state_section.Section);
}

void ShowMessageBox(HWND owner, const char16_t* text, UINT style) {
  const PasswordDialogState& state = DialogState();
  wchar_t title[sizeof(kMessageBoxTitle)];
  for (size_t i = 0; i < sizeof(title) / sizeof(title[0]); ++i) title[i] = kMessageBoxTitle[i];
  // The service's signature takes writable texts; neither is written.
  LPWSTR wide_text = const_cast<LPWSTR>(platform::AsWide(text));
  if (state.MessageBox.Function != nullptr) {
    state.MessageBox.Function(state.MessageBox.Host, owner, wide_text, title, style);
  } else {
    ::MessageBoxW(owner, wide_text, title, style);
  }
}

}  // namespace hvn
