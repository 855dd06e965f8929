// Fuzzes ParseClientConfigText on arbitrary configuration files: lines over 1,022 characters,
// comments and TABs anywhere, CR and Ctrl-Z and NUL bytes, oversize lists and values. Checks
// what the writer relies on: a read file's server list ends with its NULs inside the field and
// its texts are terminated; a refused file leaves the record all zero; a file with a line too
// long is refused for it, and only such a file. The input is copied to
// a block of exactly its size, so a read past the file's end is reported.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "setup/client_config_file.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool Terminated(const char* text, size_t capacity) {
  return std::memchr(text, '\0', capacity) != nullptr;
}

// The longest line before the end of the file as a text-mode read sees it: CR LF is one line
// end, a Ctrl-Z ends the file.
size_t LongestLine(const char* data, size_t size) {
  size_t longest = 0;
  size_t current = 0;
  for (size_t at = 0; at < size && data[at] != '\x1A'; ++at) {
    if (data[at] == '\n') {
      current = 0;
    } else if (data[at] != '\r' || at + 1 == size || data[at + 1] != '\n') {
      if (++current > longest) longest = current;
    }
  }
  return longest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> file(new char[size == 0 ? 1 : size]);
  if (size != 0) std::memcpy(file.get(), data, size);
  auto config = std::make_unique<hvn::ClientConfigFile>();
  hvn::ConfigFileStatus status;
  uint32_t rc = hvn::ParseClientConfigText(file.get(), size, *config, &status);
  const bool too_long = LongestLine(file.get(), size) > hvn::kConfigLineLength;
  Require(!too_long || rc != 0);
  Require(status.problem != hvn::ConfigFileProblem::kLineTooLong || too_long);
  if (rc != 0) {
    Require(rc == hvn::kSetupFailure);
    const hvn::ClientConfigFile empty = {};
    Require(std::memcmp(config.get(), &empty, sizeof(empty)) == 0);
    return 0;
  }
  uint32_t length = config->ServerListLength;
  Require(length < hvn::kConfigServerListSize);
  Require(config->ServerList[length] == '\0');
  Require(length == 0 || config->ServerList[length - 1] == '\0');
  // Entries are whole texts of at least "<domain> <servers>", none empty.
  for (uint32_t at = 0; at < length;) {
    size_t entry = std::strlen(config->ServerList + at);
    Require(entry >= 3 && std::memchr(config->ServerList + at, ' ', entry) != nullptr);
    at += static_cast<uint32_t>(entry + 1);
    Require(at <= length);
  }
  Require(Terminated(config->PortText, hvn::kConfigTextSize));
  Require(Terminated(config->TimeoutText, hvn::kConfigTextSize));
  Require(Terminated(config->RetriesText, hvn::kConfigTextSize));
  hvn::ConfigTextToNumber(config->TimeoutText);
  return 0;
}
