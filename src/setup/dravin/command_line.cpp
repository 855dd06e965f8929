#include "setup/dravin/command_line.h"

#include <cstring>

#include "platform/ascii_text.h"

namespace hvn::dravin {
namespace {

constexpr int kMaxArguments = 3;
constexpr char kQuietSwitch[] = "/q";

// The mode words and the switch are the installer's own ASCII words: ASCII letter case only,
// so "install" is INSTALL under every system locale.
bool EqualsIgnoringCase(const char* text, const char* word) {
  return platform::AsciiEqualIgnoreCase(text, std::strlen(text), word);
}

InstallerMode ModeNamed(const char* word) {
  if (EqualsIgnoringCase(word, "install")) return InstallerMode::kInstall;
  if (EqualsIgnoringCase(word, "uninstall")) return InstallerMode::kUninstall;
  if (EqualsIgnoringCase(word, "installweb")) return InstallerMode::kInstallWeb;
  return InstallerMode::kNone;
}

bool Fail(CommandLine* out, ParseMessage message, const char* argument) {
  out->message = message;
  out->message_argument = argument;
  return false;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, bool (*file_exists)(const char* path),
                      CommandLine* out) {
  *out = CommandLine();
  const int arguments = argc - 1;
  if (arguments < 1) return Fail(out, ParseMessage::kNone, nullptr);
  if (arguments > kMaxArguments) {
    return Fail(out, ParseMessage::kInvalidNumberOfParameters, nullptr);
  }

  out->mode = ModeNamed(argv[1]);
  if (out->mode == InstallerMode::kNone) return Fail(out, ParseMessage::kInvalidMode, argv[1]);

  if (out->mode != InstallerMode::kUninstall) {
    const char* file = kDefaultConfigFile;
    if (arguments >= 2 && !EqualsIgnoringCase(argv[2], kQuietSwitch)) file = argv[2];
    // A longer name does not fit the field; cutting it would name another file.
    if (std::strlen(file) >= kConfigFileSize) {
      return Fail(out, ParseMessage::kFileDoesNotExist, file);
    }
    std::memcpy(out->config_file, file, std::strlen(file) + 1);
    if (!file_exists(out->config_file)) return Fail(out, ParseMessage::kFileDoesNotExist, file);
  }

  out->quiet = EqualsIgnoringCase(argv[arguments], kQuietSwitch);
  return true;
}

}  // namespace hvn::dravin
