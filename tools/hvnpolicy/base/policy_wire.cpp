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
  std::string longest_name;  // the registry value of the longest text field, and its length
  size_t longest = 0;
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

// Adds a text field to `record`, noting it when it is the record's longest.
void AddText(Record& record, std::u16string text, const std::string& name) {
  if (text.size() > record.longest || record.longest_name.empty()) {
    record.longest = text.size();
    record.longest_name = name;
  }
  record.fields.push_back(std::move(text));
}

std::string Count(size_t n) {
  std::string digits = std::to_string(n);
  for (size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
  return digits;
}

std::string LongestField(const Record& record) {
  return "\"" + record.longest_name + "\" (" + Count(record.longest) + " characters)";
}

Record& RecordFor(std::vector<Record>& records, uint32_t key) {
  for (Record& record : records)
    if (record.key == key) return record;
  records.push_back(Record());
  records.back().key = key;
  return records.back();
}

}  // namespace

PolicyWireForm FormatPolicyReply(const PasswordPolicy& policy, const char16_t* rule2900_text) {
  PolicyWireForm form;
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
    const std::string name = std::to_string(row.rule) + "_" + row.name;
    std::u16string value;
    switch (row.type) {
      case PolicyFieldType::kCharSet:
        value = WireText(FieldOf<char16_t[kCharSetCapacity + 1]>(policy, row), row.record,
                         "a character set", form.left_out);
        break;
      case PolicyFieldType::kAnsiText:
        value = WireText(FromAnsi(FieldOf<char[kPathSize]>(policy, row)), row.record, "a text",
                         form.left_out);
        break;
      default:
        record.fields.push_back(NumberText(FieldOf<uint32_t>(policy, row)));
        record.any_set = record.any_set || FieldOf<uint32_t>(policy, row) != 0;
        continue;
    }
    // One wire text fills two fields (the dictionary path): the client's path, the later row,
    // is sent when it is set.
    if (row.wire == PolicyWire::kSameField) {
      if (!value.empty() && !record.fields.empty()) {
        record.fields.back() = value;
        record.longest = value.size();
        record.longest_name = name;
      }
      continue;
    }
    AddText(record, std::move(value), name);
  }

  size_t longest = 0;
  std::string longest_name;
  for (Record& record : records) {
    if (record.has_enable ? !record.enabled : !record.any_set) continue;
    if (record.key == 2900) {
      AddText(
          record,
          WireText(rule2900_text != nullptr ? rule2900_text : u"", 2900, "the text", form.left_out),
          "2900_Text");
    }
    if (record.key == 3100) {
      // The record replaces all six character sets, so it carries those of the class rules.
      for (int class_number = 1; class_number <= 6; ++class_number)
        AddText(record,
                WireText(policy.ClassRule(class_number).CharSet, 3100, "a character set",
                         form.left_out),
                std::to_string(kRuleCodes[class_number]) + "_CharSet");
    }
    std::u16string text = Widen(std::to_string(record.key).c_str());
    for (const std::u16string& field : record.fields) text += u'\t' + field;
    if (text.size() > kMaxRecordLength && form.too_long.empty())
      form.too_long = "the record of rule " + std::to_string(record.key) + " has " +
                      Count(text.size()) + " characters on the wire, more than the " +
                      Count(kMaxRecordLength) + " a record holds; its longest field is " +
                      LongestField(record);
    if (!record.longest_name.empty() && record.longest >= longest) {
      longest = record.longest;
      longest_name = LongestField(record);
    }
    form.text += text + u'\a';
  }
  if (form.text.size() > kMaxReplyCharacters && form.too_long.empty())
    form.too_long = "the policy has " + Count(form.text.size()) +
                    " characters on the wire, more than the " + Count(kMaxReplyCharacters) +
                    " a reply holds; its longest field is " + longest_name;
  return form;
}

}  // namespace hvn::tool
