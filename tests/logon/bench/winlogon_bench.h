// The Winlogon bench: plays Winlogon for HVNc32.dll in this process. It loads the library by
// name as Winlogon does, negotiates, initialises it with a dispatch table whose WlxMessageBox
// records every call, calls the exports, answers the system message boxes the library shows
// (Yes or No for the self-uninstall prompt), and drives the chained test provider's
// change-password dialog. It also sets up the Winlogon values and the client settings.
#ifndef HVN_TESTS_LOGON_BENCH_WINLOGON_BENCH_H_
#define HVN_TESTS_LOGON_BENCH_WINLOGON_BENCH_H_

#include <string>
#include <vector>

#include "gina/test_gina.h"
#include "platform/win.h"

namespace hvn::test {

constexpr char kWinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kClientKey[] = "SOFTWARE\\Norvex\\Halvern Client\\3.5";

// One message box: through Winlogon's WlxMessageBox, or a system box the bench answered.
struct RecordedBox {
  bool through_winlogon;
  HANDLE winlogon;  // WlxMessageBox's host handle
  HWND owner;
  std::wstring text;
  std::wstring title;
  UINT style;  // WlxMessageBox's style; for a system box MB_YESNO or MB_OK by its buttons
  int answer;  // what the box returned
};

// The Winlogon values and client settings of the prefix, saved when the bench starts and put
// back when it ends.
class SavedRegistry {
 public:
  SavedRegistry();
  ~SavedRegistry();

 private:
  struct Value {
    const char* name;
    bool present;
    std::string data;
  };
  std::vector<Value> winlogon_;
};

// HKLM Winlogon value `name`: set (REG_SZ), deleted, or read (false when absent).
void SetWinlogonValue(const char* name, const std::string& text);
void DeleteWinlogonValue(const char* name);
bool ReadWinlogonValue(const char* name, std::string* text);

// Replaces the client settings key with: HVServers = each of `servers` ("DOMAIN host"), port,
// time-out and retries as given, and DisplayPolicyMessage. An empty list writes no HVServers.
void WriteClientSettings(const std::vector<std::string>& servers, DWORD port, DWORD timeout_ms,
                         DWORD retries, DWORD display_policy_message);
void DeleteClientSettings();
// Sets one REG_DWORD of the client settings (after WriteClientSettings).
void SetClientNumber(const char* name, DWORD value);

// Folder of the running executable (with a trailing backslash).
std::string ExecutableFolder();

// Makes the standard provider ("MSGINA.DLL", a build of the test provider) loadable in this
// process, as it is on a real system.
bool ProvideStandardProvider();

class WinlogonBench {
 public:
  WinlogonBench();
  ~WinlogonBench();
  WinlogonBench(const WinlogonBench&) = delete;
  WinlogonBench& operator=(const WinlogonBench&) = delete;

  // Loads HVNc32.dll as Winlogon does. False when it cannot be loaded, or was loaded before
  // in this process (its state is process-wide: each scenario needs a fresh process).
  bool Load();
  // The export `name` of HVNc32.dll, or null.
  void* Export(const char* name) const;

  BOOL Negotiate(DWORD offered, DWORD* reported);
  // Initialises with the recording dispatch table (or `dispatch` when given).
  BOOL Initialize(void* dispatch = nullptr);
  int LoggedOnSAS();
  int LoggedOutSAS();
  BOOL ActivateUserShell();
  void* context() const { return context_; }
  HANDLE winlogon_handle() const { return winlogon_handle_; }

  // The answer given to system Yes/No boxes (IDNO unless told otherwise).
  void SetPromptAnswer(int answer);
  // When set, WlxMessageBox shows a real box (the demonstration) instead of only recording;
  // `before_answer` runs on the answering thread while a box is on screen.
  void ShowRealBoxes(void (*before_answer)(const RecordedBox& box, void* data), void* data);

  std::vector<RecordedBox> Boxes() const;          // every box so far, in order
  std::vector<RecordedBox> WinlogonBoxes() const;  // only those through WlxMessageBox
  std::vector<RecordedBox> SystemBoxes() const;    // only the system boxes answered

  // The control block of a loaded test provider (by module name), or null.
  static TestGinaControl* Gina(const char* module_name);

 private:
  static int WINAPI RecordingMessageBox(HANDLE winlogon, HWND owner, LPWSTR text, LPWSTR title,
                                        UINT style);
  static DWORD WINAPI AnswerBoxes(void* bench);
  void Record(const RecordedBox& box);
  void AnswerVisibleBoxes();

  HMODULE library_ = nullptr;
  void* context_ = nullptr;
  HANDLE winlogon_handle_;
  void* dispatch_[48] = {};
  HANDLE stop_ = nullptr;
  HANDLE answerer_ = nullptr;
  volatile LONG prompt_answer_ = IDNO;
  bool real_boxes_ = false;
  void (*before_answer_)(const RecordedBox&, void*) = nullptr;
  void* before_answer_data_ = nullptr;
  mutable CRITICAL_SECTION lock_;
  std::vector<RecordedBox> boxes_;
  std::vector<HWND> answered_;
};

// Waits until `condition()` holds, checking every few milliseconds, at most `bound_ms`.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD bound_ms = 20000) {
  DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > bound_ms) return false;
    ::Sleep(5);
  }
  return true;
}

// Drives the test provider's change-password dialog from another thread.
class DialogDriver {
 public:
  explicit DialogDriver(TestGinaControl* gina) : gina_(gina) {}
  // Waits until the dialog is open and subclassed by the logon provider; its window or null.
  HWND WaitForInterceptedDialog(DWORD bound_ms = 20000);
  // Types the three passwords (old may be null to leave it) and presses OK (posted).
  void TypeAndConfirm(HWND dialog, const wchar_t* old_password, const wchar_t* new_password,
                      const wchar_t* confirm);
  // Text of a field by its control id.
  std::wstring FieldText(HWND dialog, int id);
  // The dialog's control ids on this Windows version.
  static int UserId();
  static int OldId();
  static int NewId();
  static int ConfirmId();

 private:
  TestGinaControl* gina_;
};

// Runs `body(data)` on a thread of its own; Join waits for it (bounded) and says whether it
// ended.
class BackgroundThread {
 public:
  BackgroundThread(void (*body)(void*), void* data);
  ~BackgroundThread();
  bool Join(DWORD bound_ms = 60000);

 private:
  static DWORD WINAPI Run(void* self);
  void (*body_)(void*);
  void* data_;
  HANDLE thread_;
};

}  // namespace hvn::test

#endif  // HVN_TESTS_LOGON_BENCH_WINLOGON_BENCH_H_
