#include "dialogs/password_dialog_state.h"

namespace hvn {
namespace {

PasswordDialogState g_dialog_state;

}  // namespace

PasswordDialogState& DialogState() {
  return g_dialog_state;
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
