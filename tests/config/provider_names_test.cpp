#include "config/provider_names.h"

#include <gtest/gtest.h>

namespace hvn {
namespace {

TEST(ProviderNames, EachTestHasItsOwnRule) {
  struct Case {
    const char* name;
    bool is_default;   // "MSGINA.DLL", case counting
    bool is_client;    // contains "HVNC32", case ignored
    bool is_harmless;  // whole "MSGINA.DLL" or "HVNC32.DLL", case ignored
  } cases[] = {
      {"MSGINA.DLL", true, false, true},
      {"msgina.dll", false, false, true},
      {"HVNC32.DLL", false, true, true},
      {"hvnc32.dll", false, true, true},
      {"C:\\WINNT\\system32\\HVNc32.dll", false, true, false},
      {"myHvNc32gina.dll", false, true, false},
      {"OTHER.DLL", false, false, false},
      {"MSGINA.DLL ", false, false, false},
      // ASCII letters fold, nothing else: in code page 1254 the dotted capital and the dotless
      // small i are no "I", whatever a Turkish or Azeri system locale says.
      {"MsGiNa.DlL", false, false, true},
      {"MSG\xDDNA.DLL", false, false, false},
      {"msg\xFDna.dll", false, false, false},
      {"HvNc32.DlL", false, true, true},
      {"", false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsDefaultProviderName(c.name), c.is_default) << c.name;
    EXPECT_EQ(IsClientProviderName(c.name), c.is_client) << c.name;
    EXPECT_EQ(IsHarmlessHeadName(c.name), c.is_harmless) << c.name;
  }
}

TEST(ContainsNoCase, FindsThePartInAnyCase) {
  struct Case {
    const char* text;
    const char* part;
    bool contained;
  } cases[] = {
      {"abcHVNC32", "hvnc32", true}, {"hvn", "HVNC32", false},      {"", "", true}, {"x", "", true},
      {nullptr, "a", false},         {"\xE9t\xE9", "\xC9T", false},  // only ASCII letters fold
  };
  for (const Case& c : cases)
    EXPECT_EQ(ContainsNoCase(c.text, c.part), c.contained) << (c.text ? c.text : "(null)");
}

}  // namespace
}  // namespace hvn
