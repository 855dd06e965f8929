// The console installer's work after a successful parse: INSTALL, INSTALLWEB and UNINSTALL,
// each printing its texts through `out` and returning 0 or 1603. A failure prints its text
// and the abort text, in quiet runs too; nothing already written is undone.
#ifndef HVN_SETUP_DRAVIN_INSTALLER_SEQUENCES_H_
#define HVN_SETUP_DRAVIN_INSTALLER_SEQUENCES_H_

#include <cstdint>

#include "setup/dravin/command_line.h"
#include "setup/dravin/console_writer.h"

namespace hvn::dravin {

constexpr uint32_t kInstallerFailure = 1603;

// Checks the client files in the system directory, then imports the configuration file,
// removes earlier-version leftovers and activates the client.
uint32_t RunInstall(const CommandLine& command_line, ConsoleWriter& out);
// Imports the configuration file only (not on Windows 9x); no file is checked.
uint32_t RunInstallWeb(const CommandLine& command_line, ConsoleWriter& out);
// Deactivates the client and clears its settings.
uint32_t RunUninstall(const CommandLine& command_line, ConsoleWriter& out);

}  // namespace hvn::dravin

#endif  // HVN_SETUP_DRAVIN_INSTALLER_SEQUENCES_H_
