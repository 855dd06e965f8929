// hvnpolicy check end to end, natively: the worked examples of the rules run through the
// program as an administrator runs it (reply file, password on standard input), judged by
// its exit status and its rule lines.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace hvn::tool {
namespace {

struct CheckRun {
  int status;
  std::string output;
};

// Runs `hvnpolicy <arguments>` with `input` on its standard input.
CheckRun RunTool(const test::TempDir& dir, const std::string& arguments, const std::string& input) {
  dir.WriteFile("stdin.txt", input);
  std::string command = std::string("\"") + HVNPOLICY_PATH + "\" " + arguments + " < \"" +
                        dir.path() + "/stdin.txt\" > \"" + dir.path() + "/out.txt\" 2>&1";
  int raw = std::system(command.c_str());
  CheckRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ""};
  FILE* file = std::fopen((dir.path() + "/out.txt").c_str(), "rb");
  if (file != nullptr) {
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof(block), file)) > 0) run.output.append(block, got);
    std::fclose(file);
  }
  return run;
}

CheckRun RunCheck(const test::TempDir& dir, const std::string& options, const std::string& input) {
  return RunTool(dir, "check " + options, input);
}

TEST(HvnpolicyCheck, WorkedExamplesOfTheRules) {
  struct Case {
    const char* name;
    std::string reply;    // records, one a line, fields separated by TAB
    std::string options;  // after --reply
    std::string input;    // standard input: the new password, then the old one
    int status;
    std::vector<std::string> lines;  // expected in the output
  };
  test::TempDir dir;
  std::string dictionary =
      dir.WriteFile("dictionary.txt", "HEAD\r\n!!QWE*!!\r\nPASSWORD\r\nSUMMER\r\n");
  std::string with_empty_line = dir.WriteFile("empty-line.txt", "HEAD\r\n\r\nPASSWORD\r\n");
  const Case cases[] = {
      {"digits, length and user name",
       "2300\t1\t\t1\t0\t0\t0\n2600\t8\t0\t0\n2800\t0\t0\t4\n",
       "--user jsmith",
       "jsmith12\n",
       1,
       {"rule 2300  passed ", "rule 2600  passed ", "rule 2800  FAILED ",
        "rule 1000  not evaluated  (disabled)", "Verdict: REFUSED", "failed: 2800"}},
      {"old password shares PASSWORD",
       "1000\t0\t0\t4\n",
       "--old-password",
       "password2\nPASSWORD1\n",
       1,
       {"rule 1000  FAILED "}},
      {"no old password given",
       "1000\t0\t0\t4\n",
       "",
       "password2\n",
       0,
       {"rule 1000  not evaluated  the new password", "(no old password given)", "ACCEPTED"}},
      {"user name reversed",
       "2800\t1\t0\t4\n",
       "--user JSMITH",
       "HtimsJ9\n",
       1,
       {"rule 2800  FAILED "}},
      {"user name not reversed",
       "2800\t0\t0\t4\n",
       "--user JSMITH",
       "HtimsJ9\n",
       0,
       {"rule 2800  passed "}},
      {"look-alike dictionary word",
       "3000\t" + dictionary + "\t0\t1\t4\n",
       "",
       "pa$$w0rd\n",
       1,
       {"rule 3000  FAILED ", "matched entry \"PASSWORD\" through a piece of its look-alike form"}},
      {"substitution off with 2",
       "3000\t" + dictionary + "\t0\t2\t4\n",
       "",
       "pa$$w0rd\n",
       0,
       {"rule 3000  passed "}},
      {"wildcard entry",
       "3000\t" + dictionary + "\t0\t0\t4\n3001\t1\n",
       "",
       "qwerty77\n",
       1,
       {"matched entry \"!!QWE*!!\" through a wildcard entry for its beginning"}},
      {"word inside",
       "3000\t" + dictionary + "\t0\t0\t4\n",
       "",
       "xxsummerxx\n",
       1,
       {"matched entry \"SUMMER\" through a piece of the password as written"}},
      {"the entry the rule meets first: shorter pieces first",
       "3000\t" + dictionary + "\t0\t0\t4\n",
       "",
       "summerpassword\n",
       1,
       {"matched entry \"SUMMER\" through a piece of the password as written"}},
      {"an empty line met through the empty piece",
       "3000\t" + with_empty_line + "\t0\t0\t-1\n",
       "",
       "zzz\n",
       1,
       {"rule 3000  FAILED ",
        "matched an empty line of the dictionary through a piece of the "
        "password as written"}},
      {"dictionary outside the folders given",
       "3000\t\\\\evil\\share\\words.dic\t0\t0\t4\n",
       "--dictionary-folder \"C:\\Policy\\Dict\" --dictionary-folder \"\\\\files\\dict\"",
       "password\n",
       0,
       {"rule 3000  not evaluable", "(the dictionary is outside the folders given)",
        "Dictionary <\\\\evil\\share\\words.dic> not opened"}},
      {"dictionary missing",
       "3000\t" + dir.path() + "/none.txt\t0\t0\t4\n",
       "",
       "abc\n",
       0,
       {"rule 3000  not evaluable", "ACCEPTED"}},
      {"rule 2900 text",
       "2900\t0\t0\t4\tNorvex Corp\n",
       "",
       "norvexcorp1\n",
       1,
       {"rule 2900  FAILED ", "with the text \"Norvex Corp\""}},
      {"threshold met with failures",
       "0\t2\n2600\t8\t0\t0\n2300\t1\t\t1\t0\t0\t0\n2700\t3\n",
       "",
       "aaaaaaaa\n",
       1,
       {"at least 2 rules pass", "REFUSED"}},
      {"threshold met",
       "0\t2\n2600\t8\t0\t0\n2300\t1\t\t1\t0\t0\t0\n2700\t3\n",
       "",
       "aaaaaabc\n",
       0,
       {"rule 2300  FAILED ", "ACCEPTED"}},
      {"complexity must comply",
       "0\t1\n2600\t8\t0\t0\n3100\t1\t0\t0\t1\t0\t0\t2\t1\n",
       "",
       "abcdefgh\n",
       1,
       {"rule 2600  passed ", "rule 3100  FAILED ", "REFUSED"}},
      {"length cut to 127",
       "2600\t0\t140\t0\n",
       "",
       std::string(150, 'a') + "\n",
       0,
       {"rule 2600  passed "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string reply = dir.WriteFile("reply.txt", c.reply);
    CheckRun run = RunCheck(dir, "--reply \"" + reply + "\" " + c.options, c.input);
    EXPECT_EQ(run.status, c.status) << run.output;
    for (const std::string& line : c.lines)
      EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
  }
}

TEST(HvnpolicyCheck, UsageAndInputErrorsExitWithTwo) {
  test::TempDir dir;
  std::string reply = dir.WriteFile("reply.txt", "2600\t8\t0\t0\n");
  const std::vector<std::string> options = {
      "",                                                         // no policy source
      "--reply \"" + reply + "\" --server 127.0.0.1 --domain D",  // two sources
      "--reply \"" + dir.path() + "/missing.txt\"",               // unreadable reply file
      "--reply \"" + reply + "\" secret",                         // a password on the command line
      "--server 127.0.0.1:99999 --domain D",                      // bad port
      "--reg \"" + reply + "\"",                                  // not a registry file
  };
  for (const std::string& option : options) {
    CheckRun run = RunCheck(dir, option, "secret\n");
    EXPECT_EQ(run.status, 2) << option << "\n" << run.output;
  }
  CheckRun no_password = RunCheck(dir, "--reply \"" + reply + "\"", "");
  EXPECT_EQ(no_password.status, 2);
}

TEST(HvnpolicyCheck, EachCommandsHelpIsItsUsageWithStatusZero) {
  test::TempDir dir;
  for (const std::string command : {"check", "dict", "serve"}) {
    CheckRun run = RunTool(dir, command + " --help", "");
    EXPECT_EQ(run.status, 0) << command << "\n" << run.output;
    EXPECT_EQ(run.output.rfind("usage: hvnpolicy " + command, 0), 0u) << run.output;
  }
}

}  // namespace
}  // namespace hvn::tool
