// Files and processes for tests that run a program of the build under Wine and talk to it
// through files: its port file, its stop file, its standard input and output. Windows build only.
#ifndef HVN_TESTS_SUPPORT_PROCESS_FILES_H_
#define HVN_TESTS_SUPPORT_PROCESS_FILES_H_

#include <cstdint>
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

// Waits (at most `bound_ms`) until `process` has written its port number to `port_file` and
// sets `port`; false when the process ends first or the time is up.
bool WaitForPortFile(HANDLE process, const std::string& port_file, uint32_t bound_ms,
                     uint16_t& port);

// Asks `process` to stop by creating `stop_file` and waits for it (at most `bound_ms`, then
// ends it); closes the handle and leaves `process` null. True when it stopped by itself or
// was not running (null).
bool StopByFile(HANDLE& process, const std::string& stop_file, uint32_t bound_ms);

}  // namespace hvn::test

#endif  // HVN_TESTS_SUPPORT_PROCESS_FILES_H_
