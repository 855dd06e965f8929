#include "platform/read_only_file.h"
#include "platform/win.h"

namespace hvn::platform {
namespace {

HANDLE AsHandle(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool ReadOnlyFile::Open(const char* ansi_path, FileSharing sharing) {
  Close();
  const DWORD share_mode = sharing == FileSharing::kReadersAndWriters
                               ? FILE_SHARE_READ | FILE_SHARE_WRITE
                               : FILE_SHARE_READ;
  HANDLE file = ::CreateFileA(ansi_path, GENERIC_READ, share_mode, nullptr, OPEN_EXISTING,
                              FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  DWORD low = ::GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) {
    ::CloseHandle(file);
    return false;
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  size_ = (static_cast<uint64_t>(high) << 32) | low;
  ++GetFileIoCounters().opens;
  return true;
}

void ReadOnlyFile::Close() {
  if (handle_ != kNoHandle) ::CloseHandle(AsHandle(handle_));
  handle_ = kNoHandle;
  size_ = 0;
}

bool ReadOnlyFile::ReadAt(uint64_t offset, void* buffer, uint32_t size, uint32_t* bytes_read) {
  *bytes_read = 0;
  if (handle_ == kNoHandle) return false;
  FileIoCounters& counters = GetFileIoCounters();
  ++counters.reads;
  LONG high = static_cast<LONG>(offset >> 32);
  DWORD low = ::SetFilePointer(AsHandle(handle_), static_cast<LONG>(offset & 0xFFFFFFFFu), &high,
                               FILE_BEGIN);
  if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return false;
  DWORD got = 0;
  if (!::ReadFile(AsHandle(handle_), buffer, size, &got, nullptr)) return false;
  counters.bytes_read += got;
  *bytes_read = got;
  return true;
}

}  // namespace hvn::platform
