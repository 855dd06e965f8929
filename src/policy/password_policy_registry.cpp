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
#include <initializer_list>
#include <utility>

#include "config/registry_value.h"
#include "platform/ansi_text.h"
#include "platform/heap.h"
#include "policy/password_policy.h"

namespace hvn {
namespace {

constexpr size_t kCharSetBytes = 512;    // limit of a stored character set
constexpr uint32_t kMessageLimit = 256;  // limit of one message text
constexpr size_t kMessageSlack = 128;    // extra bytes of a message block
constexpr size_t kValueNameSize = 32;

const char* const kDefaultClassNames[6] = {"Alpha",   "Uppercase Alpha", "Lowercase Alpha",
                                           "Numeric", "Special",         "High"};

struct NumberField {
  const char* name;
  uint32_t* value;
};

// "<code>_<field>", e.g. "2600_MinLength".
void RuleValueName(uint32_t code, const char* field, char (&name)[kValueNameSize]) {
  std::snprintf(name, sizeof(name), "%u_%s", static_cast<unsigned>(code), field);
}

void ReadRuleNumbers(HKEY key, uint32_t code, std::initializer_list<NumberField> fields,
                     uint32_t& first_error) {
  char name[kValueNameSize];
  for (const NumberField& field : fields) {
    RuleValueName(code, field.name, name);
    ReadRegistryNumber(key, name, *field.value, first_error);
  }
}

void ReadRuleText(HKEY key, uint32_t code, const char* field_name, char* field, size_t capacity,
                  uint32_t& first_error) {
  char name[kValueNameSize];
  RuleValueName(code, field_name, name);
  ReadRegistryText(key, name, field, capacity, first_error);
}

// The stored character set is ANSI text of up to 512 bytes, converted from the ANSI code page
// to the UTF-16 the checks read. A set of more than 256 characters does not fit the field and
// leaves it as it was (empty after the defaults): a cut set would silently change the rule.
void ReadCharSet(HKEY key, uint32_t code, CharClassRule& rule, uint32_t& first_error) {
  char ansi[kCharSetBytes];
  std::memset(ansi, 0, sizeof(ansi));
  char name[kValueNameSize];
  RuleValueName(code, "CharSet", name);
  if (ReadRegistryText(key, name, ansi, sizeof(ansi), first_error) != 0) return;
  char16_t wide[kCharSetBytes + 1];
  size_t length = platform::AnsiToWide(ansi, platform::BoundedLength(ansi, sizeof(ansi)), wide,
                                       kCharSetBytes + 1);
  if (length > kCharSetCapacity) {
    KeepFirstError(ERROR_MORE_DATA, first_error);
    return;
  }
  std::memset(rule.CharSet, 0, sizeof(rule.CharSet));
  std::memcpy(rule.CharSet, wide, length * sizeof(char16_t));
}

void ReadClassRule(HKEY key, uint32_t code, const char* default_name, CharClassRule& rule,
                   uint32_t& first_error) {
  ReadRuleNumbers(key, code, {{"Enabled", &rule.Enabled}, {"MustContain", &rule.MustContain}},
                  first_error);
  ReadCharSet(key, code, rule, first_error);
  ReadRuleText(key, code, "CharSetName", rule.CharSetName, sizeof(rule.CharSetName), first_error);
  if (rule.CharSetName[0] == '\0') {
    std::snprintf(rule.CharSetName, sizeof(rule.CharSetName), "%s", default_name);
  }
  ReadRuleNumbers(key, code,
                  {{"MinCount", &rule.MinCount},
                   {"Embedded", &rule.Embedded},
                   {"StartPos", &rule.StartPos},
                   {"EndPos", &rule.EndPos}},
                  first_error);
}

void ReleaseOwned(char*& block) {
  platform::HeapRelease(block);
  block = nullptr;
}

// A user or group list: a multi-string of names, stored as ":NAME1:NAME2:" in capitals. The
// block has one byte for the leading colon and two that stay free after the bytes read, so a
// value stored without its final NULs still ends as a text with its last name closed by a
// colon.
char* ReadNameList(HKEY key, const char* value_name, uint32_t& first_error) {
  uint32_t size = 0;
  if (uint32_t rc = QueryRegistryValueInfo(key, value_name, nullptr, &size); rc != 0) {
    KeepFirstError(rc, first_error);
    return nullptr;
  }
  char* block = static_cast<char*>(platform::HeapAllocZeroed(size_t{size} + 3));
  if (block == nullptr) return nullptr;
  block[0] = ':';
  uint32_t read = size;
  if (ReadRegistryValue(key, value_name, block + 1, read, first_error) != 0) read = 0;
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

// The thirteen message texts of one kind ("msg_Pol" or "msg_Rej") in one zeroed block: the
// sum of the values' sizes plus 128 bytes. Each rule's pointer goes to its text's place; a
// text that is missing, too long or no longer fits is empty. Texts stored without a NUL get
// one, so no text runs into the next. Returns the block (nullptr if it could not be had; the
// pointers then stay empty).
char* ReadMessages(HKEY key, const char* kind, const char** (&targets)[kRuleCount],
                   uint32_t& first_error) {
  char names[kRuleCount][kValueNameSize];
  size_t total = kMessageSlack;
  for (size_t i = 0; i < kRuleCount; ++i) {
    std::snprintf(names[i], sizeof(names[i]), "%u%s", static_cast<unsigned>(kRuleCodes[i]), kind);
    uint32_t size = 0;
    if (QueryRegistryValueInfo(key, names[i], nullptr, &size) == 0) total += size;
  }
  char* block = static_cast<char*>(platform::HeapAllocZeroed(total));
  if (block == nullptr) return nullptr;
  // The block's last byte is never written: every text ends inside the block.
  const size_t usable = total - 1;
  size_t position = 0;
  for (size_t i = 0; i < kRuleCount; ++i) {
    *targets[i] = block + position;
    if (position >= usable) continue;  // no room left: the text stays empty
    size_t room = usable - position;
    uint32_t size = static_cast<uint32_t>(room < kMessageLimit ? room : kMessageLimit);
    if (ReadRegistryValue(key, names[i], block + position, size, first_error) != 0) {
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
char* ReadTemplate(HKEY key, const char* value_name, uint32_t& first_error) {
  uint32_t size = 0;
  if (uint32_t rc = QueryRegistryValueInfo(key, value_name, nullptr, &size); rc != 0) {
    KeepFirstError(rc, first_error);
    return nullptr;
  }
  if (size < 2) return nullptr;
  char* block = static_cast<char*>(platform::HeapAllocZeroed(size_t{size} + 2));
  if (block == nullptr) return nullptr;
  uint32_t read = size;
  if (ReadRegistryValue(key, value_name, block, read, first_error) != 0) {
    platform::HeapRelease(block);
    return nullptr;
  }
  return block;
}

}  // namespace

uint32_t PasswordPolicy::ReadValues(HKEY key) {
  // The first failing read is noted (for debugging) but, as designed, not returned.
  uint32_t first_error = 0;

  ReadRuleNumbers(key, 1000,
                  {{"Enabled", &rule1000.Enabled},
                   {"Bidir", &rule1000.Bidir},
                   {"Substitute", &rule1000.Substitute},
                   {"Tolerance", &rule1000.Tolerance}},
                  first_error);
  for (int class_number = 1; class_number <= 6; ++class_number) {
    ReadClassRule(key, kRuleCodes[class_number], kDefaultClassNames[class_number - 1],
                  ClassRule(class_number), first_error);
  }
  ReadRuleNumbers(key, 2600,
                  {{"Enabled", &rule2600.Enabled},
                   {"MinLength", &rule2600.MinLength},
                   {"MaxLength", &rule2600.MaxLength},
                   {"Exactly7or14", &rule2600.Exactly7or14}},
                  first_error);
  ReadRuleNumbers(key, 2700,
                  {{"Enabled", &rule2700.Enabled}, {"MinUniqueChars", &rule2700.MinUniqueChars}},
                  first_error);
  for (auto [code, rule] :
       {std::pair<uint32_t, SimilarityRule*>{2800, &rule2800}, {2900, &rule2900}}) {
    ReadRuleNumbers(key, code,
                    {{"Enabled", &rule->Enabled},
                     {"Bidir", &rule->Bidir},
                     {"Substitute", &rule->Substitute},
                     {"Tolerance", &rule->Tolerance}},
                    first_error);
  }
  ReadRuleNumbers(key, 3000, {{"Enabled", &rule3000.Enabled}}, first_error);
  ReadRuleText(key, 3000, "ServerDictFile", rule3000.ServerDictFile,
               sizeof(rule3000.ServerDictFile), first_error);
  ReadRuleText(key, 3000, "ClientDictFile", rule3000.ClientDictFile,
               sizeof(rule3000.ClientDictFile), first_error);
  ReadRuleNumbers(key, 3000,
                  {{"Bidir", &rule3000.Bidir},
                   {"Substitute", &rule3000.Substitute},
                   {"Tolerance", &rule3000.Tolerance},
                   {"Wildcard", &rule3000.Wildcard}},
                  first_error);
  ReadRuleNumbers(key, 3100,
                  {{"Enabled", &rule3100.Enabled},
                   {"csAlpha", &rule3100.csAlpha},
                   {"csUpperAlpha", &rule3100.csUpperAlpha},
                   {"csLowerAlpha", &rule3100.csLowerAlpha},
                   {"csNumeric", &rule3100.csNumeric},
                   {"csSpecial", &rule3100.csSpecial},
                   {"csHigh", &rule3100.csHigh},
                   {"MinComplianceLevel", &rule3100.MinComplianceLevel},
                   {"MustComply", &rule3100.MustComply}},
                  first_error);
  ReadRegistryNumber(key, "Priority", Priority, first_error);
  ReadRegistryText(key, "NotificationCmd", NotificationCmd, sizeof(NotificationCmd), first_error);
  ReadRegistryNumber(key, "MinComplianceLevel", MinComplianceLevel, first_error);

  // Blocks of an earlier read (without SetDefaults in between) are released, never leaked.
  ReleaseOwned(UserList);
  UserList = ReadNameList(key, "UserList", first_error);
  ReleaseOwned(GroupList);
  GroupList = ReadNameList(key, "GroupList", first_error);

  const char** policy_texts[kRuleCount] = {
      &rule1000.msg_Pol, &rule2000.msg_Pol, &rule2100.msg_Pol, &rule2200.msg_Pol, &rule2300.msg_Pol,
      &rule2400.msg_Pol, &rule2500.msg_Pol, &rule2600.msg_Pol, &rule2700.msg_Pol, &rule2800.msg_Pol,
      &rule2900.msg_Pol, &rule3000.msg_Pol, &rule3100.msg_Pol};
  const char** rejection_texts[kRuleCount] = {
      &rule1000.msg_Rej, &rule2000.msg_Rej, &rule2100.msg_Rej, &rule2200.msg_Rej, &rule2300.msg_Rej,
      &rule2400.msg_Rej, &rule2500.msg_Rej, &rule2600.msg_Rej, &rule2700.msg_Rej, &rule2800.msg_Rej,
      &rule2900.msg_Rej, &rule3000.msg_Rej, &rule3100.msg_Rej};
  for (const char** text : policy_texts) *text = nullptr;
  ReleaseOwned(PolicyMessageBlock);
  PolicyMessageBlock = ReadMessages(key, "msg_Pol", policy_texts, first_error);
  for (const char** text : rejection_texts) *text = nullptr;
  ReleaseOwned(RejectionMessageBlock);
  RejectionMessageBlock = ReadMessages(key, "msg_Rej", rejection_texts, first_error);

  ReleaseOwned(MsgPolTemplate);
  MsgPolTemplate = ReadTemplate(key, "MsgPolTemplate", first_error);
  ReleaseOwned(MsgRejTemplate);
  MsgRejTemplate = ReadTemplate(key, "MsgRejTemplate", first_error);
  ReleaseOwned(MsgRejGeneric);
  MsgRejGeneric = ReadTemplate(key, "MsgRejGeneric", first_error);
  return 0;
}

}  // namespace hvn
