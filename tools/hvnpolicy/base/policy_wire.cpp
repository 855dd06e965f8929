#include "base/policy_wire.h"

#include "base/utf8_text.h"
#include "policy/policy_fields.h"
#include "policy/policy_reply.h"

namespace hvn::tool {
namespace {

// One reply record while it is assembled from the field table.
struct Record {
  uint32_t key = 0;
  bool has_enable = false;  // the record enables its rule, and is sent only when that is on
  bool enabled = false;
  bool any_set = false;  // for records that enable nothing: sent when a field is not zero
  std::vector<std::u16string> fields;
};

std::u16string NumberText(uint32_t value) {
  // Numbers above 2^31 - 1 go as their negative 32-bit form, which reads back the same.
  return Widen(std::to_string(static_cast<int32_t>(value)).c_str());
}

std::u16string WireText(const std::u16string& text, uint32_t key, const char* what,
                        std::vector<std::string>& problems) {
  std::u16string kept;
  for (char16_t c : text)
    if (c != u'\t' && c != u'\a' && c != u'\0') kept += c;
  if (kept.size() != text.size())
    problems.push_back(std::string(what) + " of record " + std::to_string(key) +
                       " holds TAB or BEL, which the wire form cannot carry: left out");
  return kept;
}

Record& RecordFor(std::vector<Record>& records, uint32_t key) {
  for (Record& record : records)
    if (record.key == key) return record;
  records.push_back(Record());
  records.back().key = key;
  return records.back();
}

}  // namespace

std::u16string FormatPolicyReply(const PasswordPolicy& policy, const char16_t* rule2900_text,
                                 std::vector<std::string>& problems) {
  // The records and their fields in the order of the field table, which is the order the
  // client's parser reads them in.
  std::vector<Record> records;
  for (const PolicyField& row : PolicyFields()) {
    if (row.wire == PolicyWire::kNone) continue;
    Record& record = RecordFor(records, row.record);
    if (row.wire == PolicyWire::kEnable) {
      record.has_enable = true;
      record.enabled = FieldOf<uint32_t>(policy, row) != 0;
      continue;
    }
    std::u16string value;
    switch (row.type) {
      case PolicyFieldType::kCharSet:
        value = WireText(FieldOf<char16_t[kCharSetCapacity + 1]>(policy, row), row.record,
                         "a character set", problems);
        break;
      case PolicyFieldType::kAnsiText:
        value = WireText(FromAnsi(FieldOf<char[kPathSize]>(policy, row)), row.record, "a text",
                         problems);
        break;
      default:
        value = NumberText(FieldOf<uint32_t>(policy, row));
        record.any_set = record.any_set || FieldOf<uint32_t>(policy, row) != 0;
        break;
    }
    // One wire text fills two fields (the dictionary path): the client's path, the later row,
    // is sent when it is set.
    if (row.wire == PolicyWire::kSameField) {
      if (!value.empty() && !record.fields.empty()) record.fields.back() = value;
      continue;
    }
    record.fields.push_back(value);
  }

  std::u16string reply;
  for (Record& record : records) {
    if (record.has_enable ? !record.enabled : !record.any_set) continue;
    if (record.key == 2900) {
      record.fields.push_back(
          WireText(rule2900_text != nullptr ? rule2900_text : u"", 2900, "the text", problems));
    }
    if (record.key == 3100) {
      // The record replaces all six character sets, so it carries those of the class rules.
      for (int class_number = 1; class_number <= 6; ++class_number)
        record.fields.push_back(
            WireText(policy.ClassRule(class_number).CharSet, 3100, "a character set", problems));
    }
    std::u16string text = Widen(std::to_string(record.key).c_str());
    for (const std::u16string& field : record.fields) text += u'\t' + field;
    if (text.size() > kMaxRecordLength)
      problems.push_back("the record of rule " + std::to_string(record.key) + " has " +
                         std::to_string(text.size()) +
                         " characters; the client reads only the first 1,023");
    reply += text + u'\a';
  }
  if (reply.size() > kMaxReplyCharacters)
    problems.push_back("the policy has " + std::to_string(reply.size()) +
                       " characters on the wire; the client receives only 4,095");
  return reply;
}

}  // namespace hvn::tool
