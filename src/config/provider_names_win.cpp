#include "config/logon_provider_settings.h"
#include "config/provider_names.h"
#include "config/system_files.h"
#include "platform/ansi_text.h"
#include "platform/win.h"

namespace hvn {

bool IsRestorableProvider(const char* name) {
  if (name == nullptr || name[0] == '\0' || IsClientProviderName(name)) return false;
  if (platform::BoundedLength(name, kProviderNameSize) == kProviderNameSize) return false;
  if (ProviderNameHasPath(name)) return FileExists(name);
  // A bare name whose path in the system directory would not fit names no file we have.
  char path[MAX_PATH];
  return SystemDirectoryPath(name, path, sizeof(path)) && FileExists(path);
}

}  // namespace hvn
