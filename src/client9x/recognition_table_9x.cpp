#include "client9x/recognition_table_9x.h"

#include <cstring>

#include "dialogs/recognition_triples.h"

namespace hvn {
namespace {

struct KindName {
  const char* Name;
  Dialog9xKind Kind;
};
constexpr KindName kKindNames[] = {
    {"CHANGE_9X_3", Dialog9xKind::Change9x3},
    {"CHANGE_9X_4_9_11", Dialog9xKind::Change9x4911},
    {"EXPIRED_NW", Dialog9xKind::ExpiredNW},
};

void SetRow(DialogRecognitionEntry& row, const char* title, const char* control_text,
            DialogHandler handler) {
  CopyWholeCharacters(row.Title, sizeof(row.Title), title, std::strlen(title));
  CopyWholeCharacters(row.ControlText, sizeof(row.ControlText), control_text,
                      std::strlen(control_text));
  row.Handler = handler;
}

struct CustomRowTarget {
  DialogRecognitionEntry* Table;
  volatile uint32_t* RowCount;
  uint32_t Next;
  const Dialog9xHandlerSet* Handlers;
};

void AddCustomRow(void* context, const char* title, const char* control_text, const char* kind) {
  CustomRowTarget& target = *static_cast<CustomRowTarget*>(context);
  if (target.Next >= k9xRowCapacity) return;
  for (const KindName& known : kKindNames) {
    if (std::strcmp(kind, known.Name) != 0) continue;
    SetRow(target.Table[target.Next], title, control_text, target.Handlers->For(known.Kind));
    // Published only once the row is complete: another process's hook may read the count.
    *target.RowCount = ++target.Next;
    return;
  }
}

}  // namespace

// Windows-1252 texts as escapes, so the bytes do not depend on the source encoding. Row 5's
// control text ends with a space; the French ones have a space before the colon.
const BuiltIn9xRow kBuiltIn9xRows[kBuiltIn9xRowCount] = {
    {"Set Windows Password", "&Confirm new password:", Dialog9xKind::Change9x3},
    {"Change Windows Password", "Con&firm new password:", Dialog9xKind::Change9x4911},
    {"Change Password", "Con&firm new password:", Dialog9xKind::Change9x4911},
    {"Change Password", "Con&firm new password:", Dialog9xKind::Change9x4911},
    {"Change Password", "Password expired for: ", Dialog9xKind::ExpiredNW},
    {"D\xE9"
     "finir le mot de passe de Windows",
     "&Confirmer le nouveau mot de passe :", Dialog9xKind::Change9x3},
    {"Changer le mot de passe de Windows",
     "&Confirmer le nouveau mot de passe :", Dialog9xKind::Change9x4911},
    {"Modification du mot de passe",
     "&Confirmer le nouveau mot de passe :", Dialog9xKind::Change9x4911},
    {"Modification du mot de passe",
     "Con&firmer le nouveau mot de passe :", Dialog9xKind::Change9x4911},
    {"Windows-Kennwort festlegen",
     "&Neues Kennwort best\xE4"
     "tigen:",
     Dialog9xKind::Change9x3},
    {"Windows-Kennwort \xE4"
     "ndern",
     "&Neues Kennwort best\xE4"
     "tigen:",
     Dialog9xKind::Change9x4911},
    {"Kennwort \xE4"
     "ndern",
     "&Neues Kennwort best\xE4"
     "tigen:",
     Dialog9xKind::Change9x4911},
    {"Kennwort \xE4"
     "ndern",
     "&Neues Kennwort best\xE4"
     "tigen:",
     Dialog9xKind::Change9x4911},
    {"Windows-wachtwoord instellen", "Nieuw wachtwoord &bevestigen:", Dialog9xKind::Change9x3},
    {"Windows-wachtwoord wijzigen", "Nieuw wachtwoord &bevestigen:", Dialog9xKind::Change9x4911},
    {"Wachtwoord wijzigen", "Nieuw wachtwoord &bevestigen:", Dialog9xKind::Change9x4911},
    {"Wachtwoord wijzigen", "Nieuw wachtwoord &bevestigen:", Dialog9xKind::Change9x4911},
    {"Ange Windows-l\xF6"
     "senordet",
     "&Bekr\xE4"
     "fta nytt l\xF6"
     "senord:",
     Dialog9xKind::Change9x3},
    {"\xC4"
     "ndra Windows-l\xF6"
     "senordet",
     "&Bekr\xE4"
     "fta nytt l\xF6"
     "senord:",
     Dialog9xKind::Change9x4911},
    {"\xC4"
     "ndra l\xF6"
     "senord",
     "&Bekr\xE4"
     "fta nytt l\xF6"
     "senord:",
     Dialog9xKind::Change9x4911},
    {"\xC4"
     "ndra l\xF6"
     "senord",
     "&Bekr\xE4"
     "fta nytt l\xF6"
     "senord:",
     Dialog9xKind::Change9x4911},
};

DialogHandler Dialog9xHandlerSet::For(Dialog9xKind kind) const {
  switch (kind) {
    case Dialog9xKind::Change9x3:
      return Change9x3;
    case Dialog9xKind::Change9x4911:
      return Change9x4911;
    case Dialog9xKind::ExpiredNW:
      return ExpiredNW;
  }
  return nullptr;
}

void Build9xRecognitionTable(DialogRecognitionEntry* table, volatile uint32_t& row_count,
                             const char* wait_params, size_t size,
                             const Dialog9xHandlerSet& handlers) {
  for (uint32_t i = 0; i < k9xRowCapacity; ++i) {
    std::memset(table[i].Title, 0, sizeof(table[i].Title));
    std::memset(table[i].ControlText, 0, sizeof(table[i].ControlText));
    table[i].Handler = nullptr;
  }
  for (size_t i = 0; i < kBuiltIn9xRowCount; ++i) {
    const BuiltIn9xRow& row = kBuiltIn9xRows[i];
    SetRow(table[i], row.Title, row.ControlText, handlers.For(row.Kind));
  }
  row_count = kBuiltIn9xRowCount;
  CustomRowTarget target{table, &row_count, static_cast<uint32_t>(kBuiltIn9xRowCount), &handlers};
  ForEachRecognitionTriple(wait_params, size, AddCustomRow, &target);
}

}  // namespace hvn
