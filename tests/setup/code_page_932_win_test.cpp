// The parser and the name test in a double-byte ANSI code page (932), where a character's
// second byte can look like an ASCII letter. Runs with the Japanese locale (CMakeLists.txt).
#include <gtest/gtest.h>

#include <string>

#include "config/provider_names.h"
#include "platform/win.h"
#include "setup/client_config_file.h"

namespace hvn {
namespace {

TEST(CodePage932, DoubleByteCharactersAreTakenWhole) {
  ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8 (ctest sets it)";
  // "\x83V" is one character whose second byte is "V".
  EXPECT_FALSE(ContainsNoCase("\x83VC32", "VC32"));
  EXPECT_TRUE(ContainsNoCase("a\x83Vvc32", "VC32"));
  EXPECT_FALSE(IsClientProviderName("\x83HVNC32.DLL"));
  // "\x83\\" is one character whose second byte is a backslash: no folder.
  EXPECT_FALSE(ProviderNameHasPath("\x83\\GINA.DLL"));
  EXPECT_TRUE(ProviderNameHasPath("\x83V\\GINA.DLL"));

  // A double-byte character in the last two places of a 1022-byte line stays whole.
  std::string file = "DOM CORP " + std::string(1011, 'a') + "\x83V\nRetries 2\n";
  ClientConfigFile config;
  ASSERT_EQ(ParseClientConfigText(file.data(), file.size(), config), 0u);
  EXPECT_EQ(std::string(config.ServerList), "CORP " + std::string(1011, 'a') + "\x83V");
  EXPECT_STREQ(config.RetriesText, "2");
}

}  // namespace
}  // namespace hvn
