#include "setup/client_config_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace hvn {
namespace {

// A "DOM" line whose entry ("D " and filler) is `entry_length` bytes long.
std::string DomLine(size_t entry_length) {
  return "DOM D " + std::string(entry_length - 2, 'x') + "\n";
}

std::string Repeat(const std::string& text, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += text;
  return out;
}

std::vector<std::string> Entries(const ClientConfigFile& config) {
  std::vector<std::string> entries;
  for (const char* at = config.ServerList; *at != '\0'; at += std::strlen(at) + 1)
    entries.push_back(at);
  return entries;
}

struct ParseCase {
  const char* what;
  std::string bytes;
  std::vector<std::string> entries;
  std::string port;
  std::string timeout;
  std::string retries;
  ConfigFileProblem problem = ConfigFileProblem::kNone;
  uint32_t problem_line = 0;
};

const std::string kLongServers(1013, 'a');
const std::string kEntry999 = "D " + std::string(997, 'x');

const ParseCase kParseCases[] = {
    {"the documented example",
     "# policy servers\ndom CORP\tdc1 dc2\nTimeout 3000\n",
     {"CORP dc1 dc2"},
     "",
     "3000",
     ""},
    {"keys in any case",
     "Dom A s1\nhvs_port 1444\nTIMEOUT 5\nretries 7\n",
     {"A s1"},
     "1444",
     "5",
     "7"},
    {"TABs and runs of spaces",
     "DOM\tCORP\t \tdc1\tdc2\nDOM SALES     s1\n",
     {"CORP dc1 dc2", "SALES s1"},
     "",
     "",
     ""},
    {"a comment after a value",
     "DOM CORP dc1 # main servers\nRetries 3\t# three\n",
     {"CORP dc1"},
     "",
     "",
     "3"},
    {"a value written against a comment",
     "Retries 3#x\nDOM CORP dc1#x\n",
     {"CORP dc1"},
     "",
     "",
     "3"},
    {"a domain with nothing after it",
     "DOM CORP\nDOM SALES   \nDOM HR # none\nDOM\n",
     {},
     "",
     "",
     ""},
    {"Retries with no value empties it", "Retries 5\nRetries \n", {}, "", "", ""},
    {"a key without a space is skipped", "Retries 4\nRetries\n\n#\n", {}, "", "", "4"},
    {"two entries for one domain",
     "DOM CORP dc1\nDOM CORP dc2\n",
     {"CORP dc1", "CORP dc2"},
     "",
     "",
     ""},
    {"CR LF line ends", "DOM CORP dc1\r\nTimeout 300\r\n", {"CORP dc1"}, "", "300", ""},
    {"a last line without line end", "DOM CORP dc1\nRetries 3", {"CORP dc1"}, "", "", "3"},
    {"a last domain line without line end", "Timeout 1\nDOM CORP dc1", {"CORP dc1"}, "", "1", ""},
    {"later values replace earlier ones", "Timeout 1\nHVS_Port 2\nTimeout 9\n", {}, "2", "9", ""},
    {"other keys and indented lines are ignored",
     "Server x y\n DOM CORP dc1\nDOMAIN A b\n",
     {},
     "",
     "",
     ""},
    {"a line of 1022 characters is read whole",
     "DOM CORP " + kLongServers + "\r\nTimeout 9\n",
     {"CORP " + kLongServers},
     "",
     "9",
     ""},
    {"a longer domain line refuses the file",
     "Retries 1\nDOM CORP a" + kLongServers + "\n",
     {},
     "",
     "",
     "",
     ConfigFileProblem::kLineTooLong,
     2},
    {"a longer comment line refuses the file",
     "# " + std::string(1020, 'c') + "Retries 7\n",
     {},
     "",
     "",
     "",
     ConfigFileProblem::kLineTooLong,
     1},
    {"Ctrl-Z ends the file", "Timeout 1\n\x1ATimeout 2\n", {}, "", "1", ""},
    {"a NUL ends the line's text",
     std::string("Timeout 12\0 34\nRetries 2\n", 25),
     {},
     "",
     "12",
     "2"},
    {"a server list filled to its last byte",
     Repeat(DomLine(999), 4) + DomLine(94),
     {kEntry999, kEntry999, kEntry999, kEntry999, "D " + std::string(92, 'x')},
     "",
     "",
     ""},
    {"a server list one byte too long",
     Repeat(DomLine(999), 4) + "Retries 1\n" + DomLine(95),
     {},
     "",
     "",
     "",
     ConfigFileProblem::kServerListFull,
     6},
    {"a value of 255 characters",
     "HVS_Port " + std::string(255, '7') + "\n",
     {},
     std::string(255, '7'),
     "",
     ""},
    {"a value of 256 characters",
     "Timeout 1\nTimeout " + std::string(256, '1') + "\n",
     {},
     "",
     "",
     "",
     ConfigFileProblem::kValueTooLong,
     2},
};

TEST(ParseClientConfigText, GivesEntriesAndTextsAsTheFileSays) {
  for (const ParseCase& c : kParseCases) {
    ClientConfigFile config;
    std::memset(&config, 0x5A, sizeof(config));
    ConfigFileStatus status;
    uint32_t rc = ParseClientConfigText(c.bytes.data(), c.bytes.size(), config, &status);
    EXPECT_EQ(rc, c.problem == ConfigFileProblem::kNone ? 0u : kSetupFailure) << c.what;
    EXPECT_EQ(status.problem, c.problem) << c.what;
    EXPECT_EQ(status.line, c.problem_line) << c.what;
    EXPECT_EQ(Entries(config), c.entries) << c.what;
    uint32_t length = 0;
    for (const std::string& entry : c.entries) length += static_cast<uint32_t>(entry.size() + 1);
    EXPECT_EQ(config.ServerListLength, length) << c.what;
    EXPECT_EQ(config.ServerList[length], '\0') << c.what;
    EXPECT_EQ(config.PortText, c.port) << c.what;
    EXPECT_EQ(config.TimeoutText, c.timeout) << c.what;
    EXPECT_EQ(config.RetriesText, c.retries) << c.what;
  }
}

TEST(ParseClientConfigText, RefusedFileLeavesNothingBehind) {
  std::string bytes = "DOM CORP dc1\nTimeout 5\n" + Repeat(DomLine(1000), 5);
  ClientConfigFile config;
  ASSERT_EQ(ParseClientConfigText(bytes.data(), bytes.size(), config), kSetupFailure);
  const ClientConfigFile empty = {};
  EXPECT_EQ(std::memcmp(&config, &empty, sizeof(config)), 0);
}

TEST(ReadClientConfigFile, ReadsTheFileAsItsBytesParse) {
  test::TempDir folder;
  // More than one read block, so lines and CR LF pairs cross block boundaries.
  std::string bytes =
      Repeat("# comment line of some length\r\n", 200) + "DOM CORP dc1 dc2\r\n" + "Retries 4";
  std::string path = folder.WriteFile("hvnclnt.cfg", bytes);
  ClientConfigFile from_file;
  ClientConfigFile from_bytes;
  EXPECT_EQ(ReadClientConfigFile(path.c_str(), from_file), 0u);
  EXPECT_EQ(ParseClientConfigText(bytes.data(), bytes.size(), from_bytes), 0u);
  EXPECT_EQ(std::memcmp(&from_file, &from_bytes, sizeof(from_file)), 0);
  EXPECT_EQ(Entries(from_file), std::vector<std::string>{"CORP dc1 dc2"});
  EXPECT_STREQ(from_file.RetriesText, "4");

  ConfigFileStatus status;
  EXPECT_EQ(ReadClientConfigFile((folder.path() + "/missing.cfg").c_str(), from_file, &status),
            kSetupFailure);
  EXPECT_EQ(status.problem, ConfigFileProblem::kCannotRead);
}

TEST(ConfigTextToNumber, ConvertsLikeTheInstallerAlwaysHas) {
  struct Case {
    const char* text;
    uint32_t number;
  } cases[] = {
      {"3000", 3000},
      {"  42", 42},
      {"\t 5 ", 5},
      {"+7", 7},
      {"-1", 0xFFFFFFFFu},
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"- 5", 0},
      {"2147483648", 0x80000000u},
      {"-2147483648", 0x80000000u},
      {"4294967296", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ConfigTextToNumber(c.text), c.number) << c.text;
}

}  // namespace
}  // namespace hvn
