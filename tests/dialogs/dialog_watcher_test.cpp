// The recognition table: built-in rows, the administrator's triples, matching. Runs in both
// builds (natively under the sanitizers, and under Wine with the system's case mapping).
#include "dialogs/dialog_watcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "config/client_settings.h"

namespace hvn {
namespace {

uint32_t ChangeNt(HWND, HWND) {
  return 1;
}
uint32_t RejectedNt(HWND, HWND) {
  return 2;
}
uint32_t ChangeNw(HWND, HWND) {
  return 3;
}
uint32_t ExpiredNw(HWND, HWND) {
  return 4;
}
const DialogHandlerSet kHandlers{ChangeNt, RejectedNt, ChangeNw, ExpiredNw};

// A multi-string in a heap block of exactly its size, so reading past it is caught.
std::unique_ptr<char[]> MultiString(const std::vector<std::string>& strings, size_t* size,
                                    bool final_empty = true) {
  std::string bytes;
  for (const std::string& s : strings) bytes += s + '\0';
  if (final_empty) bytes += '\0';
  *size = bytes.size();
  auto block = std::make_unique<char[]>(bytes.size());
  std::memcpy(block.get(), bytes.data(), bytes.size());
  return block;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
      c = static_cast<char>(b - 0x20);
  }
  return text;
}

TEST(DialogWatcher, ConstructsIdle) {
  DialogWatcher watcher;
  EXPECT_EQ(watcher.StopFlag.load(), 0u);
  EXPECT_EQ(watcher.ScanInterval, 250u);
  EXPECT_EQ(watcher.ThrottleInterval, 0u);
  EXPECT_EQ(watcher.RowCount, 0u);
  EXPECT_EQ(watcher.LastCall, 0u);
  EXPECT_EQ(watcher.Thread, nullptr);
}

TEST(FillRecognitionTable, AddsTheBuiltInRowsInCapitalsWithTheirHandlers) {
  DialogWatcher watcher;
  FillRecognitionTable(watcher, 40, nullptr, 0, kHandlers);
  EXPECT_EQ(watcher.ScanInterval, 40u);
  ASSERT_EQ(watcher.RowCount, kBuiltInRowCount);
  const DialogHandler expected_handlers[kBuiltInRowCount] = {
      ChangeNt, RejectedNt, ChangeNw, ChangeNw,   ExpiredNw, ChangeNt,   ChangeNt, RejectedNt,
      ChangeNt, ChangeNt,   ChangeNt, RejectedNt, ChangeNt,  RejectedNt, ChangeNt, RejectedNt};
  for (size_t i = 0; i < kBuiltInRowCount; ++i) {
    const DialogRecognitionEntry& row = watcher.Table[i];
    EXPECT_EQ(std::string(row.Title), Upper(kBuiltInRecognitionRows[i].Title)) << "row " << i;
    EXPECT_EQ(std::string(row.ControlText), Upper(kBuiltInRecognitionRows[i].ControlText))
        << "row " << i;
    EXPECT_EQ(row.Handler, expected_handlers[i]) << "row " << i;
    EXPECT_LT(std::strlen(kBuiltInRecognitionRows[i].ControlText), 127u) << "row " << i;
  }
  // The accented texts are Windows-1252 bytes, capitalised in that code page.
  EXPECT_STREQ(watcher.Table[9].Title, "KENNWORT \xC4NDERN");
  EXPECT_STREQ(watcher.Table[14].ControlText,
               "&BEKR\xC4"
               "FTA NYTT L\xD6SENORD");
  EXPECT_STREQ(watcher.Table[7].ControlText,
               "ENTREZ UN MOT DE PASSE R\xC9PONDANT \xC0 CES EXIGENCES DANS LES ZONES DE TEXTE");
  for (size_t i = kBuiltInRowCount; i < kRecognitionRowCount; ++i) {
    EXPECT_EQ(watcher.Table[i].Handler, nullptr) << "row " << i;
  }
}

TEST(FillRecognitionTable, RebuildingStartsFromAnEmptyTable) {
  DialogWatcher watcher;
  size_t size = 0;
  auto params = MultiString({"A", "B", "CHANGE_NT"}, &size);
  FillRecognitionTable(watcher, 100, params.get(), size, kHandlers);
  FillRecognitionTable(watcher, 100, params.get(), size, kHandlers);
  EXPECT_EQ(watcher.RowCount, kBuiltInRowCount + 1);
}

TEST(AddRecognitionEntry, CutsTextsTo127BytesAndRefusesA26thRow) {
  DialogWatcher watcher;
  std::string long_title(200, 't');
  std::string long_text(300, 'x');
  ASSERT_EQ(AddRecognitionEntry(watcher, long_title.c_str(), long_text.c_str(), ChangeNt), 0u);
  EXPECT_EQ(std::string(watcher.Table[0].Title), std::string(127, 'T'));
  EXPECT_EQ(std::string(watcher.Table[0].ControlText), std::string(127, 'X'));
  EXPECT_EQ(watcher.Table[0].Title[127], '\0');
  for (size_t i = 1; i < kRecognitionRowCount; ++i) {
    ASSERT_EQ(AddRecognitionEntry(watcher, "t", "c", ChangeNt), 0u) << "row " << i;
  }
  EXPECT_EQ(AddRecognitionEntry(watcher, "u", "d", ChangeNw), 8u);
  EXPECT_EQ(watcher.RowCount, kRecognitionRowCount);
}

TEST(ClearTable, EmptiesRowsButKeepsIntervalsAndLastCall) {
  DialogWatcher watcher;
  watcher.ThrottleInterval = 100;
  watcher.LastCall = 1234;
  FillRecognitionTable(watcher, 60, nullptr, 0, kHandlers);
  ClearTable(watcher);
  EXPECT_EQ(watcher.RowCount, 0u);
  EXPECT_EQ(watcher.Table[0].Title[0], '\0');
  EXPECT_EQ(watcher.Table[0].Handler, nullptr);
  EXPECT_EQ(watcher.ScanInterval, 60u);
  EXPECT_EQ(watcher.ThrottleInterval, 100u);
  EXPECT_EQ(watcher.LastCall, 1234u);
}

struct CustomRow {
  std::string title;
  std::string control_text;
  DialogHandler handler;
};

TEST(AddCustomRecognitionRows, ReadsTriplesOfKnownKinds) {
  struct Case {
    const char* name;
    std::vector<std::string> strings;
    std::vector<CustomRow> expected;
  };
  const std::string t200(200, 'a');
  const Case cases[] = {
      {"one triple", {"Pw", "Confirm", "CHANGE_NT"}, {{"PW", "CONFIRM", ChangeNt}}},
      {"kind in small letters", {"Pw", "Users", "change_nw"}, {{"PW", "USERS", ChangeNw}}},
      {"every kind",
       {"a", "b", "Rejected_NT", "c", "d", "EXPIRED_NW", "e", "f", "CHANGE_NT"},
       {{"A", "B", RejectedNt}, {"C", "D", ExpiredNw}, {"E", "F", ChangeNt}}},
      {"a 9x kind is skipped, the next triple read",
       {"a", "b", "CHANGE_9X_3", "c", "d", "CHANGE_NW"},
       {{"C", "D", ChangeNw}}},
      {"an unknown kind", {"a", "b", "CHANGE"}, {}},
      {"title without control text", {"a"}, {}},
      {"title and control text without kind", {"a", "b"}, {}},
      {"empty list", {}, {}},
      {"long title cut to 127 bytes",
       {t200, "b", "CHANGE_NT"},
       {{std::string(127, 'A'), "B", ChangeNt}}},
      {"accented texts in capitals",
       {"\xc4ndra", "l\xf6senord", "change_nt"},
       {{"\xC4NDRA", "L\xD6SENORD", ChangeNt}}},
  };
  for (const Case& c : cases) {
    DialogWatcher watcher;
    size_t size = 0;
    auto params = MultiString(c.strings, &size);
    AddCustomRecognitionRows(watcher, params.get(), size, kHandlers);
    ASSERT_EQ(watcher.RowCount, c.expected.size()) << c.name;
    for (size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(std::string(watcher.Table[i].Title), c.expected[i].title) << c.name << " " << i;
      EXPECT_EQ(std::string(watcher.Table[i].ControlText), c.expected[i].control_text)
          << c.name << " " << i;
      EXPECT_EQ(watcher.Table[i].Handler, c.expected[i].handler) << c.name << " " << i;
    }
  }
}

TEST(AddCustomRecognitionRows, OnlyNineFitBehindTheBuiltInRows) {
  std::vector<std::string> strings;
  for (int i = 0; i < 10; ++i) {
    strings.push_back("Title " + std::to_string(i));
    strings.push_back("Text " + std::to_string(i));
    strings.push_back("CHANGE_NT");
  }
  size_t size = 0;
  auto params = MultiString(strings, &size);
  DialogWatcher watcher;
  FillRecognitionTable(watcher, 100, params.get(), size, kHandlers);
  ASSERT_EQ(watcher.RowCount, kRecognitionRowCount);
  EXPECT_STREQ(watcher.Table[16].Title, "TITLE 0");
  EXPECT_STREQ(watcher.Table[24].Title, "TITLE 8");
}

TEST(AddCustomRecognitionRows, NeverReadsPastTheField) {
  // Strings that run to the end of the field without a terminator end the list.
  struct Case {
    const char* name;
    std::string bytes;
    uint32_t rows;
  };
  const Case cases[] = {
      {"title unterminated", std::string("abc"), 0},
      {"control text unterminated", std::string("a\0bc", 4), 0},
      {"kind unterminated", std::string("a\0b\0CHANGE_NT", 13), 0},
      {"kind terminated at the last byte", std::string("a\0b\0CHANGE_NT\0", 14), 1},
      {"second triple cut", std::string("a\0b\0CHANGE_NT\0c\0d\0CHANGE", 24), 1},
  };
  for (const Case& c : cases) {
    auto block = std::make_unique<char[]>(c.bytes.size());
    std::memcpy(block.get(), c.bytes.data(), c.bytes.size());
    DialogWatcher watcher;
    AddCustomRecognitionRows(watcher, block.get(), c.bytes.size(), kHandlers);
    EXPECT_EQ(watcher.RowCount, c.rows) << c.name;
  }
}

TEST(AddCustomRecognitionRows, RandomSettingsNeverOverrunOrLeaveRowsUnterminated) {
  std::mt19937 random(20261207);
  const char* kinds[] = {"CHANGE_NT", "change_nw", "EXPIRED_NW", "rejected_nt", "x"};
  for (int round = 0; round < 2000; ++round) {
    size_t size = 1 + random() % ClientSettings::kWaitParamsSize;
    auto block = std::make_unique<char[]>(size);
    for (size_t i = 0; i < size; ++i) {
      uint32_t r = random() % 16;
      block[i] = r < 3 ? '\0' : static_cast<char>(random() % 256);
    }
    // Sprinkle known kinds so rows are actually added.
    if (size > 12 && random() % 2 == 0) {
      const char* kind = kinds[random() % 5];
      size_t at = random() % (size - 12);
      std::memcpy(block.get() + at, kind, std::strlen(kind) + 1);
    }
    DialogWatcher watcher;
    FillRecognitionTable(watcher, 100, block.get(), size, kHandlers);
    ASSERT_LE(watcher.RowCount, kRecognitionRowCount) << "round " << round;
    for (const DialogRecognitionEntry& row : watcher.Table) {
      ASSERT_LT(std::strlen(row.Title), kRecognitionTextSize) << "round " << round;
      ASSERT_LT(std::strlen(row.ControlText), kRecognitionTextSize) << "round " << round;
    }
  }
}

TEST(TitleMatchesRow, ComparesWholeCapitalisedTitles) {
  DialogWatcher watcher;
  FillRecognitionTable(watcher, 100, nullptr, 0, kHandlers);
  AddRecognitionEntry(watcher, "No handler", "x", nullptr);
  struct Case {
    const char* upper_title;
    size_t row;
    bool matches;
  };
  const Case cases[] = {
      {"CHANGE PASSWORD", 0, true},    {"CHANGE PASSWORD (HVN)", 0, false},
      {"CHANGE PASSWORD ", 0, false},  {"CHANGE", 0, false},
      {"KENNWORT \xC4NDERN", 9, true}, {"KENNWORT ANDERN", 9, false},
      {"NO HANDLER", 16, false},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(TitleMatchesRow(watcher.Table[cases[i].row], cases[i].upper_title), cases[i].matches)
        << "case " << i;
  }
}

TEST(ContainsAnsiText, FindsTheControlTextAnywhere) {
  struct Case {
    const char* haystack;
    const char* needle;
    bool found;
  };
  const Case cases[] = {
      {"&CONFIRM NEW PASSWORD:", "&CONFIRM NEW PASSWORD", true},
      {"CONFIRM NEW PASSWORD:", "&CONFIRM NEW PASSWORD", false},
      {"TO CHANGE PASSWORD(S) FOR THE USER(S) LISTED BELOW", "FOR THE USER(S) LISTED", true},
      {"ABC", "ABCD", false},
      {"", "", true},
      {"", "A", false},
      {"ABAB", "BAB", true},
      {"\xC4NDRA", "\xC4", true},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(ContainsAnsiText(cases[i].haystack, cases[i].needle), cases[i].found) << "case " << i;
  }
}

TEST(ThrottlePermits, MeasuresAcrossTheTickCountWrap) {
  struct Case {
    uint32_t now, last, interval;
    bool permitted;
  };
  const Case cases[] = {
      {1000, 950, 100, false},      {1050, 950, 100, true},       {1049, 950, 100, false},
      {5, 0xFFFFFFC0u, 100, false}, {60, 0xFFFFFFC0u, 100, true}, {0, 0, 0, true},
      {123, 0, 100, true},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(ThrottlePermits(cases[i].now, cases[i].last, cases[i].interval), cases[i].permitted)
        << "case " << i;
  }
}

}  // namespace
}  // namespace hvn
