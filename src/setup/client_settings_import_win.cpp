#include <cstring>

#include "config/client_settings.h"
#include "config/registry_value.h"
#include "platform/ansi_text.h"
#include "setup/client_settings_import.h"

namespace hvn {
namespace {

// A server list fit to store: its entries end where ServerListLength says, with the NUL of
// the last entry and the final empty string inside the field.
bool IsWholeServerList(const ClientConfigFile& config) {
  uint32_t length = config.ServerListLength;
  return length >= 2 && length < kConfigServerListSize && config.ServerList[length - 1] == '\0' &&
         config.ServerList[length] == '\0';
}

// Sets or deletes one number value. Returns false when a set failed.
bool WriteNumberText(HKEY key, const char* name, const char (&text)[kConfigTextSize]) {
  size_t length = platform::BoundedLength(text, kConfigTextSize);
  if (length == kConfigTextSize) return false;  // not terminated: not a text
  if (length == 0) {
    // An absent value is no failure: the client then uses its default.
    ::RegDeleteValueA(key, name);
    return true;
  }
  uint32_t number = ConfigTextToNumber(text);
  uint32_t ignored = 0;
  return WriteRegistryValue(key, name, REG_DWORD, &number, sizeof(number), ignored) == 0;
}

}  // namespace

uint32_t WriteClientSettings(HKEY root, const ClientConfigFile& config) {
  platform::UniqueKey key;
  if (::RegCreateKeyExA(root, kClientSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
    return kSetupFailure;
  }
  // Every step is attempted even after a failure; nothing is rolled back.
  bool all_set = true;
  if (config.ServerList[0] != '\0') {
    uint32_t ignored = 0;
    all_set = IsWholeServerList(config) &&
              WriteRegistryValue(key.Get(), "HVServers", REG_MULTI_SZ, config.ServerList,
                                 config.ServerListLength + 1, ignored) == 0;
  }
  all_set &= WriteNumberText(key.Get(), "HVS_Port", config.PortText);
  all_set &= WriteNumberText(key.Get(), "Timeout", config.TimeoutText);
  all_set &= WriteNumberText(key.Get(), "Retries", config.RetriesText);
  return all_set ? 0 : kSetupFailure;
}

uint32_t WriteClientSettings(const ClientConfigFile& config) {
  return WriteClientSettings(HKEY_LOCAL_MACHINE, config);
}

uint32_t ClearClientSettings(HKEY root) {
  static const ClientConfigFile kEmpty = {};
  return WriteClientSettings(root, kEmpty);
}

uint32_t ClearClientSettings() {
  return ClearClientSettings(HKEY_LOCAL_MACHINE);
}

}  // namespace hvn
