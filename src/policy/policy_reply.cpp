#include "policy/policy_reply.h"

#include <cstring>

#include "platform/ansi_text.h"

namespace hvn {
namespace {

constexpr char16_t kTab = u'\t';
constexpr size_t kWorkSize = kMaxRecordLength + 1;

// The fields of one record, read in order from its working copy. Fields past the last one read
// as empty. When the record was cut inside a field, that last field is marked as cut.
class FieldReader {
 public:
  FieldReader(const char16_t* record, size_t record_length) {
    std::memset(work_, 0, sizeof(work_));
    size_t copied = record_length < kMaxRecordLength ? record_length : kMaxRecordLength;
    std::memcpy(work_, record, copied * sizeof(char16_t));
    length_ = copied;
    cut_inside_field_ = record_length > kMaxRecordLength && record[kMaxRecordLength] != kTab;
    for (size_t i = 0; i < length_; ++i) {
      if (work_[i] == kTab) work_[i] = u'\0';
    }
  }

  // The next field and its length; `*cut` tells whether the record limit split it.
  const char16_t* Next(size_t* field_length, bool* cut) {
    size_t start = position_ < length_ ? position_ : length_;
    size_t end = start;
    while (end < length_ && work_[end] != u'\0') ++end;
    *field_length = end - start;
    *cut = cut_inside_field_ && end == length_ && start < length_;
    position_ = end + 1;
    return work_ + start;
  }

  uint32_t NextNumber() {
    size_t field_length = 0;
    bool cut = false;
    const char16_t* field = Next(&field_length, &cut);
    return cut ? 0 : ReadNumberField(field, field_length);
  }

