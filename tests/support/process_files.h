// Files and processes for tests that run a program of the build under Wine and talk to it
// through files. Windows build only.
#ifndef HVN_TESTS_SUPPORT_PROCESS_FILES_H_
#define HVN_TESTS_SUPPORT_PROCESS_FILES_H_

#include <string>

#include "platform/win.h"

namespace hvn::test {

// The whole file's bytes as they are; empty when it cannot be opened.
std::string ReadFileText(const std::string& path);

// Replaces the file's contents with `text`; false when it could not be written completely.
bool WriteFileText(const std::string& path, const std::string& text);

// Starts `command`; with `input` not null, with `input` as standard input and `output` as
// standard output and error (both inherited). True when the process was started; the caller
// closes both handles in `started`.
bool LaunchProcess(std::string command, HANDLE input, HANDLE output, PROCESS_INFORMATION& started);

}  // namespace hvn::test

#endif  // HVN_TESTS_SUPPORT_PROCESS_FILES_H_
