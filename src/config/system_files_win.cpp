#include <cstring>

#include "config/system_files.h"
#include "platform/unique_resource.h"
#include "platform/win.h"

namespace hvn {
namespace {

struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle file) { ::CloseHandle(file); }
};
using UniqueFile = platform::UniqueResource<FileHandleTraits>;

// Opens the existing file at `path` and closes it again at once. Returns 0 or the open's
// error; a path the ANSI file calls cannot take whole (MAX_PATH characters or more) is never
// cut: ERROR_FILENAME_EXCED_RANGE.
DWORD TryOpen(const char* path, DWORD access, DWORD sharing) {
  if (std::strlen(path) >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  UniqueFile file(
      ::CreateFileA(path, access, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.IsValid() ? 0 : ::GetLastError();
}

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

bool FileExists(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  return TryOpen(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE) == 0;
}

bool IsFileInUse(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  return TryOpen(path, GENERIC_WRITE, 0) == ERROR_SHARING_VIOLATION;
}

bool SystemDirectoryPath(const char* name, char* out, size_t capacity) {
  return DirectoryPath(::GetSystemDirectoryA, name, out, capacity);
}

bool WindowsDirectoryPath(const char* name, char* out, size_t capacity) {
  return DirectoryPath(::GetWindowsDirectoryA, name, out, capacity);
}

}  // namespace hvn
