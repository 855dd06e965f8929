// A temporary folder for one test, removed with everything in it when the test ends.
#ifndef HVN_TESTS_SUPPORT_TEMP_DIR_H_
#define HVN_TESTS_SUPPORT_TEMP_DIR_H_

#include <string>

namespace hvn::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's path, usable with the platform's file calls (a Windows path under Wine).
  const std::string& path() const { return path_; }
  // Writes `contents` (bytes as they are) to `name` in the folder; returns the file's path.
  std::string WriteFile(const std::string& name, const std::string& contents) const;

 private:
  std::string path_;
};

}  // namespace hvn::test

#endif  // HVN_TESTS_SUPPORT_TEMP_DIR_H_
