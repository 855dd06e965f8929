// The 9x recognition table: built-in rows kept as the system writes them, and the
// administrator's rows with their kind in any letter case, at most four of them.
#include "client9x/recognition_table_9x.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace hvn {
namespace {

// Distinct addresses stand for the three handlers; they are compared, never called.
uint32_t Change3(HWND, HWND) {
  return 3;
}
uint32_t Change4911(HWND, HWND) {
  return 4;
}
uint32_t Expired(HWND, HWND) {
  return 5;
}
const Dialog9xHandlerSet kHandlers = {Change3, Change4911, Expired};

struct Table {
  DialogRecognitionEntry Rows[k9xRowCapacity];
  volatile uint32_t Count = 99;
};

void Build(Table& table, const std::string& wait_params) {
  char field[4096] = {};
  std::memcpy(field, wait_params.data(), wait_params.size());
  Build9xRecognitionTable(table.Rows, table.Count, field, sizeof(field), kHandlers);
}

TEST(Build9xRecognitionTable, KeepsTheBuiltInRowsAsWritten) {
  Table table;
  Build(table, "");
  EXPECT_EQ(table.Count, 21u);
  EXPECT_STREQ(table.Rows[0].Title, "Set Windows Password");
  EXPECT_EQ(table.Rows[0].Handler, Change3);
  EXPECT_STREQ(table.Rows[4].ControlText, "Password expired for: ");
  EXPECT_EQ(table.Rows[4].Handler, Expired);
  EXPECT_STREQ(table.Rows[5].Title,
               "D\xE9"
               "finir le mot de passe de Windows");
  EXPECT_STREQ(table.Rows[20].ControlText,
               "&Bekr\xE4"
               "fta nytt l\xF6"
               "senord:");
  EXPECT_EQ(table.Rows[20].Handler, Change4911);
  EXPECT_EQ(table.Rows[21].Handler, nullptr);
}

TEST(Build9xRecognitionTable, AddsFourCustomRowsOfTheNineXKindsInAnyCase) {
  const std::string long_title(200, 'T');
  Table table;
  using namespace std::string_literals;
  Build(table, "Mine\0Ok:\0change_9x_3\0"s +                     // small letters
                   "NT only\0x\0CHANGE_NT\0"s +                  // not a 9x kind: skipped
                   long_title + "\0Two:\0Change_9x_4_9_11\0"s +  // title cut to 127 bytes
                   "Three\0Gone:\0Expired_NW\0"s +               //
                   "Four\0Four:\0CHANGE_9X_3\0"s +               // the 25th row
                   "Five\0Five:\0CHANGE_9X_3\0\0"s);             // one too many: ignored
  ASSERT_EQ(table.Count, 25u);
  const struct {
    size_t row;
    const char* title;
    DialogHandler handler;
  } expected[] = {{21, "Mine", Change3},
                  {22, nullptr, Change4911},
                  {23, "Three", Expired},
                  {24, "Four", Change3}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.row);
    if (e.title != nullptr) {
      EXPECT_STREQ(table.Rows[e.row].Title, e.title);
    }
    EXPECT_EQ(table.Rows[e.row].Handler, e.handler);
  }
  EXPECT_EQ(std::string(table.Rows[22].Title), long_title.substr(0, 127));
  EXPECT_STREQ(table.Rows[21].ControlText, "Ok:");
}

}  // namespace
}  // namespace hvn
