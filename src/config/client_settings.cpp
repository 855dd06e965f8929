#include "config/client_settings.h"

#include <cstring>
#include <utility>

#include "config/registry_value.h"
#include "platform/heap.h"

namespace hvn {
namespace {

enum class SettingType : uint8_t {
  kNumber,       // uint32_t, from a 4-byte REG_DWORD only
  kMultiString,  // char[limit], taken only when it ends with an empty string inside the field
  kFolderList,   // char[limit], only from a REG_MULTI_SZ; one too long admits nothing
};

// One registry value of the settings: its name (also the field's name), type, field size,
// default and where it lives in the record.
struct SettingValue {
  const char* name;
  SettingType type;
  uint32_t limit;  // bytes of the field
  uint32_t default_value;
  void* (*member)(ClientSettings& settings);
};

template <auto Field>
void* Member(ClientSettings& settings) {
  return &(settings.*Field);
}

// In the order they are read. The server list is not a fixed field: ReadServerList reads it.
constexpr SettingValue kSettingValues[] = {
    {"WaitSleepTime", SettingType::kNumber, 4, 100, &Member<&ClientSettings::WaitSleepTime>},
    {"DisplayPolicyMessage", SettingType::kNumber, 4, 1,
     &Member<&ClientSettings::DisplayPolicyMessage>},
    {"WaitParams", SettingType::kMultiString, ClientSettings::kWaitParamsSize, 0,
     &Member<&ClientSettings::WaitParams>},
    {"HVS_Port", SettingType::kNumber, 4, 1333, &Member<&ClientSettings::HVS_Port>},
    {"Timeout", SettingType::kNumber, 4, 2000, &Member<&ClientSettings::Timeout>},
    {"Retries", SettingType::kNumber, 4, 2, &Member<&ClientSettings::Retries>},
    {"StrictReplySender", SettingType::kNumber, 4, 0, &Member<&ClientSettings::StrictReplySender>},
    {"DictionaryPaths", SettingType::kFolderList, ClientSettings::kDictionaryPathsSize, 0,
     &Member<&ClientSettings::DictionaryPaths>},
    {"EventLogLevel", SettingType::kNumber, 4, 1, &Member<&ClientSettings::EventLogLevel>},
};

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
  if (ReadRegistryValue(key, "HVServers", list.MutableData(), read) != 0 || read < 2) {
    return ServerListRef();
  }
  // A value that shrank meanwhile: keep exactly the bytes read.
  if (read != size) return ServerListRef::Create(list.Get(), read);
  return list;
}

// Whatever the value did not cover is zero, so a value up to limit - 2 bytes always ends as a
// multi-string; a longer one must bring its own final empty string, else the field stays
// empty.
void ReadMultiString(HKEY key, const char* name, char* field, uint32_t limit) {
  uint32_t size = limit;
  if (ReadRegistryValue(key, name, field, size) != 0) return;
  std::memset(field + size, 0, limit - size);
  if (field[limit - 2] != '\0' || field[limit - 1] != '\0') std::memset(field, 0, limit);
}

// A folder list limits what the client opens, so a value of the right type that cannot be
// taken whole limits everything rather than nothing.
void ReadFolderList(HKEY key, const char* name, char* field, uint32_t limit) {
  uint32_t type = 0;
  if (QueryRegistryValueInfo(key, name, &type, nullptr) != 0 || type != REG_MULTI_SZ) return;
  uint32_t size = limit;
  uint32_t rc = ReadRegistryValue(key, name, field, size);
  if (rc == ERROR_FILE_NOT_FOUND) return;  // deleted meanwhile: no list
  if (rc == 0) {
    std::memset(field + size, 0, limit - size);
    if (field[limit - 2] == '\0' && field[limit - 1] == '\0') return;
  }
  std::memset(field, 0, limit);
  std::memcpy(field, kUnusableFolderList, sizeof(kUnusableFolderList));
}

}  // namespace

ClientSettings::ClientSettings() {
  ClientSettings::SetDefaults();
}

ClientSettings::~ClientSettings() = default;

uint32_t ClientSettings::SetDefaults() {
  SetServers(ServerListRef());
  for (const SettingValue& value : kSettingValues) {
    void* field = value.member(*this);
    if (value.type == SettingType::kNumber) {
      *static_cast<uint32_t*>(field) = value.default_value;
    } else {
      std::memset(field, 0, value.limit);
    }
  }
  return 0;
}

uint32_t ClientSettings::ReadValues(HKEY key) {
  // Failures are not reported: a value that is missing or unusable keeps its default.
  SetServers(ReadServerList(key));
  for (const SettingValue& value : kSettingValues) {
    void* field = value.member(*this);
    if (value.type == SettingType::kNumber) {
      ReadRegistryNumber(key, value.name, *static_cast<uint32_t*>(field));
    } else if (value.type == SettingType::kFolderList) {
      ReadFolderList(key, value.name, static_cast<char*>(field), value.limit);
    } else {
      ReadMultiString(key, value.name, static_cast<char*>(field), value.limit);
    }
  }
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
