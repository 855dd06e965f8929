// hvnpolicy: the administrator's tool. Checks a password against a policy with the client's
// own engine, builds and verifies dictionaries, and serves policies to the clients.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/command_line.h"
#include "check/check_command.h"
#include "dict/dict_command.h"
#include "serve/serve_command.h"

namespace {

const char kUsage[] =
    "usage: hvnpolicy check ...     a password against a policy, rule by rule\n"
    "       hvnpolicy dict build WORDLIST DICTIONARY [--utf16]\n"
    "       hvnpolicy dict verify DICTIONARY\n"
    "       hvnpolicy serve ...     a policy server\n"
    "Run a command with --help for its options.\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 1 ? 2 : argc), argv + argc);
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "check") return hvn::tool::RunCheck(args);
  if (command == "dict") return hvn::tool::RunDict(args);
  if (command == "serve") return hvn::tool::RunServe(args);
  if (command != "--help" && command != "help") {
    if (!command.empty()) std::fprintf(stderr, "hvnpolicy: unknown command %s\n", command.c_str());
    std::fputs(kUsage, stderr);
    return hvn::tool::kExitUsage;
  }
  std::fputs(kUsage, stdout);
  return 0;
}
