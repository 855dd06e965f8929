// Dravin.exe, the console installer: installs, configures and removes the workstation client
// from a command line. Exit status 0 on success, 1603 on every failure.
#include "config/system_files.h"
#include "platform/win.h"
#include "setup/dravin/command_line.h"
#include "setup/dravin/installer_sequences.h"
#include "setup/dravin/installer_texts.h"

namespace {

// Standard output through WriteFile: the bytes leave exactly as composed, whether the
// output is a console, a file or a pipe.
class StandardOutput : public hvn::dravin::ConsoleWriter {
 protected:
  void WriteBytes(const char* bytes, size_t length) override {
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
    while (length > 0) {
      DWORD written = 0;
      if (!::WriteFile(output, bytes, static_cast<DWORD>(length), &written, nullptr) ||
          written == 0) {
        return;
      }
      bytes += written;
      length -= written;
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace hvn::dravin;
  StandardOutput out;
  CommandLine command_line;
  if (!ParseCommandLine(argc, argv, hvn::FileExists, &command_line)) {
    WriteParseFailure(command_line, out);
    return static_cast<int>(kInstallerFailure);
  }
  if (!command_line.quiet) WriteBanner(out);
  switch (command_line.mode) {
    case InstallerMode::kInstall:
      return static_cast<int>(RunInstall(command_line, out));
    case InstallerMode::kInstallWeb:
      return static_cast<int>(RunInstallWeb(command_line, out));
    case InstallerMode::kUninstall:
      return static_cast<int>(RunUninstall(command_line, out));
    case InstallerMode::kNone:
      break;
  }
  return static_cast<int>(kInstallerFailure);
}
