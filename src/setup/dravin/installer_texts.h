// Every text the console installer prints, and the composite pieces (banner and title, usage,
// parse messages, abort). In the texts "\n" is a line end (written as CR LF) and "\a" the bell
// character, which is printed as part of the text.
#ifndef HVN_SETUP_DRAVIN_INSTALLER_TEXTS_H_
#define HVN_SETUP_DRAVIN_INSTALLER_TEXTS_H_

#include "setup/dravin/command_line.h"
#include "setup/dravin/console_writer.h"

namespace hvn::dravin {

constexpr char kAbortText[] = "\n\nDravin Aborted.\n\a";

constexpr char kClientLibraryNotFound[] = "HVN client DLL not found in ";
constexpr char kInvalidVersion[] =
    "Invalid version number in HVN client DLL. This installation program is only\n"
    "compatible with V3.5 of the HVN client DLL.\n\n"
    "HVN Client DLL: ";
constexpr char kStartupProgramNotFound[] = "HVNc9x.exe not found in ";
constexpr char kCannotFormPath[] = "Cannot form the path of ";  // then the file name and:
constexpr char kCannotFormPathEnd[] = " in the Windows system directory.";
constexpr char kWebOn9x[] = "\nHVN/Web Client cannot be installed on Windows 9x.\n";

constexpr char kCannotReadConfigFile[] = "Cannot read client configuration file.";
// Second lines after kCannotReadConfigFile for a file refused because a limit is exceeded.
constexpr char kServerListTooLong[] = "\nThe Domain/Server list does not fit in 4096 bytes.";
constexpr char kConfigValueTooLong[] = "\nA value is longer than 255 characters.";
// The line number goes in place of %lu (a constant format, never a text from outside).
constexpr char kLineTooLongFormat[] = "\nLine %lu is longer than 1022 characters.";
constexpr char kEmptyServerList[] =
    "The Domain/Server list is empty. Refer to the HVN Administrator's Guide for more "
    "information.";
constexpr char kCannotWriteRegistry[] =
    "Cannot write to the registry. You might not have sufficient permissions.";
constexpr char kCannotReadWinlogon[] = "Cannot read from Winlogon registry key.";
constexpr char kReactivationUnsafe[] =
    "It is not safe to reactivate the Halvern Client at this time because\n"
    "Windows has loaded HVNc32.DLL. Restart the computer and try again.\n\n"
    "If this error persists, it indicates that another GINA DLL has been installed\n"
    "after the HVC was installed. Uninstall the other GINA DLL(s) and try again.\n";
constexpr char kReverseOrder[] = "Always uninstall GINA DLLs in the reverse order of installation.";
constexpr char kDeactivationUnsafe[] =
    "It is not safe to deactivate the HVC at this time because another GINA DLL has\n"
    "been installed after the HVC. Uninstall the other GINA DLL(s) in the reverse\n"
    "order of installation and try again.";

constexpr char kInstalled[] = "\nHVN Client Installed.\n";
constexpr char kWebConfigured[] = "\nHVN/Web Client Configured.\n";
constexpr char kUninstalled[] = "\nHVN Client Uninstalled.\n";

// The two banner lines, an empty line, the title line and an empty line.
void WriteBanner(ConsoleWriter& out);
// The syntax, the examples and the note on the client files.
void WriteUsage(ConsoleWriter& out);
// What a failed parse prints: banner, usage and the parse message (when there is one).
void WriteParseFailure(const CommandLine& command_line, ConsoleWriter& out);
// `text`, `detail` (may be nullptr) and the abort text.
void WriteAbort(ConsoleWriter& out, const char* text, const char* detail = nullptr);

}  // namespace hvn::dravin

#endif  // HVN_SETUP_DRAVIN_INSTALLER_TEXTS_H_
