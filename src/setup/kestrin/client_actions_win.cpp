#include "config/system_files.h"
#include "platform/platform_id.h"
#include "platform/win.h"
#include "setup/client_config_file.h"
#include "setup/client_settings_import.h"
#include "setup/earlier_version_cleanup.h"
#include "setup/event_source_registration.h"
#include "setup/kestrin/client_actions.h"
#include "setup/logon_chain.h"
#include "setup/run_services.h"

namespace hvn {
namespace {

constexpr char kConfigFileName[] = "HVNCLNT.CFG";
constexpr char kClientLibraryNT[] = "HVNC32.DLL";
constexpr char kStartupProgram9x[] = "HVNC9X.EXE";
constexpr char kClientLibrary9x[] = "HVNC9X.DLL";

constexpr ActionOutcome kDone{0, 0};
constexpr ActionOutcome Refuse(uint32_t message) {
  return {message, kSetupFailure};
}
// A directory the system cannot tell us, or a path that would not fit: nothing to report
// from the error table, the action just fails.
constexpr ActionOutcome kNoPath{0, kSetupFailure};

bool Is9x() {
  return GetPlatformId() == kPlatformWindows9x;
}

ActionOutcome ActivationFailure(ActivationResult result) {
  return Refuse(result == ActivationResult::kReadFailure ? 25070 : 25050);
}

}  // namespace

ActionOutcome ActivateClientSteps() {
  char config_path[MAX_PATH] = {};
  if (!WindowsDirectoryPath(kConfigFileName, config_path, sizeof(config_path))) return kNoPath;
  if (!FileExists(config_path)) return Refuse(25030);

  const bool nt = !Is9x();
  char program_path[MAX_PATH] = {};
  if (nt) {
    char library_path[MAX_PATH] = {};
    if (!SystemDirectoryPath(kClientLibraryNT, library_path, sizeof(library_path))) {
      return kNoPath;
    }
    if (!FileExists(library_path)) return Refuse(25020);
  } else {
    char library_path[MAX_PATH] = {};
    if (!SystemDirectoryPath(kStartupProgram9x, program_path, sizeof(program_path)) ||
        !SystemDirectoryPath(kClientLibrary9x, library_path, sizeof(library_path))) {
      return kNoPath;
    }
    if (!FileExists(program_path)) return Refuse(25024);
    if (!FileExists(library_path)) return Refuse(25025);
  }

  ClientConfigFile config = {};
  if (ReadClientConfigFile(config_path, config) != 0) return Refuse(25040);
  if (config.ServerListLength == 0) return Refuse(25060);

  RemoveEarlierVersionSettings();
  if (WriteClientSettings(config) != 0) return Refuse(25050);

  if (nt) {
    ActivationResult chain = ActivateLogonChain();
    if (!Succeeded(chain)) return ActivationFailure(chain);
    RegisterClientEventSource();
  } else {
    RegisterRunServicesEntry(program_path);
  }
  // Only a complete activation consumes the file; after a failure it stays for another try.
  ::DeleteFileA(config_path);
  return kDone;
}

ActionOutcome DeactivateClientSteps() {
  if (Is9x()) {
    RemoveRunServicesEntry();
  } else {
    ActivationResult chain = DeactivateLogonChain();
    if (!Succeeded(chain)) return ActivationFailure(chain);
    RemoveClientEventSource();
  }
  ClearClientSettings();
  RemoveEarlierVersionKey();
  return kDone;
}

ActionOutcome RecursiveLoadSteps() {
  if (Is9x() || !RecursiveLoadTest()) return kDone;
  return Refuse(25080);
}

ActionOutcome DeactivationSafetySteps() {
  if (Is9x() || IsDeactivationSafe()) return kDone;
  return Refuse(25090);
}

}  // namespace hvn
