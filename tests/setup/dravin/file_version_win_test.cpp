// ReadFileVersionString on real version resources: Dravin.exe's own and the test libraries'.
#include <gtest/gtest.h>

#include <string>

#include "setup/dravin/dravin_session_win.h"
#include "setup/dravin/file_version.h"

namespace hvn::dravin {
namespace {

using test::TestLibrary;
using test::TestLibraryPath;

struct VersionCase {
  std::string file;
  std::string query;
  uint32_t size;
  uint32_t result;
  const char* text;
  uint32_t length;
};

TEST(ReadFileVersionString, FollowsTheTable) {
  const std::string dravin = test::DravinPath();
  const std::string fixed = "\\StringFileInfo\\040904B0\\FileVersion";
  const VersionCase cases[] = {
      {dravin, fixed, 128, 0, "3, 5, 0, 1", 10},
      {dravin, fixed, 11, 0, "3, 5, 0, 1", 10},
      {dravin, fixed, 10, 122, "", 11},  // too small: the needed size, terminator included
      {dravin, "\\StringFileInfo\\040904B0\\LegalCopyright", 128, 0,
       "Copyright (C) Norvex. All rights reserved.", 42},
      {TestLibraryPath(TestLibrary::kVersionWithoutSpaces), fixed, 128, 0, "3,5,0,1", 7},
      {TestLibraryPath(TestLibrary::kNoUsBlock), fixed, 128, 13, "", 0},
      {dravin, "\\StringFileInfo\\040904B0\\NoSuchValue", 128, 13, "", 0},
      {test::SystemDirectory() + "\\no such file.dll", fixed, 128, 2, "", 0},
      {"C:\\" + std::string(256, 'x') + ".dll", fixed, 128, 122, "", 0},  // 263 characters
      {dravin, fixed + std::string(260 - fixed.size(), 'x'), 128, 122, "", 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const VersionCase& c = cases[i];
    char out[128];
    uint32_t length = 0xFFFF;
    EXPECT_EQ(ReadFileVersionString(c.file.c_str(), c.query.c_str(), out, c.size, &length),
              c.result)
        << "case " << i;
    EXPECT_STREQ(out, c.text) << "case " << i;
    EXPECT_EQ(length, c.length) << "case " << i;
  }
}

}  // namespace
}  // namespace hvn::dravin
