#include "client9x/processes_win.h"

namespace hvn::test {
namespace {

struct WindowSearch {
  DWORD id;
  const char* class_name;
  const std::string* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  WindowSearch& search = *reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search.id) return TRUE;
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof(name));
  char title[256] = {};
  ::GetWindowTextA(window, title, sizeof(title));
  if (std::string(name) != search.class_name || *search.title != title) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

std::string WindowsPath(std::string path) {
  for (char& c : path) c = c == '/' ? '\\' : c;
  return "Z:" + path;
}

void SetRegistryText(HKEY root, const std::string& key_name, const char* name,
                     const std::string& text) {
  HKEY key;
  if (::RegCreateKeyExA(root, key_name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  ::RegCloseKey(key);
}

void ReportWindows98To(const char* program) {
  SetRegistryText(HKEY_CURRENT_USER, std::string("Software\\Wine\\AppDefaults\\") + program,
                  "Version", "win98");
}

Program::Program(const std::string& command_line) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  std::string line = command_line;
  started_ = ::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info_) != FALSE;
}

Program::~Program() {
  if (!started_) return;
  if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
    ::TerminateProcess(info_.hProcess, 99);
  ::CloseHandle(info_.hThread);
  ::CloseHandle(info_.hProcess);
}

DWORD Program::WaitForExit(DWORD timeout_ms) const {
  DWORD status = STILL_ACTIVE;
  if (started_ && ::WaitForSingleObject(info_.hProcess, timeout_ms) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(info_.hProcess, &status);
  return status;
}

HWND FindWindowOf(DWORD id, const char* class_name, const std::string& title) {
  WindowSearch search{id, class_name, &title, nullptr};
  ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindowOf(DWORD id, const char* class_name, const std::string& title, DWORD timeout_ms) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (HWND window = FindWindowOf(id, class_name, title)) return window;
    if (::GetTickCount() - start > timeout_ms) return nullptr;
    ::Sleep(5);
  }
}

std::wstring FieldText(HWND field) {
  wchar_t text[256] = {};
  ::SendMessageW(field, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}

void SetFieldText(HWND field, const wchar_t* text) {
  ::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

std::wstring MessageBoxText(HWND box) {
  return FieldText(::GetDlgItem(box, 0xFFFF));
}

}  // namespace hvn::test
