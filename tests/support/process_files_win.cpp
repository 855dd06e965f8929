#include <cstdio>

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

}  // namespace hvn::test
