// Read-only random access to a file by its ANSI path, with 64-bit positions. The Windows build
// uses CreateFileA (existing file only, shared as the caller says, random-access hint) and
// ReadFile; the portable build uses POSIX open and pread. Every read goes through ReadAt, which
// counts it, so benchmarks and tests can measure the I/O a check costs.
#ifndef HVN_PLATFORM_READ_ONLY_FILE_H_
#define HVN_PLATFORM_READ_ONLY_FILE_H_

#include <cstdint>

namespace hvn::platform {

// Calls through ReadOnlyFile since the counters were last reset (process-wide, not locked:
// meant for single-threaded measurement).
struct FileIoCounters {
  uint64_t opens = 0;
  uint64_t reads = 0;
  uint64_t bytes_read = 0;
};
FileIoCounters& GetFileIoCounters();
void ResetFileIoCounters();

// Who else may have the file open while it is read. POSIX has no share modes: ignored there.
enum class FileSharing {
  kReaders,            // others may read it; a file open for writing is refused
  kReadersAndWriters,  // as the C runtime's fopen: also a file someone is writing
};

class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile() { Close(); }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Opens an existing file for reading, shared with others as `sharing` says. Returns false
  // (and stays closed) when the file is missing, unreadable or locked against this sharing.
  bool Open(const char* ansi_path, FileSharing sharing = FileSharing::kReaders);
  void Close();
  bool IsOpen() const { return handle_ != kNoHandle; }

  // The file's size in bytes, read at Open.
  uint64_t Size() const { return size_; }

  // Reads up to `size` bytes at `offset` into `buffer`. Returns false when the seek or the
  // read fails; otherwise true, with `*bytes_read` below `size` only at the end of the file.
  bool ReadAt(uint64_t offset, void* buffer, uint32_t size, uint32_t* bytes_read);

 private:
  static constexpr intptr_t kNoHandle = -1;
  intptr_t handle_ = kNoHandle;
  uint64_t size_ = 0;
};

}  // namespace hvn::platform

#endif  // HVN_PLATFORM_READ_ONLY_FILE_H_
