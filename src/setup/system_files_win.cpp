#include <cstring>

#include "platform/win.h"
#include "setup/system_files.h"

namespace hvn {

bool FileExists(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  // The ANSI file calls take at most MAX_PATH - 1 characters; a longer path is never cut.
  if (std::strlen(path) >= MAX_PATH) return false;
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

namespace {

// Forms "<directory>\<name>" in `out`, the directory as `get_directory` reports it; false
// (and `out` empty) when the directory cannot be determined or the whole path does not fit.
bool DirectoryPath(UINT(WINAPI* get_directory)(LPSTR, UINT), const char* name, char* out,
                   size_t capacity) {
  if (out == nullptr || capacity == 0) return false;
  out[0] = '\0';
  if (name == nullptr) name = "";
  char directory[MAX_PATH + 1];
  UINT length = get_directory(directory, sizeof(directory));
  // 0 is a failure; a length of the buffer or more is the size the call would have needed.
  if (length == 0 || length >= sizeof(directory)) return false;
  size_t name_length = std::strlen(name);
  if (length + 1 + name_length + 1 > capacity) return false;
  std::memcpy(out, directory, length);
  out[length] = '\\';
  std::memcpy(out + length + 1, name, name_length + 1);
  return true;
}

}  // namespace

bool SystemDirectoryPath(const char* name, char* out, size_t capacity) {
  return DirectoryPath(::GetSystemDirectoryA, name, out, capacity);
}

bool WindowsDirectoryPath(const char* name, char* out, size_t capacity) {
  return DirectoryPath(::GetWindowsDirectoryA, name, out, capacity);
}

}  // namespace hvn
