#include "dialogs/dialog_test_fixture_win.h"

#include <cstring>

#include "dialogs/windows_version.h"

namespace hvn::test {
namespace {

class BoxLog {
 public:
  BoxLog() { ::InitializeCriticalSection(&lock_); }
  ~BoxLog() { ::DeleteCriticalSection(&lock_); }
  void Add(RecordedBox box) {
    ::EnterCriticalSection(&lock_);
    boxes_.push_back(std::move(box));
    ::LeaveCriticalSection(&lock_);
  }
  std::vector<RecordedBox> Get() {
    ::EnterCriticalSection(&lock_);
    std::vector<RecordedBox> copy = boxes_;
    ::LeaveCriticalSection(&lock_);
    return copy;
  }
  void Clear() {
    ::EnterCriticalSection(&lock_);
    boxes_.clear();
    ::LeaveCriticalSection(&lock_);
  }

 private:
  CRITICAL_SECTION lock_;
  std::vector<RecordedBox> boxes_;
};

BoxLog g_boxes;

std::u16string FromWide(const wchar_t* text) {
  return text != nullptr ? std::u16string(reinterpret_cast<const char16_t*>(text))
                         : std::u16string();
}

}  // namespace

const HANDLE kTestHost = reinterpret_cast<HANDLE>(0x4856);

std::vector<RecordedBox> RecordedBoxes() {
  return g_boxes.Get();
}
void ClearRecordedBoxes() {
  g_boxes.Clear();
}

int WINAPI RecordingMessageBox(HANDLE host, HWND owner, LPWSTR text, LPWSTR title, UINT style) {
  // From this frame to the thread's stack base (fs:4): what every caller still holds.
  const char* low;
  const char* base;
  asm volatile("movl %%esp, %0" : "=r"(low));
  asm volatile("movl %%fs:4, %0" : "=r"(base));
  g_boxes.Add({host, owner, FromWide(text), FromWide(title), style, std::string(low, base)});
  return IDOK;
}

std::string WireRequest(const std::vector<std::u16string>& fields) {
  std::string bytes;
  for (const std::u16string& field : fields) {
    for (char16_t c : field + u'\0') {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
  }
  return bytes;
}

std::u16string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ::GetComputerNameW(name, &size);
  return FromWide(name);
}

bool Uses2000Layout() {
  return IsWindows2000() || IsWindowsXP();
}

void DialogTest::SetUp() {
  ClearRecordedBoxes();
  ASSERT_EQ(server_.Start(0, "127.0.0.1"), 0u);
  settings_.SetDefaults();
  settings_.HVS_Port = server_.port();
  settings_.Timeout = 300;  // the silent cases each wait this once
  settings_.Retries = 0;
  settings_.DisplayPolicyMessage = 0;
  settings_.WaitSleepTime = 10;
  ServeDomains({"SALES"});

  PasswordDialogState& state = DialogState();
  state.UserNameField = state.DomainField = nullptr;
  state.OldPasswordField = state.NewPasswordField = state.ConfirmField = nullptr;
  state.RejectionOwner = nullptr;
  std::memset(state.UserName, 0, sizeof(state.UserName));
  std::memset(state.Domain, 0, sizeof(state.Domain));
  std::memset(state.LastPolicyMessage, 0, sizeof(state.LastPolicyMessage));
  state.MessageBox = {RecordingMessageBox, kTestHost};
  state.Settings = &settings_;
}

void DialogTest::TearDown() {
  StopAndJoinWatcher(watcher_);
  server_.Stop();
  DialogState().Settings = nullptr;
  DialogState().MessageBox = {nullptr, nullptr};
}

void DialogTest::Script(const std::string& script) {
  std::string error;
  ASSERT_TRUE(server_.SetScript(script, &error)) << error;
}

void DialogTest::ServeDomains(const std::vector<std::string>& domains) {
  std::string list;
  for (const std::string& domain : domains) list += domain + " 127.0.0.1" + '\0';
  list += '\0';
  settings_.SetServers(ServerListRef::Create(list.data(), static_cast<uint32_t>(list.size())));
}

void DialogTest::StartWatcher() {
  ASSERT_EQ(BuildRecognitionTable(watcher_, settings_), 0u);
  watcher_.ThrottleInterval = 100;
  ASSERT_EQ(StartWatching(watcher_), 0u);
}

bool DialogTest::WaitForSubclass(HWND dialog, WNDPROC procedure) {
  return WaitUntil([&] {
    return ::GetWindowLongPtrA(dialog, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(procedure);
  });
}

}  // namespace hvn::test
