// Files in the system and Windows directories, as the installers and the logon provider look
// for them. Windows build.
#ifndef HVN_CONFIG_SYSTEM_FILES_H_
#define HVN_CONFIG_SYSTEM_FILES_H_

#include <cstddef>

namespace hvn {

// True when `path` is not empty and names an existing file that can be opened for reading
// while others read and write it; the handle is closed at once. A path too long for the ANSI
// file calls (MAX_PATH characters or more) is never cut to fit: false.
bool FileExists(const char* path);

// True when another process holds the file at `path` so that it cannot be opened for writing
// with no sharing: the sharing violation a loaded library gives. Any other failure of that open
// (a read-only file, writing denied, no such file) says nothing about use: false. A successful
// open is closed at once.
bool IsFileInUse(const char* path);

// Forms "<system directory>\<name>" in `out` (`capacity` bytes, terminator included).
// Returns false, with `out` empty, when the system directory cannot be determined or the
// whole path does not fit: a path cut short would name another file.
bool SystemDirectoryPath(const char* name, char* out, size_t capacity);

// The same for "<Windows directory>\<name>".
bool WindowsDirectoryPath(const char* name, char* out, size_t capacity);

}  // namespace hvn

#endif  // HVN_CONFIG_SYSTEM_FILES_H_
