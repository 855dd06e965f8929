#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/read_only_file.h"

namespace hvn::platform {

bool ReadOnlyFile::Open(const char* ansi_path, FileSharing) {
  Close();
  int fd = ::open(ansi_path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  size_ = static_cast<uint64_t>(info.st_size);
  ++GetFileIoCounters().opens;
  return true;
}

void ReadOnlyFile::Close() {
  if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
  handle_ = kNoHandle;
  size_ = 0;
}

bool ReadOnlyFile::ReadAt(uint64_t offset, void* buffer, uint32_t size, uint32_t* bytes_read) {
  *bytes_read = 0;
  if (handle_ == kNoHandle) return false;
  FileIoCounters& counters = GetFileIoCounters();
  ++counters.reads;
  uint32_t total = 0;
  while (total < size) {
    ssize_t got = ::pread(static_cast<int>(handle_), static_cast<char*>(buffer) + total,
                          size - total, static_cast<off_t>(offset + total));
    if (got < 0) return false;
    if (got == 0) break;
    total += static_cast<uint32_t>(got);
  }
  counters.bytes_read += total;
  *bytes_read = total;
  return true;
}

}  // namespace hvn::platform
