#include <cstring>

#include "bench/winlogon_bench.h"

namespace hvn::test {
namespace {

WinlogonBench* g_bench = nullptr;  // the one bench WlxMessageBox reports to

LONG OpenKey(const char* path, REGSAM access, HKEY* key) {
  return ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                           nullptr, key, nullptr);
}

void DeleteTree(HKEY root, const char* path) {
  HKEY key;
  if (::RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) != 0) return;
  char child[260];
  while (::RegEnumKeyA(key, 0, child, sizeof(child)) == 0) {
    std::string child_path = std::string(path) + "\\" + child;
    DeleteTree(root, child_path.c_str());
  }
  ::RegCloseKey(key);
  ::RegDeleteKeyA(root, path);
}

std::wstring WindowText(HWND window) {
  wchar_t text[4096] = {};
  ::GetWindowTextW(window, text, 4096);
  return text;
}

const char* const kSavedWinlogonValues[] = {"GinaDLL", "REM_GinaDLL"};

}  // namespace

SavedRegistry::SavedRegistry() {
  for (const char* name : kSavedWinlogonValues) {
    Value value{name, false, {}};
    value.present = ReadWinlogonValue(name, &value.data);
    winlogon_.push_back(value);
  }
}

SavedRegistry::~SavedRegistry() {
  for (const Value& value : winlogon_) {
    if (value.present)
      SetWinlogonValue(value.name, value.data);
    else
      DeleteWinlogonValue(value.name);
  }
  DeleteClientSettings();
}

void SetWinlogonValue(const char* name, const std::string& text) {
  HKEY key;
  if (OpenKey(kWinlogonKey, KEY_WRITE, &key) != 0) return;
  ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  ::RegCloseKey(key);
}

void DeleteWinlogonValue(const char* name) {
  HKEY key;
  if (OpenKey(kWinlogonKey, KEY_WRITE, &key) != 0) return;
  ::RegDeleteValueA(key, name);
  ::RegCloseKey(key);
}

bool ReadWinlogonValue(const char* name, std::string* text) {
  HKEY key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWinlogonKey, 0, KEY_READ, &key) != 0) return false;
  char data[1024] = {};
  DWORD size = sizeof(data) - 1;
  LONG rc = ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  ::RegCloseKey(key);
  if (rc != 0) return false;
  *text = data;
  return true;
}

void WriteClientSettings(const std::vector<std::string>& servers, DWORD port, DWORD timeout_ms,
                         DWORD retries, DWORD display_policy_message) {
  DeleteClientSettings();
  HKEY key;
  if (OpenKey(kClientKey, KEY_WRITE, &key) != 0) return;
  if (!servers.empty()) {
    std::string list;
    for (const std::string& server : servers) list += server + '\0';
    list += '\0';
    ::RegSetValueExA(key, "HVServers", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list.data()),
                     static_cast<DWORD>(list.size()));
  }
  const struct {
    const char* name;
    DWORD value;
  } numbers[] = {{"HVS_Port", port},
                 {"Timeout", timeout_ms},
                 {"Retries", retries},
                 {"DisplayPolicyMessage", display_policy_message},
                 {"WaitSleepTime", 20}};
  for (const auto& number : numbers)
    ::RegSetValueExA(key, number.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number.value),
                     sizeof(DWORD));
  ::RegCloseKey(key);
}

void SetClientNumber(const char* name, DWORD value) {
  HKEY key;
  if (OpenKey(kClientKey, KEY_WRITE, &key) != 0) return;
  ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  ::RegCloseKey(key);
}

void DeleteClientSettings() {
  DeleteTree(HKEY_LOCAL_MACHINE, kClientKey);
}

std::string ExecutableFolder() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* slash = std::strrchr(path, '\\');
  if (slash != nullptr) slash[1] = '\0';
  return path;
}

bool ProvideStandardProvider() {
  // SetDllDirectoryA is newer than the API level the build targets: look it up.
  typedef BOOL(WINAPI * SetDllDirectoryFunction)(const char*);
  auto set_dll_directory = reinterpret_cast<SetDllDirectoryFunction>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "SetDllDirectoryA")));
  if (set_dll_directory == nullptr) return false;
  std::string folder = ExecutableFolder() + "standard_provider";
  return set_dll_directory(folder.c_str()) != FALSE;
}

WinlogonBench::WinlogonBench() {
  ::InitializeCriticalSection(&lock_);
  winlogon_handle_ = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x57A7E));
  dispatch_[5] = reinterpret_cast<void*>(&RecordingMessageBox);
  g_bench = this;
  stop_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD id;
  answerer_ = ::CreateThread(nullptr, 0, AnswerBoxes, this, 0, &id);
}

