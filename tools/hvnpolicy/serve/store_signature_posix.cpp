#include <sys/stat.h>

#include "serve/served_policies.h"

namespace hvn::tool {

uint64_t StoreSignature(const std::string& reg_file, const std::string&) {
  struct stat info;
  if (reg_file.empty() || ::stat(reg_file.c_str(), &info) != 0) return 0;
  uint64_t signature = static_cast<uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
                       static_cast<uint64_t>(info.st_mtim.tv_nsec);
  return signature ^ (static_cast<uint64_t>(info.st_size) << 40) ^ info.st_ino;
}

}  // namespace hvn::tool
