// The client's settings, read from HKEY_LOCAL_MACHINE "SOFTWARE\Norvex\Halvern Client\3.5".
#ifndef HVN_CONFIG_CLIENT_SETTINGS_H_
#define HVN_CONFIG_CLIENT_SETTINGS_H_

#include <cstddef>
#include <cstdint>

#include "config/registry_record.h"
#include "config/server_list_ref.h"
#include "platform/critical_section.h"

namespace hvn {

constexpr char kClientSettingsKey[] = "SOFTWARE\\Norvex\\Halvern Client\\3.5";

// Each client holds one in static storage. Load (from RegistryRecord) runs on the thread that
// reloads the settings; other threads read the scalar fields (aligned 32-bit values, so they
// see the old or the new value) and take the server list through Servers(), which stays
// valid across reloads.
// What DictionaryPaths holds when its value is a multi-string too long for the field: one
// entry that is no folder, so no dictionary is opened.
constexpr char kUnusableFolderList[] = "<DictionaryPaths too long>";

class ClientSettings : public RegistryRecord {
 public:
  // Every field at its default; no server list.
  ClientSettings();
  ~ClientSettings() override;
  ClientSettings(const ClientSettings&) = delete;
  ClientSettings& operator=(const ClientSettings&) = delete;

  static constexpr size_t kWaitParamsSize = 4096;       // bytes of the WaitParams field
  static constexpr size_t kDictionaryPathsSize = 4096;  // bytes of the DictionaryPaths field

  // Drops the server list (readers holding it keep their copy) and puts every other field to
  // its default: WaitSleepTime 100, DisplayPolicyMessage 1, WaitParams all zero, HVS_Port
  // 1333, Timeout 2000, Retries 2, StrictReplySender 0, DictionaryPaths all zero (no list),
  // EventLogLevel 1. Returns 0.
  uint32_t SetDefaults() override;

  // Reads "HVServers" (any type; a value of 2 bytes or more becomes the server list, with
  // two zero bytes added after it), then "WaitSleepTime", "DisplayPolicyMessage",
  // "WaitParams", "HVS_Port", "Timeout", "Retries", "StrictReplySender", "DictionaryPaths",
  // "EventLogLevel". A
  // value that is missing or unusable leaves its field as it was (the default after Load):
  // numbers only from a 4-byte REG_DWORD; WaitParams only when it ends with an empty string
  // inside its 4096 bytes; DictionaryPaths only from a REG_MULTI_SZ, and one that does not end
  // inside its 4096 bytes is kept as kUnusableFolderList, which admits no dictionary (the
  // administrator asked for a limit: a list cut short must not lift it).
  // Returns 0; failures are not reported.
  uint32_t ReadValues(HKEY key) override;

  // The settings are never written by the clients: returns 50 and writes nothing.
  uint32_t WriteValues(HKEY key) override;

  // The current server list, kept alive for as long as the caller holds the reference, even
  // if a reload replaces or drops it meanwhile. Get() is nullptr when there is none.
  ServerListRef Servers() const;

  // Replaces the server list (for callers that configure the record without the registry).
  void SetServers(ServerListRef list);

  uint32_t WaitSleepTime;            // ms between two scans of the dialog watcher
  uint32_t DisplayPolicyMessage;     // non-zero: show the policy message when a dialog opens
  char WaitParams[kWaitParamsSize];  // multi-string of triples title, control text, kind
  uint32_t HVS_Port;                 // UDP port of the policy servers
  uint32_t Timeout;                  // ms to wait for one reply
  uint32_t Retries;                  // retry count of the query transport
  uint32_t StrictReplySender;        // 1: a reply counts only from the address and port asked
  char DictionaryPaths[kDictionaryPathsSize];  // folders dictionaries may be opened in
  uint32_t EventLogLevel;  // events written: 0 none, 1 warnings and errors, 2 also refusals

 private:
  mutable platform::CriticalSection servers_lock_;  // guards servers_ itself, not the list
  ServerListRef servers_;
};

}  // namespace hvn

#endif  // HVN_CONFIG_CLIENT_SETTINGS_H_