 private:
  char16_t work_[kWorkSize];
  size_t length_ = 0;
  size_t position_ = 0;
  bool cut_inside_field_ = false;
};

bool IsAtolSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

void StoreCharSet(CharClassRule& rule, FieldReader& fields) {
  size_t length = 0;
  bool cut = false;
  const char16_t* text = fields.Next(&length, &cut);
  std::memset(rule.CharSet, 0, sizeof(rule.CharSet));
  if (length > kCharSetCapacity) length = kCharSetCapacity;
  std::memcpy(rule.CharSet, text, length * sizeof(char16_t));
}

void ApplySimilarity(SimilarityRule& rule, FieldReader& fields) {
  rule.Enabled = 1;
  rule.Bidir = fields.NextNumber();
  rule.Substitute = fields.NextNumber();
  rule.Tolerance = fields.NextNumber();
}

void ApplyCharClass(CharClassRule& rule, FieldReader& fields) {
  rule.Enabled = 1;
  rule.MustContain = fields.NextNumber();
  StoreCharSet(rule, fields);
  rule.MinCount = fields.NextNumber();
  rule.Embedded = fields.NextNumber();
  rule.StartPos = fields.NextNumber();
  rule.EndPos = fields.NextNumber();
}

void StoreRule2900Text(char16_t* out, size_t capacity, FieldReader& fields) {
  size_t length = 0;
  bool cut = false;
  const char16_t* text = fields.Next(&length, &cut);
  if (out == nullptr || capacity == 0) return;
  std::memset(out, 0, capacity * sizeof(char16_t));
  if (length > capacity - 1) length = capacity - 1;
  std::memcpy(out, text, length * sizeof(char16_t));
}

// Converts the dictionary path to the ANSI code page into both path fields. A path that the
// code page cannot hold exactly (a character without an ANSI form, or more than 259 bytes)
// is refused: opening a best-fit or shortened name could open some other file.
void StoreDictionaryPath(DictionaryRule& rule, FieldReader& fields) {
  size_t length = 0;
  bool cut = false;
  const char16_t* path = fields.Next(&length, &cut);
  char ansi[kPathSize];
  std::memset(ansi, 0, sizeof(ansi));
  size_t written = platform::WideToAnsi(path, length, ansi, sizeof(ansi));
  char16_t back[kWorkSize];
  size_t back_length = platform::AnsiToWide(ansi, written, back, kWorkSize);
  if (cut || back_length != length || std::memcmp(back, path, length * sizeof(char16_t)) != 0) {
    std::memset(ansi, 0, sizeof(ansi));
  }
  std::memcpy(rule.ServerDictFile, ansi, sizeof(ansi));
  std::memcpy(rule.ClientDictFile, ansi, sizeof(ansi));
}

void ApplyRecord(PasswordPolicy& policy, char16_t* rule2900_text, size_t rule2900_capacity,
                 const char16_t* record, size_t record_length) {
  FieldReader fields(record, record_length);
  size_t key_length = 0;
  bool key_cut = false;
  const char16_t* key_field = fields.Next(&key_length, &key_cut);
  if (key_cut) return;  // not even the key fits the record limit
  uint32_t key = ReadNumberField(key_field, key_length);

  switch (key) {
    case 0:
      policy.MinComplianceLevel = fields.NextNumber();
      break;
    case 1000:
      ApplySimilarity(policy.rule1000, fields);
      break;
    case 2000:
    case 2100:
    case 2200:
    case 2300:
    case 2400:
    case 2500:
      ApplyCharClass(policy.ClassRule(static_cast<int>((key - 2000) / 100 + 1)), fields);
      break;
    case 2600:
      policy.rule2600.Enabled = 1;
      policy.rule2600.MinLength = fields.NextNumber();
      policy.rule2600.MaxLength = fields.NextNumber();
      policy.rule2600.Exactly7or14 = fields.NextNumber();
      break;
    case 2700:
      policy.rule2700.Enabled = 1;
      policy.rule2700.MinUniqueChars = fields.NextNumber();
      break;
    case 2800:
      ApplySimilarity(policy.rule2800, fields);
      break;
    case 2900:
      ApplySimilarity(policy.rule2900, fields);
      StoreRule2900Text(rule2900_text, rule2900_capacity, fields);
      break;
    case 3000:
      policy.rule3000.Enabled = 1;
      StoreDictionaryPath(policy.rule3000, fields);
      policy.rule3000.Bidir = fields.NextNumber();
      policy.rule3000.Substitute = fields.NextNumber();
      policy.rule3000.Tolerance = fields.NextNumber();
      break;
    case 3001:
      policy.rule3000.Wildcard = fields.NextNumber();
      break;
    case 3100: {
      ComplexityRule& rule = policy.rule3100;
      rule.Enabled = 1;
      rule.csAlpha = fields.NextNumber();
      rule.csUpperAlpha = fields.NextNumber();
      rule.csLowerAlpha = fields.NextNumber();
      rule.csNumeric = fields.NextNumber();
      rule.csSpecial = fields.NextNumber();
      rule.csHigh = fields.NextNumber();
      rule.MinComplianceLevel = fields.NextNumber();
      rule.MustComply = fields.NextNumber();
      for (int class_number = 1; class_number <= 6; ++class_number) {
        StoreCharSet(policy.ClassRule(class_number), fields);
      }
      break;
    }
    default:
      break;  // unknown records are ignored
  }
}

}  // namespace

uint32_t ReadNumberField(const char16_t* field, size_t length) {
  if (length > kMaxNumberFieldLength) length = kMaxNumberFieldLength;
  size_t i = 0;
  while (i < length && IsAtolSpace(field[i])) ++i;
  bool negative = false;
  if (i < length && (field[i] == u'+' || field[i] == u'-')) {
    negative = field[i] == u'-';
    ++i;
  }
  uint32_t value = 0;  // unsigned: the wrap-around to 32 bits is defined
  for (; i < length && field[i] >= u'0' && field[i] <= u'9'; ++i) {
    value = value * 10u + static_cast<uint32_t>(field[i] - u'0');
  }
  return negative ? 0u - value : value;
}

uint32_t ParsePolicyReply(PasswordPolicy& policy, char16_t* rule2900_text, size_t rule2900_capacity,
                          const char16_t* reply, size_t reply_length) {
  policy.SetDefaults();
  if (rule2900_text != nullptr && rule2900_capacity > 0) {
    std::memset(rule2900_text, 0, rule2900_capacity * sizeof(char16_t));
  }
  if (reply == nullptr) return 0;

  size_t position = 0;
  while (position < reply_length && reply[position] != u'\0') {
    size_t end = position;
    while (end < reply_length && reply[end] != u'\0') ++end;
    ApplyRecord(policy, rule2900_text, rule2900_capacity, reply + position, end - position);
    if (end >= reply_length) break;
    position = end + 1;
  }
  return 0;
}

uint32_t ParsePolicyReply(PasswordPolicy& policy, char16_t* rule2900_text, size_t rule2900_capacity,
                          const char16_t* reply) {
  // The caller promises an empty record at the end, so the scan stops there.
  return ParsePolicyReply(policy, rule2900_text, rule2900_capacity, reply, SIZE_MAX);
}

}  // namespace hvn
