// The command line of hvnpolicy: a subcommand, its operands and its options ("--name value"
// or "--flag"), checked against what each subcommand accepts.
#ifndef HVN_TOOLS_HVNPOLICY_BASE_COMMAND_LINE_H_
#define HVN_TOOLS_HVNPOLICY_BASE_COMMAND_LINE_H_

#include <map>
#include <string>
#include <vector>

namespace hvn::tool {

// Exit statuses of every subcommand.
constexpr int kExitAccepted = 0;  // also: success
constexpr int kExitRefused = 1;   // also: a dictionary that verify rejects
constexpr int kExitUsage = 2;     // usage or input error

struct Arguments {
  std::vector<std::string> operands;
  std::map<std::string, std::string> options;             // "--name" -> value ("" for a flag)
  std::map<std::string, std::vector<std::string>> lists;  // repeatable options' values

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  std::string Get(const std::string& name, const std::string& fallback = "") const {
    auto found = options.find(name);
    return found == options.end() ? fallback : found->second;
  }
  std::vector<std::string> GetAll(const std::string& name) const {
    auto found = lists.find(name);
    return found == lists.end() ? std::vector<std::string>() : found->second;
  }
};

// Splits `args` into operands and options: `with_value` lists the options that take a value,
// `flags` those that do not, `repeatable` the options that take a value and may be given
// more than once (their values go to `lists`, in order). Returns false with the reason in
// `error` for anything else. "--help" is a flag of every command.
bool ParseArguments(const std::vector<std::string>& args,
                    const std::vector<std::string>& with_value,
                    const std::vector<std::string>& flags, Arguments& parsed, std::string& error,
                    const std::vector<std::string>& repeatable = {});

// When `parsed` holds --help: prints `usage` on standard output and returns true (the command
// then ends with status 0).
bool PrintHelp(const Arguments& parsed, const char* usage);

// Reads a whole file into `bytes`; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_BASE_COMMAND_LINE_H_
