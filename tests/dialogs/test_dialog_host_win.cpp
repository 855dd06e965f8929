#include "dialogs/test_dialog_host_win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "dialogs/dialog_watcher.h"

namespace hvn::test {
namespace {

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;
constexpr WORD kNoId = 0xFFFF;
constexpr UINT kMoveFocusMessage = WM_APP + 0x49;
// How long a host waits for its dialog thread to show the dialog and to end.
constexpr DWORD kHostWaitMs = 30000;

struct Item {
  WORD Class;
  WORD Id;
  DWORD Style;
  std::string Text;  // ANSI
  short X, Y, Width, Height;
};

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  int length =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

void AppendWord(std::vector<WORD>& out, WORD value) {
  out.push_back(value);
}
void AppendDword(std::vector<WORD>& out, DWORD value) {
  out.push_back(LOWORD(value));
  out.push_back(HIWORD(value));
}
void AppendText(std::vector<WORD>& out, const std::string& text) {
  for (wchar_t c : Widen(text)) out.push_back(static_cast<WORD>(c));
  out.push_back(0);
}
void AlignDword(std::vector<WORD>& out) {
  if (out.size() % 2 != 0) out.push_back(0);
}

constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT;
constexpr DWORD kEdit = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kPassword = kEdit | ES_PASSWORD;
constexpr DWORD kDefaultButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kDropDownList = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;

std::vector<Item> ItemsOf(const TestDialogLayout& layout) {
  std::vector<Item> items;
  switch (layout.Kind) {
    case TestDialogKind::ChangeNT: {
      ChangeNtFieldIds ids = FieldIdsOf(layout.Ids);
      items = {
          {kStaticClass, kNoId, kLabel, "&User name:", 7, 9, 80, 10},
          {kEditClass, static_cast<WORD>(ids.UserName), kEdit, layout.UserName, 90, 7, 120, 12},
          {kStaticClass, kNoId, kLabel, "&Log on to:", 7, 25, 80, 10},
          {kComboBoxClass, static_cast<WORD>(ids.Domain), kDropDownList, "", 90, 23, 120, 80},
          {kStaticClass, kNoId, kLabel, "&Old Password:", 7, 41, 80, 10},
          {kEditClass, static_cast<WORD>(ids.OldPassword), kPassword, "", 90, 39, 120, 12},
          {kStaticClass, kNoId, kLabel, "&New Password:", 7, 57, 80, 10},
          {kEditClass, static_cast<WORD>(ids.NewPassword), kPassword, "", 90, 55, 120, 12},
          {kStaticClass, kNoId, kLabel, layout.RecognitionText + ":", 7, 73, 80, 10},
          {kEditClass, static_cast<WORD>(ids.Confirm), kPassword, "", 90, 71, 120, 12},
          {kButtonClass, IDOK, kDefaultButton, "OK", 90, 92, 50, 14},
          {kButtonClass, IDCANCEL, kButton, "Cancel", 150, 92, 50, 14},
      };
      break;
    }
    case TestDialogKind::ChangeNW:
      // Old, new and confirm are the 5th, 7th and 9th descendants.
      items = {
          {kStaticClass, kNoId, kLabel,
           layout.RecognitionText + " below, type the old and new passwords.", 7, 7, 200, 20},
          {kStaticClass, kNoId, kLabel, "NW\\alice", 7, 29, 200, 10},
          {kStaticClass, kNoId, kLabel, "Servers:", 7, 41, 200, 10},
          {kStaticClass, kNoId, kLabel, "&Old password:", 7, 55, 80, 10},
          {kEditClass, kNwOldPasswordId, kPassword, "", 90, 53, 120, 12},
          {kStaticClass, kNoId, kLabel, "&New password:", 7, 71, 80, 10},
          {kEditClass, kNwNewPasswordId, kPassword, "", 90, 69, 120, 12},
          {kStaticClass, kNoId, kLabel, "Confirm new password:", 7, 87, 80, 10},
          {kEditClass, kNwConfirmId, kPassword, "", 90, 85, 120, 12},
          {kButtonClass, IDOK, kDefaultButton, "OK", 90, 104, 50, 14},
          {kButtonClass, IDCANCEL, kButton, "Cancel", 150, 104, 50, 14},
      };
      break;
    case TestDialogKind::ExpiredNW:
      // New and confirm are the 4th and 6th descendants.
      items = {
          {kStaticClass, kNoId, kLabel, layout.RecognitionText, 7, 7, 200, 10},
          {kStaticClass, kNoId, kLabel, "NW\\alice", 7, 19, 200, 10},
          {kStaticClass, kNoId, kLabel, "&New password:", 7, 35, 80, 10},
          {kEditClass, kNwNewPasswordId, kPassword, "", 90, 33, 120, 12},
          {kStaticClass, kNoId, kLabel, "Confirm new password:", 7, 51, 80, 10},
          {kEditClass, kNwConfirmId, kPassword, "", 90, 49, 120, 12},
          {kButtonClass, IDOK, kDefaultButton, "OK", 90, 68, 50, 14},
          {kButtonClass, IDCANCEL, kButton, "Cancel", 150, 68, 50, 14},
      };
      break;
    case TestDialogKind::RejectedNT:
      items = {
          {kStaticClass, kNoId, kLabel,
           "Your password must be at least 8 characters long. " + layout.RecognitionText + ".", 7,
           7, 200, 30},
          {kButtonClass, IDOK, kDefaultButton, "OK", 80, 42, 50, 14},
      };
      break;
  }
  return items;
}

void End(HWND dialog, TestDialogRecord* record, INT_PTR result) {
  if (record != nullptr) record->Ended.store(true);
  ::EndDialog(dialog, result);
}

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* setup = reinterpret_cast<std::pair<const TestDialogLayout*, TestDialogRecord*>*>(
      ::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      auto* init = reinterpret_cast<std::pair<const TestDialogLayout*, TestDialogRecord*>*>(lparam);
      const TestDialogLayout& layout = *init->first;
      if (layout.Kind == TestDialogKind::ChangeNT) {
        HWND combo = ::GetDlgItem(dialog, FieldIdsOf(layout.Ids).Domain);
        for (const std::string& domain : layout.Domains) {
          std::wstring wide = Widen(domain);
          ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        }
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(layout.SelectedDomain), 0);
      }
      return TRUE;
    }
    case WM_COMMAND:
      if (setup == nullptr) return FALSE;
      if (setup->second != nullptr) ++setup->second->CommandCount;
      if (LOWORD(wparam) == IDOK) {
        if (setup->second != nullptr) ++setup->second->OwnOkCount;
        if (setup->first->CloseOnOk) End(dialog, setup->second, IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        End(dialog, setup->second, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      End(dialog, setup ? setup->second : nullptr, IDCANCEL);
      return TRUE;
    case kQueryFocusMessage:
      ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(::GetFocus()));
      return TRUE;
    case kMoveFocusMessage:
      ::SetFocus(reinterpret_cast<HWND>(wparam));
      ::SetFocus(reinterpret_cast<HWND>(lparam));
      return TRUE;
    default:
      return FALSE;
  }
}

// The setup a dialog reads through DWLP_USER; lives as long as the dialog.
struct DialogSetup {
  TestDialogLayout Layout;
  std::pair<const TestDialogLayout*, TestDialogRecord*> Pair;
  std::vector<WORD> Template;
};

}  // namespace

