#include <cstring>

#include "platform/ansi_text.h"
#include "platform/heap.h"
#include "platform/win.h"
#include "setup/dravin/file_version.h"

namespace hvn::dravin {
namespace {

constexpr size_t kMaxPathLength = 260;

// The last error of a failed call; never 0, so a failure is never reported as success.
uint32_t LastErrorOr(uint32_t fallback) {
  DWORD error = ::GetLastError();
  return error != 0 ? error : fallback;
}

}  // namespace

uint32_t ReadFileVersionString(const char* file_path, const char* query_path, char* out,
                               uint32_t out_size, uint32_t* length) {
  *length = 0;
  if (out_size > 0) out[0] = '\0';
  if (platform::BoundedLength(file_path, kMaxPathLength) >= kMaxPathLength ||
      platform::BoundedLength(query_path, kMaxPathLength) >= kMaxPathLength) {
    return ERROR_INSUFFICIENT_BUFFER;
  }

  DWORD handle = 0;
  ::SetLastError(0);
  DWORD size = ::GetFileVersionInfoSizeA(file_path, &handle);
  if (size == 0) return LastErrorOr(ERROR_INVALID_DATA);

  platform::UniqueHeapBlock block = platform::UniqueHeapBlock::Allocate(size);
  if (!block.IsValid()) return ERROR_NOT_ENOUGH_MEMORY;
  if (!::GetFileVersionInfoA(file_path, 0, size, block.Get())) {
    return LastErrorOr(ERROR_INVALID_DATA);
  }

  void* found = nullptr;
  UINT found_length = 0;
  if (!::VerQueryValueA(block.Get(), query_path, &found, &found_length) || found == nullptr) {
    return ERROR_INVALID_DATA;
  }
  // The reported length may or may not count the terminator, and the text must not be read
  // past the end of the block.
  const char* text = static_cast<const char*>(found);
  if (text < block.As<char>() || text >= block.As<char>() + size) return ERROR_INVALID_DATA;
  const size_t room = static_cast<size_t>(block.As<char>() + size - text);
  const size_t text_length =
      platform::BoundedLength(text, found_length < room ? found_length : room);
  if (text_length >= out_size) {
    *length = static_cast<uint32_t>(text_length + 1);
    return ERROR_INSUFFICIENT_BUFFER;
  }
  std::memcpy(out, text, text_length);
  out[text_length] = '\0';
  *length = static_cast<uint32_t>(text_length);
  return 0;
}

}  // namespace hvn::dravin
