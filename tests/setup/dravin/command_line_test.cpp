#include "setup/dravin/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "setup/dravin/console_writer.h"

namespace hvn::dravin {
namespace {

// "<255>" and "<256>" stand for file names of that many characters, in arguments and results.
std::string Expand(const std::string& word) {
  if (word == "<255>") return std::string(255, 'n');
  if (word == "<256>") return std::string(256, 'n');
  return word;
}
std::string Abbreviate(const char* text) {
  const std::string word = text == nullptr ? "" : text;
  return word.size() >= 255 ? "<" + std::to_string(word.size()) + ">" : word;
}

// Existing files: "hvnclnt.cfg", "site.cfg" and the name of 255 characters.
bool TestFileExists(const char* path) {
  const std::string name = Abbreviate(path);
  return name == "hvnclnt.cfg" || name == "site.cfg" || name == "<255>";
}

// The parse as one text: "ok"/"fail", the mode number, [file], "quiet", then the message
// number with its argument in parentheses.
std::string Describe(bool ok, const CommandLine& parsed) {
  std::string text = std::string(ok ? "ok " : "fail ") +
                     std::to_string(static_cast<int>(parsed.mode)) + " [" +
                     Abbreviate(parsed.config_file) + "]";
  if (parsed.quiet) text += " quiet";
  if (parsed.message != ParseMessage::kNone) {
    text += " message" + std::to_string(static_cast<int>(parsed.message)) + "(" +
            Abbreviate(parsed.message_argument) + ")";
  }
  return text;
}

struct ParseCase {
  const char* arguments;  // after the program name, separated by spaces
  const char* expected;   // as Describe gives it
};

const ParseCase kParseCases[] = {
    {"", "fail 0 []"},
    {"install a b /q", "fail 0 [] message1()"},
    {"remove", "fail 0 [] message2(remove)"},
    {"/q", "fail 0 [] message2(/q)"},
    {"%s%n%x", "fail 0 [] message2(%s%n%x)"},
    {"install", "ok 1 [hvnclnt.cfg]"},
    {"InStAlL site.cfg", "ok 1 [site.cfg]"},
    {"\xDDNSTALL", "fail 0 [] message2(\xDDNSTALL)"},  // Turkish capital dotted I: no "I"
    {"INSTALL /Q", "ok 1 [hvnclnt.cfg] quiet"},
    {"install site.cfg /q", "ok 1 [site.cfg] quiet"},
    {"install /Q site.cfg", "ok 1 [hvnclnt.cfg]"},  // a file after "/Q" is ignored, not quiet
    {"install site.cfg extra", "ok 1 [site.cfg]"},
    {"install missing.cfg", "fail 1 [missing.cfg] message3(missing.cfg)"},
    {"install /Q missing.cfg", "ok 1 [hvnclnt.cfg]"},
    {"install <255>", "ok 1 [<255>]"},
    {"install <256> /q", "fail 1 [] message3(<256>)"},  // refused whole, never cut
    {"installweb site.cfg /Q", "ok 3 [site.cfg] quiet"},
    {"INSTALLWEB missing.cfg", "fail 3 [missing.cfg] message3(missing.cfg)"},
    {"uninstall", "ok 2 []"},
    {"Uninstall /q", "ok 2 [] quiet"},
    {"UNINSTALL missing.cfg /Q", "ok 2 [] quiet"},  // no file asked; the middle word ignored
    {"uninstall /q x", "ok 2 []"},
};

TEST(ParseCommandLine, FollowsTheTable) {
  for (const ParseCase& c : kParseCases) {
    std::vector<std::string> words = {"Dravin.exe"};
    std::istringstream split(c.arguments);
    for (std::string word; split >> word;) words.push_back(Expand(word));
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    CommandLine parsed;
    const bool ok =
        ParseCommandLine(static_cast<int>(argv.size()), argv.data(), TestFileExists, &parsed);
    EXPECT_EQ(Describe(ok, parsed), c.expected) << c.arguments;
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
