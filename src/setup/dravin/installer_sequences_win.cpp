#include <cstdio>
#include <cstring>

#include "config/logon_provider_settings.h"
#include "config/system_files.h"
#include "platform/platform_id.h"
#include "platform/win.h"
#include "setup/client_config_file.h"
#include "setup/client_settings_import.h"
#include "setup/dravin/file_version.h"
#include "setup/dravin/installer_sequences.h"
#include "setup/dravin/installer_texts.h"
#include "setup/earlier_version_cleanup.h"
#include "setup/event_source_registration.h"
#include "setup/logon_chain.h"
#include "setup/run_services.h"

namespace hvn::dravin {
namespace {

constexpr char kExpectedVersion[] = "3, 5, 0, 1";
constexpr uint32_t kVersionBufferSize = 128;
constexpr char kClientLibraryNT[] = "HVNc32.dll";
constexpr char kClientLibrary9x[] = "HVNc9x.dll";
constexpr size_t kPathSize = MAX_PATH;

bool IsWindows9x() {
  return GetPlatformId() == kPlatformWindows9x;
}

uint32_t Abort(ConsoleWriter& out, const char* text, const char* detail = nullptr) {
  WriteAbort(out, text, detail);
  return kInstallerFailure;
}

// A file of the client in the system directory: its full path and the directory alone.
struct SystemFile {
  char path[kPathSize];
  char directory[kPathSize];
};

// Forms the path of `name` in the system directory. A path that cannot be formed whole (no
// system directory, or too long) is refused with a text of its own: a cut path would name
// another file.
bool LocateSystemFile(const char* name, SystemFile* file, ConsoleWriter& out) {
  if (!SystemDirectoryPath(name, file->path, sizeof(file->path))) {
    out.Write(kCannotFormPath);
    Abort(out, name, kCannotFormPathEnd);
    return false;
  }
  // The path is the directory, one backslash and `name`.
  const size_t directory_length = std::strlen(file->path) - std::strlen(name) - 1;
  std::memcpy(file->directory, file->path, directory_length);
  file->directory[directory_length] = '\0';
  return true;
}

bool HasExpectedVersion(const char* library_path) {
  char version[kVersionBufferSize];
  uint32_t length = 0;
  return ReadFileVersionString(library_path, kFileVersionQuery, version, sizeof(version),
                               &length) == 0 &&
         std::strcmp(version, kExpectedVersion) == 0;
}

// Reads the chain's record as the activation and deactivation will: an absent key or value
// is no failure, any other error is.
bool CanReadLogonChain() {
  LogonProviderSettings chain;
  const uint32_t result = chain.Load(HKEY_LOCAL_MACHINE, kWinlogonKeyPath);
  return result == 0 || result == ERROR_FILE_NOT_FOUND;
}

// "Cannot read client configuration file.", with a second line naming the limit when the file
// was refused for exceeding one.
uint32_t AbortOnConfigFile(const ConfigFileStatus& status, ConsoleWriter& out) {
  char line_too_long[sizeof(kLineTooLongFormat) + 16];
  const char* detail = nullptr;
  switch (status.problem) {
    case ConfigFileProblem::kServerListFull:
      detail = kServerListTooLong;
      break;
    case ConfigFileProblem::kValueTooLong:
      detail = kConfigValueTooLong;
      break;
    case ConfigFileProblem::kLineTooLong:
      std::snprintf(line_too_long, sizeof(line_too_long), kLineTooLongFormat,
                    static_cast<unsigned long>(status.line));
      detail = line_too_long;
      break;
    case ConfigFileProblem::kNone:
    case ConfigFileProblem::kCannotRead:
      break;
  }
  return Abort(out, kCannotReadConfigFile, detail);
}

// 0 when the chain change was made or was not needed; otherwise the abort that names what
// failed: reading the chain or writing it.
uint32_t AbortOnChainResult(ActivationResult result, ConsoleWriter& out) {
  switch (result) {
    case ActivationResult::kSuccess:
    case ActivationResult::kAlreadyActive:
      return 0;
    case ActivationResult::kReadFailure:
      return Abort(out, kCannotReadWinlogon);
    case ActivationResult::kWriteFailure:
      break;
  }
  return Abort(out, kCannotWriteRegistry);
}

// Puts the client at the head of the logon-provider chain, after the chain has been read and
// found safe to change, and registers its event source (a failure there fails nothing).
uint32_t ActivateClientOnNT(ConsoleWriter& out) {
  if (!CanReadLogonChain()) return Abort(out, kCannotReadWinlogon);
  if (RecursiveLoadTest()) {
    out.Write(kReactivationUnsafe);
    return Abort(out, kReverseOrder);
  }
  if (uint32_t abort = AbortOnChainResult(ActivateLogonChain(), out); abort != 0) return abort;
  RegisterClientEventSource();
  return 0;
}

// Imports the configuration file; in full mode also removes earlier-version leftovers and
// activates the client (`startup_program`: the 9x start-up program's path).
uint32_t RunInstallSequence(const char* config_file, bool settings_only,
                            const char* startup_program, ConsoleWriter& out) {
  static ClientConfigFile config;  // over 4 KiB: kept off the stack
  std::memset(&config, 0, sizeof(config));
  ConfigFileStatus status;
  if (ReadClientConfigFile(config_file, config, &status) != 0) {
    return AbortOnConfigFile(status, out);
  }
  if (config.ServerListLength == 0) return Abort(out, kEmptyServerList);
  if (!settings_only) RemoveEarlierVersionSettings();
  if (WriteClientSettings(config) != 0) return Abort(out, kCannotWriteRegistry);
  if (settings_only) return 0;
  if (IsWindows9x()) {
    RegisterRunServicesEntry(startup_program);
    return 0;
  }
  return ActivateClientOnNT(out);
}

// Takes the client out of the head of the logon-provider chain, after the chain has been
// read and found safe to change, and removes its event source.
uint32_t DeactivateClientOnNT(ConsoleWriter& out) {
  if (!CanReadLogonChain()) return Abort(out, kCannotReadWinlogon);
  if (!IsDeactivationSafe()) return Abort(out, kDeactivationUnsafe);
  if (uint32_t abort = AbortOnChainResult(DeactivateLogonChain(), out); abort != 0) return abort;
  RemoveClientEventSource();
  return 0;
}

}  // namespace

uint32_t RunInstall(const CommandLine& command_line, ConsoleWriter& out) {
  const bool windows_9x = IsWindows9x();
  SystemFile library;
  if (!LocateSystemFile(windows_9x ? kClientLibrary9x : kClientLibraryNT, &library, out)) {
    return kInstallerFailure;
  }
  if (!FileExists(library.path)) return Abort(out, kClientLibraryNotFound, library.directory);
  if (!HasExpectedVersion(library.path)) return Abort(out, kInvalidVersion, library.path);

  SystemFile startup_program = {};
  if (windows_9x) {
    if (!LocateSystemFile(kStartupProgramName, &startup_program, out)) return kInstallerFailure;
    if (!FileExists(startup_program.path)) {
      return Abort(out, kStartupProgramNotFound, startup_program.directory);
    }
  }

  if (RunInstallSequence(command_line.config_file, false, startup_program.path, out) != 0) {
    return kInstallerFailure;
  }
  if (!command_line.quiet) out.Write(kInstalled);
  return 0;
}

uint32_t RunInstallWeb(const CommandLine& command_line, ConsoleWriter& out) {
  if (IsWindows9x()) return Abort(out, kWebOn9x);
  if (RunInstallSequence(command_line.config_file, true, nullptr, out) != 0) {
    return kInstallerFailure;
  }
  if (!command_line.quiet) out.Write(kWebConfigured);
  return 0;
}

uint32_t RunUninstall(const CommandLine& command_line, ConsoleWriter& out) {
  if (IsWindows9x()) {
    RemoveRunServicesEntry();
  } else if (DeactivateClientOnNT(out) != 0) {
    return kInstallerFailure;
  }
  ClearClientSettings();
  RemoveEarlierVersionKey();
  if (!command_line.quiet) out.Write(kUninstalled);
  return 0;
}

}  // namespace hvn::dravin
