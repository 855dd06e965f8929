#include "setup/dravin/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "setup/dravin/console_writer.h"

namespace hvn::dravin {
namespace {

// Files that exist for the parse: "hvnclnt.cfg", "site.cfg" and a name of exactly 255 characters.
const std::string kLongestName(255, 'n');
bool TestFileExists(const char* path) {
  return std::strcmp(path, "hvnclnt.cfg") == 0 || std::strcmp(path, "site.cfg") == 0 ||
         path == kLongestName;
}

struct ParseCase {
  std::vector<std::string> arguments;  // after the program name
  bool ok;
  InstallerMode mode;
  const char* config_file;
  bool quiet;
  ParseMessage message;
  const char* message_argument;  // nullptr: none
};

const std::string kTooLongName(256, 'n');

const ParseCase kParseCases[] = {
    {{}, false, InstallerMode::kNone, "", false, ParseMessage::kNone, nullptr},
    {{"install", "a", "b", "c"},
     false,
     InstallerMode::kNone,
     "",
     false,
     ParseMessage::kInvalidNumberOfParameters,
     nullptr},
    {{"remove"}, false, InstallerMode::kNone, "", false, ParseMessage::kInvalidMode, "remove"},
    {{"/q"}, false, InstallerMode::kNone, "", false, ParseMessage::kInvalidMode, "/q"},
    {{"%s%n%x"}, false, InstallerMode::kNone, "", false, ParseMessage::kInvalidMode, "%s%n%x"},
    {{"install"},
     true,
     InstallerMode::kInstall,
     "hvnclnt.cfg",
     false,
     ParseMessage::kNone,
     nullptr},
    {{"InStAlL", "site.cfg"},
     true,
     InstallerMode::kInstall,
     "site.cfg",
     false,
     ParseMessage::kNone,
     nullptr},
    {{"INSTALL", "/Q"},
     true,
     InstallerMode::kInstall,
     "hvnclnt.cfg",
     true,
     ParseMessage::kNone,
     nullptr},
    {{"install", "site.cfg", "/q"},
     true,
     InstallerMode::kInstall,
     "site.cfg",
     true,
     ParseMessage::kNone,
     nullptr},
    // A file name after "/Q" is ignored, and quiet is then not set.
    {{"install", "/Q", "site.cfg"},
     true,
     InstallerMode::kInstall,
     "hvnclnt.cfg",
     false,
     ParseMessage::kNone,
     nullptr},
    {{"install", "site.cfg", "extra"},
     true,
     InstallerMode::kInstall,
     "site.cfg",
     false,
     ParseMessage::kNone,
     nullptr},
    {{"install", "missing.cfg"},
     false,
     InstallerMode::kInstall,
     "missing.cfg",
     false,
     ParseMessage::kFileDoesNotExist,
     "missing.cfg"},
    {{"install", "/Q", "missing.cfg"},
     true,
     InstallerMode::kInstall,
     "hvnclnt.cfg",
     false,
     ParseMessage::kNone,
     nullptr},
    {{"install", kLongestName},
     true,
     InstallerMode::kInstall,
     kLongestName.c_str(),
     false,
     ParseMessage::kNone,
     nullptr},
    {{"install", kTooLongName, "/q"},
     false,
     InstallerMode::kInstall,
     "",
     false,
     ParseMessage::kFileDoesNotExist,
     kTooLongName.c_str()},
    {{"installweb", "site.cfg", "/Q"},
     true,
     InstallerMode::kInstallWeb,
     "site.cfg",
     true,
     ParseMessage::kNone,
     nullptr},
    {{"INSTALLWEB", "missing.cfg"},
     false,
     InstallerMode::kInstallWeb,
     "missing.cfg",
     false,
     ParseMessage::kFileDoesNotExist,
     "missing.cfg"},
    {{"uninstall"}, true, InstallerMode::kUninstall, "", false, ParseMessage::kNone, nullptr},
    {{"Uninstall", "/q"}, true, InstallerMode::kUninstall, "", true, ParseMessage::kNone, nullptr},
    // UNINSTALL ignores what stands between the mode and the last argument; no file is asked.
    {{"UNINSTALL", "missing.cfg", "/Q"},
     true,
     InstallerMode::kUninstall,
     "",
     true,
     ParseMessage::kNone,
     nullptr},
    {{"uninstall", "/q", "x"},
     true,
     InstallerMode::kUninstall,
     "",
     false,
     ParseMessage::kNone,
     nullptr},
};

TEST(ParseCommandLine, FollowsTheTable) {
  for (size_t i = 0; i < std::size(kParseCases); ++i) {
    const ParseCase& c = kParseCases[i];
    std::vector<const char*> argv = {"Dravin.exe"};
    for (const std::string& argument : c.arguments) argv.push_back(argument.c_str());
    CommandLine parsed;
    EXPECT_EQ(ParseCommandLine(static_cast<int>(argv.size()), argv.data(), TestFileExists, &parsed),
              c.ok)
        << "case " << i;
    EXPECT_EQ(parsed.mode, c.mode) << "case " << i;
    EXPECT_STREQ(parsed.config_file, c.config_file) << "case " << i;
    EXPECT_EQ(parsed.quiet, c.quiet) << "case " << i;
    EXPECT_EQ(parsed.message, c.message) << "case " << i;
    EXPECT_STREQ(parsed.message_argument, c.message_argument) << "case " << i;
  }
}

class StringWriter : public ConsoleWriter {
 public:
  std::string bytes;

 protected:
  void WriteBytes(const char* data, size_t length) override { bytes.append(data, length); }
};

TEST(ConsoleWriter, WritesLineEndsAsCrLfAndEverythingElseAsItIs) {
  StringWriter out;
  out.Write("\nA\a%s\n\nB");
  out.Write("");
  out.Write("\n");
  EXPECT_EQ(out.bytes, "\r\nA\a%s\r\n\r\nB\r\n");
}

}  // namespace
}  // namespace hvn::dravin
