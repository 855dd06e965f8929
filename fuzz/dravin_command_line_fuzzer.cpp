// Fuzzes the console installer's command-line parse and the texts of a failed parse: the
// input is split at NUL bytes into the arguments (any number, any length).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "setup/dravin/command_line.h"
#include "setup/dravin/installer_texts.h"

namespace {

class DiscardingWriter : public hvn::dravin::ConsoleWriter {
 protected:
  void WriteBytes(const char*, size_t) override {}
};

bool ExistsWhenOddLength(const char* path) {
  size_t length = 0;
  while (path[length] != '\0') ++length;
  return length % 2 == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> arguments(1, "Dravin.exe");
  arguments.emplace_back();
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.emplace_back();
    } else {
      arguments.back().push_back(static_cast<char>(data[i]));
    }
  }
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  hvn::dravin::CommandLine parsed;
  DiscardingWriter out;
  if (!hvn::dravin::ParseCommandLine(static_cast<int>(argv.size()), argv.data(),
                                     ExistsWhenOddLength, &parsed)) {
    hvn::dravin::WriteParseFailure(parsed, out);
  }
  return 0;
}
