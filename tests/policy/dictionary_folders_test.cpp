#include "policy/dictionary_folders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace hvn {
namespace {

using Verdict = DictionaryPathVerdict;

std::string List(std::initializer_list<const char*> folders) {
  std::string list;
  for (const char* folder : folders) list.append(folder).push_back('\0');
  list.push_back('\0');
  return list;
}

TEST(AdmitDictionaryPath, OpensOnlyCanonicalPathsInsideAListedFolder) {
  const std::string folders = List({"C:\\Dict", "\\\\files\\policy\\", "d:/words/", "E:\\"});
  struct Case {
    const char* path;
    Verdict verdict;
    const char* canonical;  // what is opened when admitted
  };
  const Case cases[] = {
      // Folder prefixes, letter case ignored; separators and repeats normalised.
      {"C:\\Dict\\words.dic", Verdict::kAdmitted, "C:\\Dict\\words.dic"},
      {"c:\\DICT\\sub\\words.dic", Verdict::kAdmitted, "C:\\DICT\\sub\\words.dic"},
      {"C:/Dict//words.dic", Verdict::kAdmitted, "C:\\Dict\\words.dic"},
      {"D:\\Words\\x", Verdict::kAdmitted, "D:\\Words\\x"},
      {"E:\\anything\\x.dic", Verdict::kAdmitted, "E:\\anything\\x.dic"},
      {"\\\\FILES\\Policy\\w.dic", Verdict::kAdmitted, "\\\\FILES\\Policy\\w.dic"},
      {"//files/policy/w.dic", Verdict::kAdmitted, "\\\\files\\policy\\w.dic"},
      // A string prefix is no folder prefix; the folder itself is no file inside it.
      {"C:\\Dictionary\\x.dic", Verdict::kOutsideFolders, ""},
      {"C:\\Dict", Verdict::kOutsideFolders, ""},
      {"C:\\Dict\\", Verdict::kOutsideFolders, ""},
      {"\\\\attacker\\share\\x", Verdict::kOutsideFolders, ""},
      {"F:\\Dict\\words.dic", Verdict::kOutsideFolders, ""},
      // ".." and segments Windows trims are refused, never resolved.
      {"C:\\Dict\\..\\Windows\\x", Verdict::kDotSegment, ""},
      {"C:\\Dict\\.\\x", Verdict::kDotSegment, ""},
      {"C:\\Dict\\...\\x", Verdict::kDotSegment, ""},
      {"C:\\Dict.\\x", Verdict::kDotSegment, ""},
      {"C:\\Dict \\x", Verdict::kDotSegment, ""},
      // Relative and drive-relative paths, and half a UNC name.
      {"words.dic", Verdict::kNotAbsolute, ""},
      {"\\Dict\\words.dic", Verdict::kNotAbsolute, ""},
      {"C:Dict\\words.dic", Verdict::kNotAbsolute, ""},
      {"\\\\files", Verdict::kNotAbsolute, ""},
      {"\\\\files\\\\policy\\x", Verdict::kNotAbsolute, ""},
      {"", Verdict::kNotAbsolute, ""},
      // Device forms and device names.
      {"\\\\?\\C:\\Dict\\words.dic", Verdict::kDeviceForm, ""},
      {"\\\\.\\C:\\Dict\\words.dic", Verdict::kDeviceForm, ""},
      {"//?/C:/Dict/words.dic", Verdict::kDeviceForm, ""},
      {"\\??\\C:\\Dict\\words.dic", Verdict::kDeviceForm, ""},
      {"C:\\Dict\\NUL", Verdict::kDeviceName, ""},
      {"C:\\Dict\\com1.dic", Verdict::kDeviceName, ""},
      {"C:\\Dict\\Lpt9 .txt", Verdict::kDeviceName, ""},
      {"C:\\Dict\\console.dic", Verdict::kAdmitted, "C:\\Dict\\console.dic"},
      {"C:\\Dict\\COM10", Verdict::kAdmitted, "C:\\Dict\\COM10"},
      // The devices Windows 95, 98 and Me add, in any segment.
      {"C:\\Dict\\EMMXXXX0", Verdict::kDeviceName, ""},
      {"C:\\Dict\\xmsxxxx0.dic", Verdict::kDeviceName, ""},
      {"C:\\Dict\\CONFIG$\\w.dic", Verdict::kDeviceName, ""},
      {"C:\\Dict\\$IDLE$", Verdict::kDeviceName, ""},
      {"\\\\files\\IFS$HLP$\\w.dic", Verdict::kDeviceName, ""},
      {"C:\\Dict\\EMMXXXX01", Verdict::kAdmitted, "C:\\Dict\\EMMXXXX01"},
      // Streams, wildcards and control characters.
      {"C:\\Dict\\w.dic:hidden", Verdict::kForbiddenCharacter, ""},
      {"C:\\Dict\\w*.dic", Verdict::kForbiddenCharacter, ""},
      {"C:\\Dict\\w\t.dic", Verdict::kForbiddenCharacter, ""},
  };
  for (const Case& c : cases) {
    char canonical[kPathSize];
    std::memset(canonical, 'x', sizeof(canonical));
    EXPECT_EQ(AdmitDictionaryPath(c.path, folders.data(), folders.size(), canonical), c.verdict)
        << c.path;
    EXPECT_STREQ(canonical, c.canonical) << c.path;
  }
}

TEST(AdmitDictionaryPath, UnusableFolderEntriesAdmitNothing) {
  struct Case {
    std::string folders;
    Verdict verdict;
  };
  const std::string unterminated("C:\\Dict", 7);
  const Case cases[] = {
      {List({"Dict"}), Verdict::kOutsideFolders},
      {List({"C:\\Dict\\..\\"}), Verdict::kOutsideFolders},
      {unterminated, Verdict::kOutsideFolders},
      {List({"relative", "C:\\DICT"}), Verdict::kAdmitted},  // the next entry still counts
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    char canonical[kPathSize];
    EXPECT_EQ(AdmitDictionaryPath("C:\\Dict\\w.dic", cases[i].folders.data(),
                                  cases[i].folders.size(), canonical),
              cases[i].verdict)
        << "case " << i;
  }
  EXPECT_FALSE(HasDictionaryFolders(nullptr, 0));
  EXPECT_FALSE(HasDictionaryFolders("\0\0", 2));
  EXPECT_TRUE(HasDictionaryFolders("x\0\0", 3));
  // An empty first entry does not make the list empty: it limits, and admits nothing.
  const std::string empty_first("\0C:\\Dict\0\0", 10);
  EXPECT_TRUE(HasDictionaryFolders(empty_first.data(), empty_first.size()));
  char canonical[kPathSize];
  EXPECT_EQ(
      AdmitDictionaryPath("C:\\Dict\\w.dic", empty_first.data(), empty_first.size(), canonical),
      Verdict::kOutsideFolders);
}

TEST(CanonicalizeDictionaryPath, RefusesWhatDoesNotFitWithoutOverrun) {
  std::string path = "C:\\" + std::string(kPathSize - 4, 'a');  // 259 bytes: fits exactly
  char out[kPathSize + 1];
  out[kPathSize] = '#';
  EXPECT_EQ(CanonicalizeDictionaryPath(path.c_str(), out, kPathSize), Verdict::kAdmitted);
  EXPECT_EQ(std::string(out), path);
  path.push_back('a');
  EXPECT_EQ(CanonicalizeDictionaryPath(path.c_str(), out, kPathSize), Verdict::kTooLong);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(out[kPathSize], '#');
}

TEST(ComposeDictionaryDiagnostic, NamesThePathAndTheReasonAndStaysInBounds) {
  char out[kDictionaryDiagnosticSize];
  ComposeDictionaryDiagnostic(Verdict::kOutsideFolders, "\\\\attacker\\share\\x", out);
  EXPECT_STREQ(out,
               "CheckDictionary: Dictionary <\\\\attacker\\share\\x> not opened: it is not "
               "inside a folder listed in DictionaryPaths.\n");
  const std::string long_path = "C:\\" + std::string(kPathSize - 4, 'a');
  ComposeDictionaryDiagnostic(Verdict::kDotSegment, long_path.c_str(), out);
  EXPECT_EQ(std::strlen(out), kDictionaryDiagnosticSize - 1);
  EXPECT_NE(std::strstr(out, "> not opened: a part of it is . or .."), nullptr);
}

// The path comes from an unauthenticated reply: random bytes (biased towards separators, dots
// and letters) never overrun, and whatever is admitted is canonical, stable under a second
// canonicalization and really inside the folder.
TEST(AdmitDictionaryPath, RandomPathsStayInBoundsAndAdmitOnlyWhatIsInside) {
  std::mt19937 random(18);
  const char alphabet[] = "\\/.:?C:d D\\\\..aZ\x81\x5C\xFF\t*";
  const std::string folders = List({"C:\\d", "\\\\d\\d"});
  for (int round = 0; round < 5000; ++round) {
    std::string path(random() % 300, '\0');
    for (char& c : path) {
      c = random() % 4 == 0 ? static_cast<char>(random() % 255 + 1)
                            : alphabet[random() % (sizeof(alphabet) - 1)];
    }
    char canonical[kPathSize + 1];
    canonical[kPathSize] = '#';
    Verdict verdict = AdmitDictionaryPath(path.c_str(), folders.data(), folders.size(),
                                          *reinterpret_cast<char(*)[kPathSize]>(canonical));
    ASSERT_EQ(canonical[kPathSize], '#') << path;
    if (verdict != Verdict::kAdmitted) {
      ASSERT_STREQ(canonical, "") << path;
      continue;
    }
    char again[kPathSize];
    ASSERT_EQ(CanonicalizeDictionaryPath(canonical, again, sizeof(again)), Verdict::kAdmitted);
    ASSERT_STREQ(again, canonical) << path;
    ASSERT_TRUE(IsInsideFolder(canonical, "C:\\d") || IsInsideFolder(canonical, "\\\\d\\d"))
        << path;
    ASSERT_EQ(std::strstr(canonical, "\\.."), nullptr) << path;
    ASSERT_EQ(std::strchr(canonical, '/'), nullptr) << path;
  }
}

}  // namespace
}  // namespace hvn
