#include "support/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace hvn::test {

TempDir::TempDir() {
  std::random_device random;
  std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate = base / ("hvn-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::WriteFile(const std::string& name, const std::string& contents) const {
  std::string file_path = (std::filesystem::path(path_) / name).string();
  FILE* file = std::fopen(file_path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + file_path);
  std::fwrite(contents.data(), 1, contents.size(), file);
  std::fclose(file);
  return file_path;
}

}  // namespace hvn::test
