// The command line of the console installer: a mode, an optional configuration file and an
// optional "/Q". The parse is portable; the file test is passed in, so the same parse runs
// natively in tests and against the file system in Dravin.exe.
#ifndef HVN_SETUP_DRAVIN_COMMAND_LINE_H_
#define HVN_SETUP_DRAVIN_COMMAND_LINE_H_

#include <cstddef>

namespace hvn::dravin {

enum class InstallerMode { kNone = 0, kInstall = 1, kUninstall = 2, kInstallWeb = 3 };

// Why a parse failed. kNone with a failed parse means "no argument at all": the usage text
// alone is the answer.
enum class ParseMessage { kNone, kInvalidNumberOfParameters, kInvalidMode, kFileDoesNotExist };

constexpr size_t kConfigFileSize = 256;  // bytes: up to 255 characters and the terminator
constexpr char kDefaultConfigFile[] = "hvnclnt.cfg";

struct CommandLine {
  InstallerMode mode = InstallerMode::kNone;
  // For INSTALL and INSTALLWEB: the file to import, relative to the current directory.
  char config_file[kConfigFileSize] = {};
  bool quiet = false;
  ParseMessage message = ParseMessage::kNone;
  // The argument the message names (the mode word or the file name), whole and as given;
  // nullptr when the message names none. Points into the caller's argument vector.
  const char* message_argument = nullptr;
};

// Parses `argc` arguments in `argv` (argv[0] is the program). Returns true when the command
// line names something to do; false with `out->message` (possibly kNone) otherwise.
// `file_exists` is asked about the configuration file of INSTALL and INSTALLWEB; a name of
// more than 255 characters is refused as not existing rather than cut to another name.
bool ParseCommandLine(int argc, const char* const* argv, bool (*file_exists)(const char* path),
                      CommandLine* out);

}  // namespace hvn::dravin

#endif  // HVN_SETUP_DRAVIN_COMMAND_LINE_H_
