#include "config/provider_names.h"

#include <cstring>

#include "config/logon_provider_settings.h"
#include "platform/ansi_text.h"
#include "platform/ascii_text.h"

namespace hvn {
namespace {

// The bytes of `name` up to its terminator, never beyond the 260 bytes of a chain field.
size_t NameLength(const char* name) {
  return name != nullptr ? platform::BoundedLength(name, kProviderNameSize) : 0;
}

bool EqualsNoCase(const char* name, const char* expected) {
  return name != nullptr && platform::AsciiEqualIgnoreCase(name, NameLength(name), expected);
}

}  // namespace

bool ContainsNoCase(const char* text, const char* part) {
  return platform::AsciiContainsIgnoreCase(text != nullptr ? text : "", NameLength(text),
                                           part != nullptr ? part : "");
}

bool IsDefaultProviderName(const char* name) {
  return name != nullptr && std::strcmp(name, kStandardProviderName) == 0;
}

bool IsClientProviderName(const char* name) {
  return ContainsNoCase(name, "HVNC32");
}

bool IsHarmlessHeadName(const char* name) {
  return EqualsNoCase(name, kStandardProviderName) || EqualsNoCase(name, kClientProviderName);
}

bool ProviderNameHasPath(const char* name) {
  const size_t length = NameLength(name);
  for (size_t at = 0; at < length;) {
    if (name[at] == '\\' || name[at] == '/' || name[at] == ':') return true;
    bool lead = platform::IsAnsiLeadByte(static_cast<unsigned char>(name[at]));
    at += (lead && at + 1 < length) ? 2 : 1;
  }
  return false;
}

}  // namespace hvn
