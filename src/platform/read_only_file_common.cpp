#include "platform/read_only_file.h"

namespace hvn::platform {

FileIoCounters& GetFileIoCounters() {
  static FileIoCounters counters;
  return counters;
}

void ResetFileIoCounters() { GetFileIoCounters() = FileIoCounters(); }

}  // namespace hvn::platform
