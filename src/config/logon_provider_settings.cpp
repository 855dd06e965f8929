#include "config/logon_provider_settings.h"

#include <cstring>

#include "config/provider_names.h"
#include "config/registry_value.h"
#include "platform/ansi_text.h"

namespace hvn {
namespace {

// One registry value of the record: its name (also the field's name), its default and the
// field that holds it.
struct ProviderValue {
  const char* name;
  const char* default_text;
  char (LogonProviderSettings::*field)[kProviderNameSize];
};

// In the order they are read: the head, then the saved provider.
constexpr ProviderValue kProviderValues[] = {
    {"GinaDLL", kStandardProviderName, &LogonProviderSettings::GinaDLL},
    {"REM_GinaDLL", kStandardProviderName, &LogonProviderSettings::REM_GinaDLL},
};

// Stores the field of `value` as REG_SZ with its terminator, or deletes the value when the
// field is empty. Returns 0 or the failure.
uint32_t WriteValue(HKEY key, const LogonProviderSettings& record, const ProviderValue& value) {
  const char* field = record.*value.field;
  size_t length = platform::BoundedLength(field, kProviderNameSize - 1);
  if (length == 0) {
    // An absent value means the default to every reader; one that is already gone is no error.
    LONG rc = ::RegDeleteValueA(key, value.name);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? 0 : static_cast<uint32_t>(rc);
  }
  // A field without its terminator would store bytes that are not the name: refused.
  if (field[length] != '\0') return ERROR_INVALID_PARAMETER;
  uint32_t ignored = 0;
  return WriteRegistryValue(key, value.name, REG_SZ, field, static_cast<uint32_t>(length + 1),
                            ignored);
}

}  // namespace

uint32_t LogonProviderSettings::SetDefaults() {
  for (const ProviderValue& value : kProviderValues) {
    char* field = this->*value.field;
    std::memset(field, 0, kProviderNameSize);
    std::memcpy(field, value.default_text,
                platform::BoundedLength(value.default_text, kProviderNameSize - 1));
  }
  return 0;
}

uint32_t LogonProviderSettings::ReadValues(HKEY key) {
  uint32_t first_error = 0;
  for (const ProviderValue& value : kProviderValues) {
    ReadRegistryText(key, value.name, this->*value.field, kProviderNameSize, first_error);
  }
  return first_error;
}

uint32_t LogonProviderSettings::WriteValues(HKEY key) {
  // The client never stands at the head in front of a successor that is not saved: a head that
  // names the client is written after the saved value, any other head before it. The second
  // value waits for the first, so a failure leaves the chain as it was or one step on, and
  // running the same operation again completes it.
  const bool client_at_head = IsClientProviderName(GinaDLL);
  const ProviderValue& first = kProviderValues[client_at_head ? 1 : 0];
  const ProviderValue& second = kProviderValues[client_at_head ? 0 : 1];
  uint32_t rc = WriteValue(key, *this, first);
  if (rc == 0) rc = WriteValue(key, *this, second);
  ::RegFlushKey(key);
  return rc;
}

}  // namespace hvn
