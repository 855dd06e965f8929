#include "config/client_settings.h"

#include <cstring>
#include <utility>

#include "config/registry_value.h"
#include "platform/heap.h"

namespace hvn {
namespace {

// The server list: any value of 2 bytes or more, copied as stored. Empty when the value is
// missing, shorter, or changed size between the two queries.
ServerListRef ReadServerList(HKEY key) {
  uint32_t size = 0;
  if (QueryRegistryValueInfo(key, "HVServers", nullptr, &size) != 0 || size < 2) {
    return ServerListRef();
  }
  ServerListRef list = ServerListRef::Allocate(size);
  if (!list) return ServerListRef();
  uint32_t read = size;
  uint32_t ignored = 0;
  if (ReadRegistryValue(key, "HVServers", list.MutableData(), read, ignored) != 0 || read < 2) {
    return ServerListRef();
  }
  // A value that shrank meanwhile: keep exactly the bytes read.
  if (read != size) return ServerListRef::Create(list.Get(), read);
  return list;
}

}  // namespace

ClientSettings::ClientSettings() {
  ClientSettings::SetDefaults();
}

ClientSettings::~ClientSettings() = default;

uint32_t ClientSettings::SetDefaults() {
  SetServers(ServerListRef());
  WaitSleepTime = 100;
  DisplayPolicyMessage = 1;
  std::memset(WaitParams, 0, sizeof(WaitParams));
  HVS_Port = 1333;
  Timeout = 2000;
  Retries = 2;
  return 0;
}

uint32_t ClientSettings::ReadValues(HKEY key) {
  SetServers(ReadServerList(key));
  uint32_t first_error = 0;
  ReadRegistryNumber(key, "WaitSleepTime", WaitSleepTime, first_error);
  ReadRegistryNumber(key, "DisplayPolicyMessage", DisplayPolicyMessage, first_error);
  uint32_t size = sizeof(WaitParams);
  if (ReadRegistryValue(key, "WaitParams", WaitParams, size, first_error) == 0) {
    // Whatever the value did not cover is zero, so a value up to 4094 bytes always ends as
    // a multi-string; a longer one must bring its own final empty string.
    std::memset(WaitParams + size, 0, sizeof(WaitParams) - size);
    if (WaitParams[kWaitParamsSize - 2] != '\0' || WaitParams[kWaitParamsSize - 1] != '\0') {
      std::memset(WaitParams, 0, sizeof(WaitParams));
    }
  }
  ReadRegistryNumber(key, "HVS_Port", HVS_Port, first_error);
  ReadRegistryNumber(key, "Timeout", Timeout, first_error);
  ReadRegistryNumber(key, "Retries", Retries, first_error);
  return 0;
}

uint32_t ClientSettings::WriteValues(HKEY) {
  return ERROR_NOT_SUPPORTED;
}

ServerListRef ClientSettings::Servers() const {
  platform::ScopedCriticalSection hold(servers_lock_);
  return servers_;
}

void ClientSettings::SetServers(ServerListRef list) {
  {
    platform::ScopedCriticalSection hold(servers_lock_);
    std::swap(servers_, list);
  }
  // `list` now holds the previous list; its reference is dropped here, outside the lock.
}

}  // namespace hvn
