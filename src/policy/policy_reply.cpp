#include "policy/policy_reply.h"

#include <cstring>

#include "platform/ansi_text.h"
#include "policy/policy_fields.h"

namespace hvn {
namespace {

constexpr char16_t kTab = u'\t';
constexpr size_t kWorkSize = kMaxRecordLength + 1;

// One field of a record as the parser took it from the working copy.
struct WireField {
  const char16_t* text;
  size_t length;
  bool cut;  // the record limit split it
};

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

  WireField Next() {
    size_t start = position_ < length_ ? position_ : length_;
    size_t end = start;
    while (end < length_ && work_[end] != u'\0') ++end;
    position_ = end + 1;
    return {work_ + start, end - start, cut_inside_field_ && end == length_ && start < length_};
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

// Keeps at most 256 characters; the rest of the array is cleared.
void StoreCharSet(char16_t (&char_set)[kCharSetCapacity + 1], const WireField& field) {
  std::memset(char_set, 0, sizeof(char_set));
  size_t length = field.length > kCharSetCapacity ? kCharSetCapacity : field.length;
  std::memcpy(char_set, field.text, length * sizeof(char16_t));
}

// Converts the text to the ANSI code page into a field of `size` bytes. A text that the code
// page cannot hold exactly (a character without an ANSI form, or more than size - 1 bytes) is
// refused and leaves the field empty: opening a best-fit or shortened path could open some
// other file.
void StoreAnsiText(char* out, size_t size, const WireField& field) {
  char ansi[kPathSize];
  std::memset(out, 0, size);
  if (field.cut || size > sizeof(ansi)) return;
  std::memset(ansi, 0, sizeof(ansi));
  size_t written = platform::WideToAnsi(field.text, field.length, ansi, size);
  char16_t back[kWorkSize];
  size_t back_length = platform::AnsiToWide(ansi, written, back, kWorkSize);
  if (back_length != field.length ||
      std::memcmp(back, field.text, field.length * sizeof(char16_t)) != 0) {
    return;
  }
  std::memcpy(out, ansi, size);
}

void StoreField(PasswordPolicy& policy, const PolicyField& row, const WireField& field) {
  switch (row.type) {
    case PolicyFieldType::kNumber:
      FieldOf<uint32_t>(policy, row) = field.cut ? 0 : ReadNumberField(field.text, field.length);
      break;
    case PolicyFieldType::kCharSet:
      StoreCharSet(FieldOf<char16_t[kCharSetCapacity + 1]>(policy, row), field);
      break;
    case PolicyFieldType::kAnsiText:
      StoreAnsiText(static_cast<char*>(row.member(policy)), row.limit, field);
      break;
    default:
      break;  // no reply record carries the other types
  }
}

void StoreRule2900Text(char16_t* out, size_t capacity, const WireField& field) {
  if (out == nullptr || capacity == 0) return;
  std::memset(out, 0, capacity * sizeof(char16_t));
  size_t length = field.length > capacity - 1 ? capacity - 1 : field.length;
  std::memcpy(out, field.text, length * sizeof(char16_t));
}

// Applies one record: the rows of the field table that the record's key carries, in table
// order, then the texts that follow some records' own fields.
void ApplyRecord(PasswordPolicy& policy, char16_t* rule2900_text, size_t rule2900_capacity,
                 const char16_t* record, size_t record_length) {
  FieldReader fields(record, record_length);
  WireField key_field = fields.Next();
  if (key_field.cut) return;  // not even the key fits the record limit
  uint32_t key = ReadNumberField(key_field.text, key_field.length);

  WireField field{nullptr, 0, false};
  for (const PolicyField& row : PolicyFields()) {
    if (row.wire == PolicyWire::kNone || row.record != key) continue;
    if (row.wire == PolicyWire::kEnable) {
      FieldOf<uint32_t>(policy, row) = 1;
      continue;
    }
    if (row.wire == PolicyWire::kNextField) field = fields.Next();
    StoreField(policy, row, field);
  }
  if (key == 2900) {
    // The text the rule compares with goes to the caller's buffer, not into the policy.
    StoreRule2900Text(rule2900_text, rule2900_capacity, fields.Next());
  } else if (key == 3100) {
    // The complexity record ends with the character set of each class rule, in class order.
    for (const PolicyField& row : PolicyFields()) {
      if (row.type == PolicyFieldType::kCharSet) StoreField(policy, row, fields.Next());
    }
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