ChangeNtFieldIds FieldIdsOf(ChangeNtIdSet ids) {
  if (ids == ChangeNtIdSet::Windows2000) return {1702, 1704, 1706, 1708, 1710};
  return {1552, 1554, 1556, 1558, 1560};
}

TestDialogLayout LayoutForBuiltInRow(size_t row, ChangeNtIdSet ids) {
  const BuiltInRecognitionRow& builtin = kBuiltInRecognitionRows[row];
  TestDialogLayout layout;
  layout.Title = builtin.Title;
  layout.RecognitionText = builtin.ControlText;
  layout.Ids = ids;
  switch (builtin.Kind) {
    case DialogKind::ChangeNT:
      layout.Kind = TestDialogKind::ChangeNT;
      break;
    case DialogKind::RejectedNT:
      layout.Kind = TestDialogKind::RejectedNT;
      break;
    case DialogKind::ChangeNW:
      layout.Kind = TestDialogKind::ChangeNW;
      break;
    case DialogKind::ExpiredNW:
      layout.Kind = TestDialogKind::ExpiredNW;
      break;
  }
  return layout;
}

std::vector<WORD> BuildDialogTemplate(const TestDialogLayout& layout) {
  std::vector<Item> items = ItemsOf(layout);
  std::vector<WORD> out;
  // Not WS_VISIBLE: a modal dialog is shown anyway, a modeless one as its layout asks.
  AppendDword(out, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  AppendDword(out, 0);  // extended style
  AppendWord(out, static_cast<WORD>(items.size()));
  AppendWord(out, 10);
  AppendWord(out, 10);
  AppendWord(out, 220);
  AppendWord(out, 125);
  AppendWord(out, 0);  // no menu
  AppendWord(out, 0);  // the dialog class
  AppendText(out, layout.Title);
  for (const Item& item : items) {
    AlignDword(out);
    AppendDword(out, item.Style);
    AppendDword(out, 0);
    AppendWord(out, static_cast<WORD>(item.X));
    AppendWord(out, static_cast<WORD>(item.Y));
    AppendWord(out, static_cast<WORD>(item.Width));
    AppendWord(out, static_cast<WORD>(item.Height));
    AppendWord(out, item.Id);
    AppendWord(out, 0xFFFF);
    AppendWord(out, item.Class);
    AppendText(out, item.Text);
    AppendWord(out, 0);  // no creation data
  }
  return out;
}

namespace {

void Show(HWND dialog, const TestDialogLayout& layout) {
  if (layout.Activate) {
    ::ShowWindow(dialog, SW_SHOW);
    ::SetForegroundWindow(dialog);
  } else {
    ::ShowWindow(dialog, SW_SHOWNOACTIVATE);
  }
}

DialogSetup* NewSetup(const TestDialogLayout& layout, TestDialogRecord* record) {
  auto* setup = new DialogSetup;
  setup->Layout = layout;
  setup->Pair = {&setup->Layout, record};
  setup->Template = BuildDialogTemplate(layout);
  return setup;
}

}  // namespace

HWND CreateTestDialog(const TestDialogLayout& layout, TestDialogRecord* record, HWND parent) {
  // The setup must outlive the dialog; a test dialog lives until its process ends at most.
  DialogSetup* setup = NewSetup(layout, record);
  HWND dialog = ::CreateDialogIndirectParamW(
      ::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(setup->Template.data()),
      parent, TestDialogProc, reinterpret_cast<LPARAM>(&setup->Pair));
  if (dialog != nullptr) Show(dialog, layout);
  return dialog;
}

INT_PTR RunTestDialog(const TestDialogLayout& layout, TestDialogRecord* record, HWND parent) {
  DialogSetup* setup = NewSetup(layout, record);
  INT_PTR result = ::DialogBoxIndirectParamW(
      ::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(setup->Template.data()),
      parent, TestDialogProc, reinterpret_cast<LPARAM>(&setup->Pair));
  delete setup;
  return result;
}

// What the dialog's thread uses: it lives until both the host and the thread let go of it.
struct DialogHostThread::Shared {
  TestDialogLayout Layout;
  TestDialogRecord Record;
  HANDLE Ready = nullptr;
  std::atomic<HWND> Dialog{nullptr};
  std::atomic<int> Owners{2};

  void Release() {
    if (--Owners == 0) delete this;
  }
  ~Shared() {
    if (Ready != nullptr) ::CloseHandle(Ready);
  }
};

DialogHostThread::DialogHostThread(const TestDialogLayout& layout) : shared_(new Shared) {
  shared_->Layout = layout;
  shared_->Ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = ::CreateThread(nullptr, 0, Run, shared_, 0, &thread_id_);
  if (thread_ == nullptr) {
    ADD_FAILURE() << "the dialog thread cannot be started: " << ::GetLastError();
    shared_->Release();  // the thread's share
    return;
  }
  if (::WaitForSingleObject(shared_->Ready, kHostWaitMs) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "the dialog thread did not show its dialog within " << kHostWaitMs << " ms";
    return;
  }
  dialog_ = shared_->Dialog.load();
}

DialogHostThread::~DialogHostThread() {
  if (thread_ != nullptr) {
    ::PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    if (::WaitForSingleObject(thread_, kHostWaitMs) != WAIT_OBJECT_0)
      ADD_FAILURE() << "the dialog thread did not end within " << kHostWaitMs << " ms";
    ::CloseHandle(thread_);
  }
  shared_->Release();
}

int DialogHostThread::OwnOkCount() const {
  return shared_->Record.OwnOkCount.load();
}
int DialogHostThread::CommandCount() const {
  return shared_->Record.CommandCount.load();
}
bool DialogHostThread::Ended() const {
  return shared_->Record.Ended.load();
}

DWORD WINAPI DialogHostThread::Run(LPVOID param) {
  auto& shared = *static_cast<Shared*>(param);
  DialogSetup* setup = NewSetup(shared.Layout, &shared.Record);
  // Modeless: EndDialog only hides it; the record says that it was ended.
  HWND dialog = ::CreateDialogIndirectParamW(
      ::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(setup->Template.data()),
      nullptr, TestDialogProc, reinterpret_cast<LPARAM>(&setup->Pair));
  if (dialog != nullptr) Show(dialog, shared.Layout);
  shared.Dialog.store(dialog);
  // Make sure the thread has a message queue before anyone posts to it.
  MSG message;
  ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
  ::SetEvent(shared.Ready);
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!::IsDialogMessageW(dialog, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  ::DestroyWindow(dialog);
  delete setup;
  shared.Release();
  return 0;
}

HWND DialogHostThread::Focus() const {
  return reinterpret_cast<HWND>(::SendMessageW(dialog_, kQueryFocusMessage, 0, 0));
}

void DialogHostThread::PressOk() const {
  ::PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog_, IDOK)));
}

void DialogHostThread::MoveFocus(HWND control, HWND next) const {
  ::SendMessageW(dialog_, kMoveFocusMessage, reinterpret_cast<WPARAM>(control),
                 reinterpret_cast<LPARAM>(next));
}

void StopAndJoinWatcher(DialogWatcher& watcher) {
  StopWatching(watcher);
  if (WaitForWatcherThread(watcher, kHostWaitMs)) return;
  std::fprintf(stderr, "FATAL: the watcher thread did not end within %lu ms\n",
               static_cast<unsigned long>(kHostWaitMs));
  std::fflush(stderr);
  ::TerminateProcess(::GetCurrentProcess(), 3);
}

std::wstring WindowTextW(HWND window) {
  wchar_t text[4096] = {};
  ::GetWindowTextW(window, text, 4096);
  return text;
}

std::string WindowTextA(HWND window) {
  char text[4096] = {};
  ::GetWindowTextA(window, text, 4096);
  return text;
}

void SetWindowTextFromTest(HWND window, const std::wstring& text) {
  ::SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace hvn::test