WinlogonBench::~WinlogonBench() {
  ::SetEvent(stop_);
  ::WaitForSingleObject(answerer_, 30000);
  ::CloseHandle(answerer_);
  ::CloseHandle(stop_);
  g_bench = nullptr;
  ::DeleteCriticalSection(&lock_);
  // HVNc32 stays loaded, as in Winlogon: its watcher threads may still be ending.
}

bool WinlogonBench::Load() {
  if (::GetModuleHandleA("HVNc32.dll") != nullptr) return false;
  library_ = ::LoadLibraryA("HVNc32.dll");
  return library_ != nullptr;
}

void* WinlogonBench::Export(const char* name) const {
  return library_ != nullptr ? reinterpret_cast<void*>(::GetProcAddress(library_, name)) : nullptr;
}

BOOL WinlogonBench::Negotiate(DWORD offered, DWORD* reported) {
  typedef BOOL(WINAPI * Function)(DWORD, PDWORD);
  return reinterpret_cast<Function>(Export("WlxNegotiate"))(offered, reported);
}

BOOL WinlogonBench::Initialize(void* dispatch) {
  typedef BOOL(WINAPI * Function)(LPWSTR, HANDLE, PVOID, PVOID, PVOID*);
  wchar_t station[] = L"WinSta0";
  return reinterpret_cast<Function>(Export("WlxInitialize"))(
      station, winlogon_handle_, nullptr, dispatch != nullptr ? dispatch : dispatch_, &context_);
}

int WinlogonBench::LoggedOnSAS() {
  typedef int(WINAPI * Function)(PVOID, DWORD, PVOID);
  return reinterpret_cast<Function>(Export("WlxLoggedOnSAS"))(context_, 1 /* Ctrl+Alt+Del */,
                                                              nullptr);
}

int WinlogonBench::LoggedOutSAS() {
  typedef int(WINAPI * Function)(PVOID, DWORD, PLUID, PSID, PDWORD, PHANDLE, PVOID, PVOID*);
  LUID luid{};
  DWORD options = 0;
  HANDLE token = nullptr;
  void* profile = nullptr;
  char mpr[64] = {};
  return reinterpret_cast<Function>(Export("WlxLoggedOutSAS"))(context_, 1, &luid, nullptr,
                                                               &options, &token, mpr, &profile);
}

BOOL WinlogonBench::ActivateUserShell() {
  typedef BOOL(WINAPI * Function)(PVOID, PWSTR, PWSTR, PVOID);
  wchar_t desktop[] = L"Default";
  wchar_t script[] = L"";
  return reinterpret_cast<Function>(Export("WlxActivateUserShell"))(context_, desktop, script,
                                                                    nullptr);
}

void WinlogonBench::SetPromptAnswer(int answer) {
  ::InterlockedExchange(&prompt_answer_, answer);
}

void WinlogonBench::ShowRealBoxes(void (*before_answer)(const RecordedBox&, void*), void* data) {
  real_boxes_ = true;
  before_answer_ = before_answer;
  before_answer_data_ = data;
}

std::vector<RecordedBox> WinlogonBench::Boxes() const {
  ::EnterCriticalSection(&lock_);
  std::vector<RecordedBox> copy = boxes_;
  ::LeaveCriticalSection(&lock_);
  return copy;
}

std::vector<RecordedBox> WinlogonBench::WinlogonBoxes() const {
  std::vector<RecordedBox> result;
  for (const RecordedBox& box : Boxes())
    if (box.through_winlogon) result.push_back(box);
  return result;
}

std::vector<RecordedBox> WinlogonBench::SystemBoxes() const {
  std::vector<RecordedBox> result;
  for (const RecordedBox& box : Boxes())
    if (!box.through_winlogon) result.push_back(box);
  return result;
}

TestGinaControl* WinlogonBench::Gina(const char* module_name) {
  HMODULE module = ::GetModuleHandleA(module_name);
  if (module == nullptr) return nullptr;
  auto control = reinterpret_cast<TestGinaControlFunction>(
      reinterpret_cast<void*>(::GetProcAddress(module, TEST_GINA_CONTROL_EXPORT)));
  return control != nullptr ? control() : nullptr;
}

void WinlogonBench::Record(const RecordedBox& box) {
  ::EnterCriticalSection(&lock_);
  boxes_.push_back(box);
  ::LeaveCriticalSection(&lock_);
}

int WINAPI WinlogonBench::RecordingMessageBox(HANDLE winlogon, HWND owner, LPWSTR text,
                                              LPWSTR title, UINT style) {
  RecordedBox box{
      true,  winlogon, owner, text != nullptr ? text : L"", title != nullptr ? title : L"",
      style, IDOK};
  WinlogonBench* bench = g_bench;
  if (bench == nullptr) return IDOK;
  // In the demonstration the box is real; the answering thread closes it.
  if (bench->real_boxes_) box.answer = ::MessageBoxW(owner, text, title, style);
  bench->Record(box);
  return box.answer;
}

