// The 9x client's recognition table: 21 built-in rows for the Windows 9x password dialogs
// (English, French, German, Dutch, Swedish) and up to four of the administrator's rows. Each
// process that loads the library holds its own table; only the row count is shared.
//
// Portable: the hook that uses the table is Win32 (activation_hook_win.cpp).
#ifndef HVN_CLIENT9X_RECOGNITION_TABLE_9X_H_
#define HVN_CLIENT9X_RECOGNITION_TABLE_9X_H_

#include <cstddef>
#include <cstdint>

#include "dialogs/dialog_watcher.h"

namespace hvn {

constexpr size_t kBuiltIn9xRowCount = 21;
constexpr uint32_t k9xRowCapacity = 25;  // built-in rows and at most 4 custom rows

// The dialog kinds recognised on Windows 9x.
enum class Dialog9xKind { Change9x3, Change9x4911, ExpiredNW };

// The handler of each 9x kind.
struct Dialog9xHandlerSet {
  DialogHandler Change9x3;
  DialogHandler Change9x4911;
  DialogHandler ExpiredNW;

  DialogHandler For(Dialog9xKind kind) const;
};

struct BuiltIn9xRow {
  const char* Title;
  const char* ControlText;
  Dialog9xKind Kind;
};

// The 21 built-in rows in table order, texts as the system writes them (Windows-1252).
extern const BuiltIn9xRow kBuiltIn9xRows[kBuiltIn9xRowCount];

// Fills `table` (k9xRowCapacity rows): the built-in rows as written into rows 0-20 and
// `row_count` := 21, then the administrator's rows from `wait_params` (`size` bytes, triples
// title, control text, kind): a triple whose kind is "CHANGE_9X_3", "CHANGE_9X_4_9_11" or
// "EXPIRED_NW" in any letter case goes to the row at `row_count`, which is then raised; other
// kinds are skipped, and triples beyond the 25th row are ignored. Texts keep at most 127
// bytes, cut between characters. `row_count` is the count shared between processes: it is
// written as each row becomes complete, never raised above 25.
void Build9xRecognitionTable(DialogRecognitionEntry* table, volatile uint32_t& row_count,
                             const char* wait_params, size_t size,
                             const Dialog9xHandlerSet& handlers);

}  // namespace hvn

#endif  // HVN_CLIENT9X_RECOGNITION_TABLE_9X_H_
