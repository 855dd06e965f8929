// The registry form of a policy, read by PasswordPolicy::ReadValues through Load.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "config/random_registry_values.h"
#include "config/registry_test_key.h"
#include "config/vtable_slot.h"
#include "platform/ansi_text.h"
#include "policy/password_policy.h"

namespace hvn {
namespace {

using test::RegistryTest;

constexpr char kKey[] = "Policy";

// Every number of the registry form, in reading order, with its field.
struct NumberValue {
  std::string name;
  std::function<uint32_t&(PasswordPolicy&)> field;
};

std::vector<NumberValue> NumberValues() {
  std::vector<NumberValue> values;
  auto similarity = [&](uint32_t code, SimilarityRule PasswordPolicy::*rule) {
    std::string p = std::to_string(code) + "_";
    values.push_back(
        {p + "Enabled", [rule](PasswordPolicy& x) -> uint32_t& { return (x.*rule).Enabled; }});
    values.push_back(
        {p + "Bidir", [rule](PasswordPolicy& x) -> uint32_t& { return (x.*rule).Bidir; }});
    values.push_back({p + "Substitute",
                      [rule](PasswordPolicy& x) -> uint32_t& { return (x.*rule).Substitute; }});
    values.push_back(
        {p + "Tolerance", [rule](PasswordPolicy& x) -> uint32_t& { return (x.*rule).Tolerance; }});
  };
  similarity(1000, &PasswordPolicy::rule1000);
  for (int c = 1; c <= 6; ++c) {
    std::string p = std::to_string(kRuleCodes[c]) + "_";
    values.push_back(
        {p + "Enabled", [c](PasswordPolicy& x) -> uint32_t& { return x.ClassRule(c).Enabled; }});
    values.push_back({p + "MustContain",
                      [c](PasswordPolicy& x) -> uint32_t& { return x.ClassRule(c).MustContain; }});
    values.push_back(
        {p + "MinCount", [c](PasswordPolicy& x) -> uint32_t& { return x.ClassRule(c).MinCount; }});
    values.push_back(
        {p + "Embedded", [c](PasswordPolicy& x) -> uint32_t& { return x.ClassRule(c).Embedded; }});
    values.push_back(
        {p + "StartPos", [c](PasswordPolicy& x) -> uint32_t& { return x.ClassRule(c).StartPos; }});
    values.push_back(
        {p + "EndPos", [c](PasswordPolicy& x) -> uint32_t& { return x.ClassRule(c).EndPos; }});
  }
  values.push_back(
      {"2600_Enabled", [](PasswordPolicy& x) -> uint32_t& { return x.rule2600.Enabled; }});
  values.push_back(
      {"2600_MinLength", [](PasswordPolicy& x) -> uint32_t& { return x.rule2600.MinLength; }});
  values.push_back(
      {"2600_MaxLength", [](PasswordPolicy& x) -> uint32_t& { return x.rule2600.MaxLength; }});
  values.push_back({"2600_Exactly7or14",
                    [](PasswordPolicy& x) -> uint32_t& { return x.rule2600.Exactly7or14; }});
  values.push_back(
      {"2700_Enabled", [](PasswordPolicy& x) -> uint32_t& { return x.rule2700.Enabled; }});
  values.push_back({"2700_MinUniqueChars",
                    [](PasswordPolicy& x) -> uint32_t& { return x.rule2700.MinUniqueChars; }});
  similarity(2800, &PasswordPolicy::rule2800);
  similarity(2900, &PasswordPolicy::rule2900);
  values.push_back(
      {"3000_Enabled", [](PasswordPolicy& x) -> uint32_t& { return x.rule3000.Enabled; }});
  values.push_back({"3000_Bidir", [](PasswordPolicy& x) -> uint32_t& { return x.rule3000.Bidir; }});
  values.push_back(
      {"3000_Substitute", [](PasswordPolicy& x) -> uint32_t& { return x.rule3000.Substitute; }});
  values.push_back(
      {"3000_Tolerance", [](PasswordPolicy& x) -> uint32_t& { return x.rule3000.Tolerance; }});
  values.push_back(
      {"3000_Wildcard", [](PasswordPolicy& x) -> uint32_t& { return x.rule3000.Wildcard; }});
  const char* cs[] = {"Enabled",   "csAlpha", "csUpperAlpha",       "csLowerAlpha", "csNumeric",
                      "csSpecial", "csHigh",  "MinComplianceLevel", "MustComply"};
  uint32_t ComplexityRule::*cs_fields[] = {
      &ComplexityRule::Enabled,      &ComplexityRule::csAlpha,
      &ComplexityRule::csUpperAlpha, &ComplexityRule::csLowerAlpha,
      &ComplexityRule::csNumeric,    &ComplexityRule::csSpecial,
      &ComplexityRule::csHigh,       &ComplexityRule::MinComplianceLevel,
      &ComplexityRule::MustComply};
  for (int i = 0; i < 9; ++i) {
    auto f = cs_fields[i];
    values.push_back({std::string("3100_") + cs[i],
                      [f](PasswordPolicy& x) -> uint32_t& { return x.rule3100.*f; }});
  }
  values.push_back({"Priority", [](PasswordPolicy& x) -> uint32_t& { return x.Priority; }});
  values.push_back(
      {"MinComplianceLevel", [](PasswordPolicy& x) -> uint32_t& { return x.MinComplianceLevel; }});
  return values;
}

const char* const kClassNames[6] = {"Alpha",   "Uppercase Alpha", "Lowercase Alpha",
                                    "Numeric", "Special",         "High"};

std::string Text(const char* text) {
  return text != nullptr ? text : "<none>";
}

const char* PolicyText(PasswordPolicy& p, size_t i) {
  const char* texts[kRuleCount] = {p.rule1000.msg_Pol, p.rule2000.msg_Pol, p.rule2100.msg_Pol,
                                   p.rule2200.msg_Pol, p.rule2300.msg_Pol, p.rule2400.msg_Pol,
                                   p.rule2500.msg_Pol, p.rule2600.msg_Pol, p.rule2700.msg_Pol,
                                   p.rule2800.msg_Pol, p.rule2900.msg_Pol, p.rule3000.msg_Pol,
                                   p.rule3100.msg_Pol};
  return texts[i];
}

const char* RejectionText(PasswordPolicy& p, size_t i) {
  const char* texts[kRuleCount] = {p.rule1000.msg_Rej, p.rule2000.msg_Rej, p.rule2100.msg_Rej,
                                   p.rule2200.msg_Rej, p.rule2300.msg_Rej, p.rule2400.msg_Rej,
                                   p.rule2500.msg_Rej, p.rule2600.msg_Rej, p.rule2700.msg_Rej,
                                   p.rule2800.msg_Rej, p.rule2900.msg_Rej, p.rule3000.msg_Rej,
                                   p.rule3100.msg_Rej};
  return texts[i];
}

using PolicyRegistryFormTest = RegistryTest;

TEST(PolicyRegistryFormLayout, PolicyKeepsTheRecordSlots) {
  EXPECT_EQ(test::VirtualSlot(&PasswordPolicy::SetDefaults), 0);
  EXPECT_EQ(test::VirtualSlot(&PasswordPolicy::ReadValues), 1);
  EXPECT_EQ(test::VirtualSlot(&PasswordPolicy::WriteValues), 2);
  PasswordPolicy policy;
  RegistryRecord& record = policy;
  EXPECT_EQ(record.WriteValues(nullptr), 50u);
}

TEST_F(PolicyRegistryFormTest, KeyWithoutValuesGivesDefaultsAndClassNames) {
  tree_.CreateKey(kKey);
  PasswordPolicy loaded;
  PasswordPolicy reference;
  EXPECT_EQ(loaded.Load(tree_.root(), kKey), 0u);
  for (const NumberValue& value : NumberValues()) {
    EXPECT_EQ(value.field(loaded), value.field(reference)) << value.name;
  }
  for (int c = 1; c <= 6; ++c) {
    EXPECT_STREQ(loaded.ClassRule(c).CharSetName, kClassNames[c - 1]) << c;
    EXPECT_EQ(loaded.ClassRule(c).CharSet[0], u'\0') << c;
  }
  EXPECT_STREQ(loaded.rule3000.ServerDictFile, "");
  EXPECT_STREQ(loaded.NotificationCmd, "");
  EXPECT_EQ(loaded.UserList, nullptr);
  EXPECT_EQ(loaded.GroupList, nullptr);
  EXPECT_EQ(loaded.MsgPolTemplate, nullptr);
  EXPECT_EQ(loaded.MsgRejTemplate, nullptr);
  EXPECT_EQ(loaded.MsgRejGeneric, nullptr);
  for (size_t i = 0; i < kRuleCount; ++i) {
    EXPECT_EQ(Text(PolicyText(loaded, i)), "") << i;
    EXPECT_EQ(Text(RejectionText(loaded, i)), "") << i;
  }
  EXPECT_EQ(loaded.Load(tree_.root(), "Missing"), 2u);
  EXPECT_STREQ(loaded.rule2000.CharSetName, "");
}

TEST_F(PolicyRegistryFormTest, ReadsEveryNumberAndText) {
  std::vector<NumberValue> values = NumberValues();
  for (size_t i = 0; i < values.size(); ++i) {
    tree_.SetDword(kKey, values[i].name.c_str(), static_cast<uint32_t>(1000 + i));
  }
  tree_.SetValue(kKey, "2300_CharSet", REG_SZ, std::string("0123456789\xe4\0", 12));
  tree_.SetValue(kKey, "2100_CharSetName", REG_SZ, std::string("Capitals\0", 9));
  tree_.SetValue(kKey, "3000_ServerDictFile", REG_SZ, std::string("C:\\dict\\words.txt\0", 18));
  tree_.SetValue(kKey, "3000_ClientDictFile", REG_SZ, "D:\\local.txt");
  tree_.SetValue(kKey, "NotificationCmd", REG_EXPAND_SZ, std::string("notify.exe %u\0", 14));
  tree_.SetValue(kKey, "MsgPolTemplate", REG_SZ, std::string("Policy: %s\0", 11));
  tree_.SetValue(kKey, "MsgRejTemplate", REG_SZ, "Rejected: %s");  // no NUL
  PasswordPolicy policy;
  EXPECT_EQ(policy.Load(tree_.root(), kKey), 0u);
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(values[i].field(policy), 1000 + i) << values[i].name;
  }
  EXPECT_EQ(std::u16string(policy.rule2300.CharSet), u"0123456789\u00e4");
  EXPECT_STREQ(policy.rule2100.CharSetName, "Capitals");
  EXPECT_STREQ(policy.rule2300.CharSetName, "Numeric");
  EXPECT_STREQ(policy.rule3000.ServerDictFile, "C:\\dict\\words.txt");
  EXPECT_STREQ(policy.rule3000.ClientDictFile, "D:\\local.txt");
  EXPECT_STREQ(policy.NotificationCmd, "notify.exe %u");
  EXPECT_EQ(Text(policy.MsgPolTemplate), "Policy: %s");
  EXPECT_EQ(Text(policy.MsgRejTemplate), "Rejected: %s");
  EXPECT_EQ(policy.MsgRejGeneric, nullptr);
}

TEST_F(PolicyRegistryFormTest, WrongTypedOrSizedNumbersKeepTheirDefaults) {
  tree_.SetValue(kKey, "2600_MinLength", REG_SZ, std::string("8\0", 2));
  tree_.SetValue(kKey, "1000_Tolerance", REG_BINARY, std::string("\x09\0\0\0", 4));
  tree_.SetValue(kKey, "2000_MustContain", REG_DWORD, std::string("\0\0", 2));
  tree_.SetValue(kKey, "Priority", REG_DWORD, std::string(8, '\x01'));
  PasswordPolicy policy;
  EXPECT_EQ(policy.Load(tree_.root(), kKey), 0u);
  EXPECT_EQ(policy.rule2600.MinLength, 0u);
  EXPECT_EQ(policy.rule1000.Tolerance, 4u);
  EXPECT_EQ(policy.rule2000.MustContain, 1u);
  EXPECT_EQ(policy.Priority, 0u);
}

TEST_F(PolicyRegistryFormTest, UserAndGroupListsBecomeColonTextsInCapitals) {
  struct Case {
    DWORD type;
    std::string stored;
    const char* list;
  };
  const Case cases[] = {
      {REG_MULTI_SZ, std::string("alice\0bob\0\0", 11), ":ALICE:BOB:"},
      {REG_MULTI_SZ, std::string("alice\0bob\0", 10), ":ALICE:BOB:"},  // no final empty name
      {REG_MULTI_SZ, std::string("alice\0bob", 9), ":ALICE:BOB:"},     // no NUL at all at the end
      {REG_SZ, std::string("Sales\0", 6), ":SALES:"},
      {REG_MULTI_SZ, std::string("\xe4rger\0\0", 7), ":\xc4RGER:"},
      {REG_MULTI_SZ, std::string("a\0\0b\0\0", 6), ":A:"},  // an empty name ends the list
      {REG_MULTI_SZ, std::string("\0", 1), ":"},
      {REG_MULTI_SZ, "", ":"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    tree_.SetValue(kKey, "UserList", cases[i].type, cases[i].stored);
    tree_.SetValue(kKey, "GroupList", cases[i].type, cases[i].stored);
    PasswordPolicy policy;
    EXPECT_EQ(policy.Load(tree_.root(), kKey), 0u);
    EXPECT_EQ(Text(policy.UserList), cases[i].list) << "case " << i;
    EXPECT_EQ(Text(policy.GroupList), cases[i].list) << "case " << i;
  }
}

TEST_F(PolicyRegistryFormTest, MessageTextsPointIntoTheirBlocks) {
  tree_.SetValue(kKey, "1000msg_Pol", REG_SZ, std::string("Not like the old one\0", 21));
  tree_.SetValue(kKey, "2000msg_Pol", REG_SZ, "no terminator");
  tree_.SetValue(kKey, "2100msg_Pol", REG_SZ, std::string("upper\0", 6));
  tree_.SetValue(kKey, "2600msg_Rej", REG_SZ, std::string(299, 'x') + '\0');  // 300 bytes
  tree_.SetValue(kKey, "2500msg_Rej", REG_SZ, std::string("high\0", 5));
  tree_.SetValue(kKey, "2700msg_Rej", REG_SZ, std::string(255, 'u') + '\0');  // 256: fits
  tree_.SetValue(kKey, "3100msg_Rej", REG_SZ, std::string(256, 'c'));         // 256, no NUL
  PasswordPolicy policy;
  EXPECT_EQ(policy.Load(tree_.root(), kKey), 0u);
  EXPECT_EQ(Text(policy.rule1000.msg_Pol), "Not like the old one");
  EXPECT_EQ(Text(policy.rule2000.msg_Pol), "no terminator");
  EXPECT_EQ(Text(policy.rule2100.msg_Pol), "upper");
  EXPECT_EQ(Text(policy.rule2200.msg_Pol), "");
  EXPECT_EQ(Text(policy.rule2600.msg_Rej), "");
  EXPECT_EQ(Text(policy.rule2500.msg_Rej), "high");
  EXPECT_EQ(Text(policy.rule2700.msg_Rej), std::string(255, 'u'));
  EXPECT_EQ(Text(policy.rule3100.msg_Rej), std::string(256, 'c'));
  for (size_t i = 0; i < kRuleCount; ++i) {
    const char* pol = PolicyText(policy, i);
    const char* rej = RejectionText(policy, i);
    ASSERT_NE(pol, nullptr) << i;
    ASSERT_NE(rej, nullptr) << i;
    EXPECT_GE(pol, policy.PolicyMessageBlock) << i;
    EXPECT_GE(rej, policy.RejectionMessageBlock) << i;
  }
}

TEST_F(PolicyRegistryFormTest, TemplatesNeedTwoBytes) {
  struct Case {
    std::string stored;
    const char* text;
  };
  const Case cases[] = {
      {std::string("\0", 1), "<none>"},  // one byte: the empty string
      {"", "<none>"},
      {"x", "<none>"},
      {std::string("x\0", 2), "x"},
      {"ab", "ab"},  // no NUL: the two added zero bytes end it
      {std::string(5000, 't') + '\0', nullptr},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    tree_.SetValue(kKey, "MsgRejGeneric", REG_SZ, cases[i].stored);
    PasswordPolicy policy;
    EXPECT_EQ(policy.Load(tree_.root(), kKey), 0u);
    std::string expected = cases[i].text != nullptr ? cases[i].text : std::string(5000, 't');
    EXPECT_EQ(Text(policy.MsgRejGeneric), expected) << "case " << i;
  }
}

TEST_F(PolicyRegistryFormTest, FixedTextsThatDoNotFitKeepTheirDefaults) {
  tree_.SetValue(kKey, "2000_CharSetName", REG_SZ, std::string(128, 'n'));  // full, no NUL
  tree_.SetValue(kKey, "2100_CharSetName", REG_SZ, std::string(127, 'n') + '\0');
  tree_.SetValue(kKey, "3000_ServerDictFile", REG_SZ, std::string(260, 'p'));
  tree_.SetValue(kKey, "3000_ClientDictFile", REG_SZ, std::string(300, 'p') + '\0');
  tree_.SetValue(kKey, "2400_CharSet", REG_SZ, std::string(257, '!') + '\0');  // 257 characters
  tree_.SetValue(kKey, "2500_CharSet", REG_SZ, std::string(256, '\xe9') + '\0');
  tree_.SetValue(kKey, "2200_CharSet", REG_SZ, std::string(512, 'a'));  // 512 bytes, no NUL
  PasswordPolicy policy;
  EXPECT_EQ(policy.Load(tree_.root(), kKey), 0u);
  EXPECT_STREQ(policy.rule2000.CharSetName, "Alpha");
  EXPECT_EQ(std::string(policy.rule2100.CharSetName), std::string(127, 'n'));
  EXPECT_STREQ(policy.rule3000.ServerDictFile, "");
  EXPECT_STREQ(policy.rule3000.ClientDictFile, "");
  EXPECT_EQ(policy.rule2400.CharSet[0], u'\0');
  EXPECT_EQ(std::u16string(policy.rule2500.CharSet), std::u16string(256, u'\u00e9'));
  EXPECT_EQ(policy.rule2200.CharSet[0], u'\0');
}

TEST_F(PolicyRegistryFormTest, ReadingTwiceWithoutDefaultsReleasesTheEarlierBlocks) {
  tree_.SetValue(kKey, "UserList", REG_MULTI_SZ, std::string("a\0\0", 3));
  tree_.SetValue(kKey, "MsgPolTemplate", REG_SZ, std::string("t\0", 2));
  PasswordPolicy policy;
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(tree_.root(), kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(policy.ReadValues(key), 0u);
  EXPECT_EQ(policy.ReadValues(key), 0u);  // a leak here fails the sanitized run
  ::RegCloseKey(key);
  EXPECT_EQ(Text(policy.UserList), ":A:");
}

// Every value the policy reads, stored with random types, sizes and contents: the read never
// faults, and leaves every text terminated inside its field or block.
TEST_F(PolicyRegistryFormTest, AnyStoredValuesReadSafely) {
  std::vector<std::string> names;
  for (const NumberValue& value : NumberValues()) names.push_back(value.name);
  for (int c = 1; c <= 6; ++c) {
    names.push_back(std::to_string(kRuleCodes[c]) + "_CharSet");
    names.push_back(std::to_string(kRuleCodes[c]) + "_CharSetName");
  }
  for (const char* name :
       {"3000_ServerDictFile", "3000_ClientDictFile", "NotificationCmd", "UserList", "GroupList",
        "MsgPolTemplate", "MsgRejTemplate", "MsgRejGeneric"}) {
    names.push_back(name);
  }
  for (uint32_t code : kRuleCodes) {
    names.push_back(std::to_string(code) + "msg_Pol");
    names.push_back(std::to_string(code) + "msg_Rej");
  }
  const std::vector<size_t> limits = {0, 1, 2, 4, 128, 256, 260, 512};
  std::vector<NumberValue> numbers = NumberValues();
  PasswordPolicy policy;
  for (int round = 0; round < test::kRandomRounds / 3 + 1; ++round) {
    test::RandomValues random(static_cast<uint32_t>(round) * 104729u + 3u);
    for (const std::string& name : names) {
      // Most values stay untouched in a round, so each round differs from the last in a few.
      if (round == 0 || random.Pick(4) == 0) random.Store(tree_, kKey, name.c_str(), limits);
    }
    ASSERT_EQ(policy.Load(tree_.root(), kKey), 0u) << "round " << round;
    PasswordPolicy defaults;
    for (const NumberValue& number : numbers) {
      DWORD type = 0;
      std::string bytes;
      uint32_t expected = number.field(defaults);
      if (tree_.GetValue(kKey, number.name.c_str(), &type, &bytes) && type == REG_DWORD &&
          bytes.size() == 4) {
        std::memcpy(&expected, bytes.data(), 4);
      }
      EXPECT_EQ(number.field(policy), expected) << "round " << round << " " << number.name;
    }
    for (int c = 1; c <= 6; ++c) {
      const CharClassRule& rule = policy.ClassRule(c);
      EXPECT_LT(platform::BoundedLength(rule.CharSet, kCharSetCapacity + 1), kCharSetCapacity + 1);
      EXPECT_LT(platform::BoundedLength(rule.CharSetName, kCharSetNameSize), kCharSetNameSize);
      EXPECT_NE(rule.CharSetName[0], '\0');
    }
    EXPECT_LT(platform::BoundedLength(policy.NotificationCmd, kPathSize), kPathSize);
    EXPECT_LT(platform::BoundedLength(policy.rule3000.ServerDictFile, kPathSize), kPathSize);
    for (char* list : {policy.UserList, policy.GroupList}) {
      if (list != nullptr) {
        EXPECT_EQ(list[0], ':') << "round " << round;
      }
    }
    // Message texts: each inside its block and ended there (the sanitizer checks the reads).
    for (size_t i = 0; i < kRuleCount; ++i) {
      for (const char* text : {PolicyText(policy, i), RejectionText(policy, i)}) {
        ASSERT_NE(text, nullptr);
        EXPECT_LE(std::strlen(text), 256u) << "round " << round << " rule " << i;
      }
    }
  }
}

}  // namespace
}  // namespace hvn
