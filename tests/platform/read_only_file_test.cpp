#include "platform/read_only_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace hvn::platform {
namespace {

TEST(ReadOnlyFile, ReadsAtOffsetsAndCountsEveryRead) {
  test::TempDir dir;
  std::string path = dir.WriteFile("data.txt", "0123456789");
  ReadOnlyFile file;
  ResetFileIoCounters();
  ASSERT_TRUE(file.Open(path.c_str()));
  EXPECT_EQ(file.Size(), 10u);
  char buffer[8] = {};
  uint32_t got = 0;
  ASSERT_TRUE(file.ReadAt(6, buffer, 8, &got));
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(std::string(buffer, got), "6789");
  ASSERT_TRUE(file.ReadAt(0, buffer, 3, &got));
  EXPECT_EQ(std::string(buffer, got), "012");
  ASSERT_TRUE(file.ReadAt(20, buffer, 3, &got));
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(GetFileIoCounters().opens, 1u);
  EXPECT_EQ(GetFileIoCounters().reads, 3u);
  EXPECT_EQ(GetFileIoCounters().bytes_read, 7u);
}

TEST(ReadOnlyFile, MissingFileDoesNotOpen) {
  test::TempDir dir;
  ReadOnlyFile file;
  EXPECT_FALSE(file.Open((dir.path() + "/missing.dic").c_str()));
  EXPECT_FALSE(file.IsOpen());
  uint32_t got = 1;
  char buffer[4];
  EXPECT_FALSE(file.ReadAt(0, buffer, 4, &got));
  EXPECT_EQ(got, 0u);
}

}  // namespace
}  // namespace hvn::platform
