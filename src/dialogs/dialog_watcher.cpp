#include "dialogs/dialog_watcher.h"

#include <cstring>

#include "platform/ansi_text.h"
#include "platform/error_codes.h"

namespace hvn {
namespace {

using platform::AnsiToUpper;
using platform::BoundedLength;
using platform::IsAnsiLeadByte;

// Staging sizes of the administrator's triples; the rows keep 127 bytes of each text.
constexpr size_t kStagedTitleSize = 256;
constexpr size_t kStagedControlTextSize = 1024;
constexpr size_t kStagedKindSize = 128;

// Width in bytes of the character that starts at text[i] (of a text of `length` bytes).
size_t CharWidth(const char* text, size_t i, size_t length) {
  return (IsAnsiLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < length) ? 2 : 1;
}

// Copies as many whole characters of `text` (`length` bytes) as fit in `capacity` - 1 bytes,
// zero-fills the rest of `out` and returns the bytes copied.
size_t CopyWholeCharacters(char* out, size_t capacity, const char* text, size_t length) {
  size_t copied = 0;
  while (copied < length) {
    size_t width = CharWidth(text, copied, length);
    if (copied + width > capacity - 1) break;
    copied += width;
  }
  std::memcpy(out, text, copied);
  std::memset(out + copied, 0, capacity - copied);
  return copied;
}

struct KindName {
  const char* Name;
  DialogKind Kind;
};
constexpr KindName kKindNames[] = {
    {"CHANGE_NT", DialogKind::ChangeNT},
    {"REJECTED_NT", DialogKind::RejectedNT},
    {"CHANGE_NW", DialogKind::ChangeNW},
    {"EXPIRED_NW", DialogKind::ExpiredNW},
};

}  // namespace

// Windows-1252 texts, written as escapes so the bytes do not depend on the source encoding.
// Each escape ends its string piece, so a following letter cannot extend the escape.
const BuiltInRecognitionRow kBuiltInRecognitionRows[kBuiltInRowCount] = {
    {"Change Password", "&Confirm New Password", DialogKind::ChangeNT},
    {"Change Password", "Type a password which meets these requirements in both text boxes",
     DialogKind::RejectedNT},
    {"Change Password", "To change password(s) for the user(s) listed", DialogKind::ChangeNW},
    {"Change Password", "To change passwords for the users listed", DialogKind::ChangeNW},
    {"Change Password", "Password expired for:", DialogKind::ExpiredNW},
    {"Changer de mot de passe", "&Confirmer le nouveau mot de passe", DialogKind::ChangeNT},
    {"Modifier le mot de passe", "Con&firmer le nouveau mot de passe", DialogKind::ChangeNT},
    {"Changer de mot de passe",
     "Entrez un mot de passe r\xE9"
     "pondant \xE0"
     " ces exigences dans les zones de texte",
     DialogKind::RejectedNT},
    {"Changement de mot de passe", "&Confirmer le nouveau mot de passe", DialogKind::ChangeNT},
    {"Kennwort \xE4"
     "ndern",
     "&Kennwortbest\xE4"
     "tigung",
     DialogKind::ChangeNT},
    {"Kennwort \xE4"
     "ndern",
     "Neues &Kennwort best\xE4"
     "tigen",
     DialogKind::ChangeNT},
    {"Kennwort \xE4"
     "ndern",
     "Geben Sie ein Kennwort in beide Textfelder ein, das diesen Anforderungen entspricht",
     DialogKind::RejectedNT},
    {"Wachtwoord wijzigen", "&Bevestig het nieuwe wachtwoord", DialogKind::ChangeNT},
    {"Wachtwoord wijzigen", "Typ een wachtwoord dat aan deze eisen voldoet in beide vakken",
     DialogKind::RejectedNT},
    {"\xC4"
     "ndra l\xF6"
     "senord",
     "&Bekr\xE4"
     "fta nytt l\xF6"
     "senord",
     DialogKind::ChangeNT},
    {"\xC4"
     "ndra l\xF6"
     "senord",
     "Skriv in ett l\xF6"
     "senord som uppfyller dessa krav i b\xE5"
     "da textrutorna",
     DialogKind::RejectedNT},
};

DialogHandler DialogHandlerSet::For(DialogKind kind) const {
  switch (kind) {
    case DialogKind::ChangeNT:
      return ChangeNT;
    case DialogKind::RejectedNT:
      return RejectedNT;
    case DialogKind::ChangeNW:
      return ChangeNW;
    case DialogKind::ExpiredNW:
      return ExpiredNW;
  }
  return nullptr;
}

DialogWatcher::DialogWatcher()
    : StopFlag(0),
      ScanInterval(kDefaultScanInterval),
      ThrottleInterval(0),
      Table{},
      RowCount(0),
      CurrentRow(0),
      CurrentDialog(nullptr),
      LastCall(0),
      Thread(nullptr),
      StopEvent(nullptr) {
  ClearTable(*this);
}

void ClearTable(DialogWatcher& watcher) {
  watcher.RowCount = 0;
  for (DialogRecognitionEntry& row : watcher.Table) {
    std::memset(row.Title, 0, sizeof(row.Title));
    std::memset(row.ControlText, 0, sizeof(row.ControlText));
    row.Handler = nullptr;
  }
}

uint32_t AddRecognitionEntry(DialogWatcher& watcher, const char* title, const char* control_text,
                             DialogHandler handler) {
  if (watcher.RowCount >= kRecognitionRowCount) return ERROR_NOT_ENOUGH_MEMORY;
  DialogRecognitionEntry& row = watcher.Table[watcher.RowCount];
  size_t title_length =
      CopyWholeCharacters(row.Title, sizeof(row.Title), title, title ? std::strlen(title) : 0);
  size_t control_length =
      CopyWholeCharacters(row.ControlText, sizeof(row.ControlText), control_text,
                          control_text ? std::strlen(control_text) : 0);
  AnsiToUpper(row.Title, title_length);
  AnsiToUpper(row.ControlText, control_length);
  row.Handler = handler;
  ++watcher.RowCount;
  return 0;
}

void AddCustomRecognitionRows(DialogWatcher& watcher, const char* wait_params, size_t size,
                              const DialogHandlerSet& handlers) {
  if (wait_params == nullptr) return;
  size_t position = 0;
  // Stages the string at `position` and steps past it. False when the string is empty or not
  // terminated within the field: either ends the list.
  auto take = [&](char* stage, size_t capacity) {
    if (position >= size) return false;
    size_t length = BoundedLength(wait_params + position, size - position);
    if (length == 0 || position + length >= size) return false;
    CopyWholeCharacters(stage, capacity, wait_params + position, length);
    position += length + 1;
    return true;
  };
  for (;;) {
    char title[kStagedTitleSize];
    char control_text[kStagedControlTextSize];
    char kind[kStagedKindSize];
    if (!take(title, sizeof(title)) || !take(control_text, sizeof(control_text)) ||
        !take(kind, sizeof(kind))) {
      return;
    }
    AnsiToUpper(kind, std::strlen(kind));
    for (const KindName& known : kKindNames) {
      if (std::strcmp(kind, known.Name) == 0) {
        AddRecognitionEntry(watcher, title, control_text, handlers.For(known.Kind));
        break;
      }
    }
  }
}

void FillRecognitionTable(DialogWatcher& watcher, uint32_t wait_sleep_time, const char* wait_params,
                          size_t wait_params_size, const DialogHandlerSet& handlers) {
  watcher.ScanInterval = wait_sleep_time;
  ClearTable(watcher);
  for (const BuiltInRecognitionRow& row : kBuiltInRecognitionRows) {
    AddRecognitionEntry(watcher, row.Title, row.ControlText, handlers.For(row.Kind));
  }
  AddCustomRecognitionRows(watcher, wait_params, wait_params_size, handlers);
}

bool TitleMatchesRow(const DialogRecognitionEntry& row, const char* upper_title) {
  return row.Handler != nullptr && std::strcmp(row.Title, upper_title) == 0;
}

bool ContainsAnsiText(const char* haystack, const char* needle) {
  size_t needle_length = std::strlen(needle);
  size_t length = std::strlen(haystack);
  for (size_t i = 0; i + needle_length <= length; i += CharWidth(haystack, i, length)) {
    if (std::memcmp(haystack + i, needle, needle_length) == 0) return true;
  }
  return false;
}

}  // namespace hvn
