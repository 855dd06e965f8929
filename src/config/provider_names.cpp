#include "config/provider_names.h"

#include <cstring>

#include "config/logon_provider_settings.h"
#include "platform/ansi_text.h"
#include "platform/ascii_text.h"

namespace hvn {
namespace {

bool EqualsNoCase(const char* name, const char* expected) {
  return name != nullptr && platform::AsciiEqualIgnoreCase(name, std::strlen(name), expected);
}

}  // namespace

bool ContainsNoCase(const char* text, const char* part) {
  if (text == nullptr) text = "";
  if (part == nullptr) part = "";
  return platform::AsciiContainsIgnoreCase(text, std::strlen(text), part);
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
  if (name == nullptr) return false;
  for (size_t at = 0; name[at] != '\0';) {
    if (name[at] == '\\' || name[at] == '/' || name[at] == ':') return true;
    bool lead = platform::IsAnsiLeadByte(static_cast<unsigned char>(name[at]));
    at += (lead && name[at + 1] != '\0') ? 2 : 1;
  }
  return false;
}

}  // namespace hvn
