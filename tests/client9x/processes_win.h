// What the 9x process tests and the 9x demonstration share: programs started and watched
// from outside, windows of another process found by class and title, and their fields read
// and typed into across the process boundary.
#ifndef HVN_TESTS_CLIENT9X_PROCESSES_WIN_H_
#define HVN_TESTS_CLIENT9X_PROCESSES_WIN_H_

#include <string>

#include "platform/win.h"

namespace hvn::test {

// A build path as a Windows process under Wine names it (the Z: drive is the root).
std::string WindowsPath(std::string path);

// Sets a REG_SZ value, creating the key.
void SetRegistryText(HKEY root, const std::string& key, const char* name, const std::string& text);

// Makes Wine report Windows 98 to every process started from `program` (a file name).
void ReportWindows98To(const char* program);

// A program started from a command line; ended if it still runs when the owner goes.
class Program {
 public:
  explicit Program(const std::string& command_line);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return info_.dwProcessId; }
  // The exit status once the program has ended within `timeout_ms`; STILL_ACTIVE otherwise.
  DWORD WaitForExit(DWORD timeout_ms) const;

 private:
  PROCESS_INFORMATION info_ = {};
  bool started_ = false;
};

// A top-level window of process `id` with this class and title; nullptr when there is none.
HWND FindWindowOf(DWORD id, const char* class_name, const std::string& title);

// Waits (at most `timeout_ms`) for such a window; nullptr when none appeared.
HWND WaitForWindowOf(DWORD id, const char* class_name, const std::string& title,
                     DWORD timeout_ms = 10000);

// A window's text (sent, so it works on a control of another process).
std::wstring FieldText(HWND field);
void SetFieldText(HWND field, const wchar_t* text);

// The text of a message box (its static text, id 0xFFFF).
std::wstring MessageBoxText(HWND box);

}  // namespace hvn::test

#endif  // HVN_TESTS_CLIENT9X_PROCESSES_WIN_H_
