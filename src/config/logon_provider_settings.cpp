#include "config/logon_provider_settings.h"

#include <cstring>

#include "config/registry_value.h"
#include "platform/ansi_text.h"

namespace hvn {

const LogonProviderSettings::ValueField LogonProviderSettings::kValueFields[2] = {
    {"GinaDLL", &LogonProviderSettings::GinaDLL},
    {"REM_GinaDLL", &LogonProviderSettings::REM_GinaDLL},
};

uint32_t LogonProviderSettings::SetDefaults() {
  for (const ValueField& value : kValueFields) {
    char* field = this->*value.field;
    std::memset(field, 0, kProviderNameSize);
    std::memcpy(field, kStandardProviderName, sizeof(kStandardProviderName));
  }
  return 0;
}

uint32_t LogonProviderSettings::ReadValues(HKEY key) {
  uint32_t first_error = 0;
  for (const ValueField& value : kValueFields) {
    ReadRegistryText(key, value.name, this->*value.field, kProviderNameSize, first_error);
  }
  return first_error;
}

uint32_t LogonProviderSettings::WriteValues(HKEY key) {
  uint32_t first_error = 0;
  for (const ValueField& value : kValueFields) {
    const char* field = this->*value.field;
    size_t length = platform::BoundedLength(field, kProviderNameSize - 1);
    if (length == 0) {
      // An absent value means the default to every reader; deleting one that is already
      // gone is no error.
      ::RegDeleteValueA(key, value.name);
      continue;
    }
    // A field without its terminator would store bytes that are not the name: refused.
    if (field[length] != '\0') {
      KeepFirstError(ERROR_INVALID_PARAMETER, first_error);
      continue;
    }
    WriteRegistryValue(key, value.name, REG_SZ, field, static_cast<uint32_t>(length + 1),
                       first_error);
  }
  ::RegFlushKey(key);
  return first_error;
}

}  // namespace hvn