namespace {

struct BoxSearch {
  DWORD process;
  std::vector<HWND> boxes;
};

// Collects the visible message boxes titled "Halvern" of this process.
BOOL CALLBACK CollectBox(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<BoxSearch*>(parameter);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  char window_class[64] = {};
  ::GetClassNameA(window, window_class, sizeof(window_class));
  if (process == search->process && std::strcmp(window_class, "#32770") == 0 &&
      ::IsWindowVisible(window) && WindowText(window) == L"Halvern")
    search->boxes.push_back(window);
  return TRUE;
}

}  // namespace

void WinlogonBench::AnswerVisibleBoxes() {
  BoxSearch search{::GetCurrentProcessId(), {}};
  ::EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
  for (HWND box : search.boxes) {
    bool seen = false;
    for (HWND answered : answered_) seen = seen || answered == box;
    if (seen) continue;
    answered_.push_back(box);
    wchar_t text[4096] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 4096);
    bool yes_no = ::GetDlgItem(box, IDYES) != nullptr;
    RecordedBox record{false,
                       nullptr,
                       ::GetWindow(box, GW_OWNER),
                       text,
                       L"Halvern",
                       static_cast<UINT>(yes_no ? MB_YESNO : MB_OK),
                       yes_no ? static_cast<int>(prompt_answer_) : IDOK};
    if (before_answer_ != nullptr) before_answer_(record, before_answer_data_);
    // Boxes through WlxMessageBox are recorded by RecordingMessageBox when they return.
    bool winlogon_box = real_boxes_ && !yes_no && ::GetWindow(box, GW_OWNER) != nullptr;
    if (!winlogon_box) Record(record);
    ::SendMessageW(box, WM_COMMAND, record.answer, 0);
  }
}

DWORD WINAPI WinlogonBench::AnswerBoxes(void* self) {
  auto* bench = static_cast<WinlogonBench*>(self);
  while (::WaitForSingleObject(bench->stop_, 10) == WAIT_TIMEOUT) bench->AnswerVisibleBoxes();
  return 0;
}

HWND DialogDriver::WaitForInterceptedDialog(DWORD bound_ms) {
  HWND dialog = nullptr;
  bool ready = WaitUntil(
      [&] {
        dialog = static_cast<HWND>(gina_->dialog);
        return dialog != nullptr && reinterpret_cast<void*>(::GetWindowLongPtrA(
                                        dialog, GWLP_WNDPROC)) != gina_->dialog_initial_proc;
      },
      bound_ms);
  return ready ? dialog : nullptr;
}

void DialogDriver::TypeAndConfirm(HWND dialog, const wchar_t* old_password,
                                  const wchar_t* new_password, const wchar_t* confirm) {
  if (old_password != nullptr) ::SetDlgItemTextW(dialog, OldId(), old_password);
  ::SetDlgItemTextW(dialog, NewId(), new_password);
  ::SetDlgItemTextW(dialog, ConfirmId(), confirm);
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
}

std::wstring DialogDriver::FieldText(HWND dialog, int id) {
  return WindowText(::GetDlgItem(dialog, id));
}

namespace {
bool IsWindows2000OrXP() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  ::GetVersionExA(&version);
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 5 &&
         version.dwMinorVersion <= 1;
}
}  // namespace

int DialogDriver::UserId() {
  return IsWindows2000OrXP() ? 1702 : 1552;
}
int DialogDriver::OldId() {
  return IsWindows2000OrXP() ? 1706 : 1556;
}
int DialogDriver::NewId() {
  return IsWindows2000OrXP() ? 1708 : 1558;
}
int DialogDriver::ConfirmId() {
  return IsWindows2000OrXP() ? 1710 : 1560;
}

BackgroundThread::BackgroundThread(void (*body)(void*), void* data) : body_(body), data_(data) {
  DWORD id;
  thread_ = ::CreateThread(nullptr, 0, Run, this, 0, &id);
}

BackgroundThread::~BackgroundThread() {
  Join();
  ::CloseHandle(thread_);
}

bool BackgroundThread::Join(DWORD bound_ms) {
  return ::WaitForSingleObject(thread_, bound_ms) == WAIT_OBJECT_0;
}

DWORD WINAPI BackgroundThread::Run(void* self) {
  auto* thread = static_cast<BackgroundThread*>(self);
  thread->body_(thread->data_);
  return 0;
}

}  // namespace hvn::test
