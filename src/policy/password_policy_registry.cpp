// The registry form of a policy: one value per field under one key, the user and group
// lists, the per-rule message texts and the three message templates.
//
// Every registry value is untrusted input. Numbers are taken only from 4-byte REG_DWORD
// values; fixed text fields always end terminated (a text that does not fit with its
// terminator keeps the default); every heap block has room for a terminator after the bytes
// read, and no read goes past its block even when a value grows between the size query and
// the read.
#include <cstdio>
#include <cstring>

#include "config/registry_value.h"
#include "platform/ansi_text.h"
#include "platform/heap.h"
#include "policy/password_policy.h"
#include "policy/policy_fields.h"

namespace hvn {
namespace {

constexpr size_t kCharSetBytes = 512;    // limit of a stored character set
constexpr uint32_t kMessageLimit = 256;  // limit of one message text
constexpr size_t kMessageSlack = 128;    // extra bytes of a message block
constexpr size_t kValueNameSize = 32;

const char* const kDefaultClassNames[6] = {"Alpha",   "Uppercase Alpha", "Lowercase Alpha",
                                           "Numeric", "Special",         "High"};

// The registry value of a row: "<code>_<field>" ("2600_MinLength"), "<code><field>" for the
// message texts ("2600msg_Rej"), the bare name for a policy-wide field.
void ValueName(const PolicyField& row, char (&name)[kValueNameSize]) {
  bool message =
      row.type == PolicyFieldType::kPolicyMessage || row.type == PolicyFieldType::kRejectionMessage;
  if (row.rule == 0) {
    std::snprintf(name, sizeof(name), "%s", row.name);
  } else {
    std::snprintf(name, sizeof(name), "%u%s%s", static_cast<unsigned>(row.rule), message ? "" : "_",
                  row.name);
  }
}

// The stored character set is ANSI text of up to 512 bytes, converted from the ANSI code page
// to the UTF-16 the checks read. A set of more than 256 characters does not fit the field and
// leaves it as it was (empty after the defaults): a cut set would silently change the rule.
void ReadCharSet(HKEY key, const char* name, char16_t (&char_set)[kCharSetCapacity + 1]) {
  char ansi[kCharSetBytes];
  std::memset(ansi, 0, sizeof(ansi));
  if (ReadRegistryText(key, name, ansi, sizeof(ansi)) != 0) return;
  char16_t wide[kCharSetBytes + 1];
  size_t length = platform::AnsiToWide(ansi, platform::BoundedLength(ansi, sizeof(ansi)), wide,
                                       kCharSetBytes + 1);
  if (length > kCharSetCapacity) return;
  std::memset(char_set, 0, sizeof(char_set));
  std::memcpy(char_set, wide, length * sizeof(char16_t));
}

// A class rule's display name; an empty one takes the name of the rule's class.
void ReadClassName(HKEY key, const char* name, const PolicyField& row, char* field) {
  ReadRegistryText(key, name, field, row.limit);
  size_t class_index = (row.rule - kRuleCodes[1]) / 100;
  if (field[0] == '\0' && class_index < 6) {
    std::snprintf(field, row.limit, "%s", kDefaultClassNames[class_index]);
  }
}

// A user or group list: a multi-string of names, stored as ":NAME1:NAME2:" in capitals. The
// block has one byte for the leading colon and two that stay free after the bytes read, so a
// value stored without its final NULs still ends as a text with its last name closed by a
// colon.
char* ReadNameList(HKEY key, const char* value_name) {
  uint32_t size = 0;
  if (QueryRegistryValueInfo(key, value_name, nullptr, &size) != 0) return nullptr;
  char* block = static_cast<char*>(platform::HeapAllocZeroed(size_t{size} + 3));
  if (block == nullptr) return nullptr;
  block[0] = ':';
  uint32_t read = size;
  if (ReadRegistryValue(key, value_name, block + 1, read) != 0) read = 0;
  // Each NUL read after a name becomes a colon; an empty name (a NUL right after a colon, as
  // the final NUL of a multi-string is) ends the list.
  for (uint32_t i = 1; i <= read; ++i) {
    if (block[i] != '\0') continue;
    if (block[i - 1] == ':') break;
    block[i] = ':';
  }
  size_t length = std::strlen(block);  // at most read + 1
  if (length > 1 && block[length - 1] != ':') block[length] = ':';
  platform::AnsiToUpper(block, std::strlen(block));
  return block;
}

// The thirteen message texts of one kind (the rows of `type`, in rule order) in one zeroed
// block: the sum of the values' sizes plus 128 bytes. Each rule's pointer goes to its text's
// place; a text that is missing, too long or no longer fits is empty. Texts stored without a
// NUL get one, so no text runs into the next. Returns the block (nullptr if it could not be
// had; the pointers then stay empty).
char* ReadMessages(HKEY key, PasswordPolicy& policy, PolicyFieldType type) {
  char names[kRuleCount][kValueNameSize];
  const char** targets[kRuleCount];
  size_t count = 0;
  size_t total = kMessageSlack;
  for (const PolicyField& row : PolicyFields()) {
    if (row.type != type || count == kRuleCount) continue;
    ValueName(row, names[count]);
    targets[count] = &FieldOf<const char*>(policy, row);
    *targets[count] = nullptr;
    uint32_t size = 0;
    if (QueryRegistryValueInfo(key, names[count], nullptr, &size) == 0) total += size;
    ++count;
  }
  char* block = static_cast<char*>(platform::HeapAllocZeroed(total));
  if (block == nullptr) return nullptr;
  // The block's last byte is never written: every text ends inside the block.
  const size_t usable = total - 1;
  size_t position = 0;
  for (size_t i = 0; i < count; ++i) {
    *targets[i] = block + position;
    if (position >= usable) continue;  // no room left: the text stays empty
    size_t room = usable - position;
    uint32_t size = static_cast<uint32_t>(room < kMessageLimit ? room : kMessageLimit);
    if (ReadRegistryValue(key, names[i], block + position, size) != 0) {
      position += 2;
    } else {
      position += size;
      if (size == 0 || block[position - 1] != '\0') ++position;  // its terminator
    }
    if (position > usable) position = usable;
  }
  return block;
}

// A template of any length: a value of 2 bytes or more, with two zero bytes after it so that
// a text stored without its NUL still ends. Anything else, or a failed read, gives none.
char* ReadTemplate(HKEY key, const char* value_name) {
  uint32_t size = 0;
  if (QueryRegistryValueInfo(key, value_name, nullptr, &size) != 0 || size < 2) return nullptr;
  char* block = static_cast<char*>(platform::HeapAllocZeroed(size_t{size} + 2));
  if (block == nullptr) return nullptr;
  uint32_t read = size;
  if (ReadRegistryValue(key, value_name, block, read) != 0) {
    platform::HeapRelease(block);
    return nullptr;
  }
  return block;
}

// The fixed fields of the table: numbers, character sets and texts.
void ReadFixedFields(HKEY key, PasswordPolicy& policy) {
  char name[kValueNameSize];
  for (const PolicyField& row : PolicyFields()) {
    ValueName(row, name);
    switch (row.type) {
      case PolicyFieldType::kEnabled:
      case PolicyFieldType::kNumber:
        ReadRegistryNumber(key, name, FieldOf<uint32_t>(policy, row));
        break;
      case PolicyFieldType::kCharSet:
        ReadCharSet(key, name, FieldOf<char16_t[kCharSetCapacity + 1]>(policy, row));
        break;
      case PolicyFieldType::kAnsiText:
        ReadRegistryText(key, name, static_cast<char*>(row.member(policy)), row.limit);
        break;
      case PolicyFieldType::kClassName:
        ReadClassName(key, name, row, static_cast<char*>(row.member(policy)));
        break;
      default:
        break;  // the owned blocks and message texts are read afterwards
    }
  }
}

// The owned texts of one type (name lists or templates). Blocks of an earlier read (without
// SetDefaults in between) are released, never leaked.
void ReadOwnedTexts(HKEY key, PasswordPolicy& policy, PolicyFieldType type,
                    char* (*read)(HKEY key, const char* value_name)) {
  for (const PolicyField& row : PolicyFields()) {
    if (row.type != type) continue;
    char*& block = FieldOf<char*>(policy, row);
    platform::ReleaseOwned(block);
    block = read(key, row.name);
  }
}

}  // namespace

uint32_t PasswordPolicy::ReadValues(HKEY key) {
  // Failures are not reported: a value that is missing or unusable keeps its default.
  ReadFixedFields(key, *this);
  ReadOwnedTexts(key, *this, PolicyFieldType::kNameList, ReadNameList);
  platform::ReleaseOwned(PolicyMessageBlock);
  PolicyMessageBlock = ReadMessages(key, *this, PolicyFieldType::kPolicyMessage);
  platform::ReleaseOwned(RejectionMessageBlock);
  RejectionMessageBlock = ReadMessages(key, *this, PolicyFieldType::kRejectionMessage);
  ReadOwnedTexts(key, *this, PolicyFieldType::kTemplate, ReadTemplate);
  return 0;
}

}  // namespace hvn
