#include <cstdio>
#include <cstdlib>

#include "support/process_files.h"

namespace hvn::test {

std::string ReadFileText(const std::string& path) {
  std::string contents;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return contents;
  char chunk[4096];
  size_t read;
  while ((read = std::fread(chunk, 1, sizeof(chunk), file)) > 0) contents.append(chunk, read);
  std::fclose(file);
  return contents;
}

bool WriteFileText(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && ok;
}

bool LaunchProcess(std::string command, HANDLE input, HANDLE output, PROCESS_INFORMATION& started) {
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  if (input != nullptr) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
  }
  return CreateProcessA(nullptr, &command[0], nullptr, nullptr, input != nullptr, 0, nullptr,
                        nullptr, &startup, &started) != 0;
}

bool WaitForPortFile(HANDLE process, const std::string& port_file, uint32_t bound_ms,
                     uint16_t& port) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < bound_ms) {
    std::string text = ReadFileText(port_file);
    if (!text.empty()) {
      port = static_cast<uint16_t>(std::strtoul(text.c_str(), nullptr, 10));
      return true;
    }
    if (WaitForSingleObject(process, 20) == WAIT_OBJECT_0) break;  // it ended early
  }
  return false;
}

bool StopByFile(HANDLE& process, const std::string& stop_file, uint32_t bound_ms) {
  if (process == nullptr) return true;
  WriteFileText(stop_file, "");
  bool stopped = WaitForSingleObject(process, bound_ms) == WAIT_OBJECT_0;
  if (!stopped) TerminateProcess(process, 1);
  CloseHandle(process);
  process = nullptr;
  return stopped;
}

}  // namespace hvn::test
