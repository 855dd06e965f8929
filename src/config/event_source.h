// The event source under which the NT client writes to the Application log, as the installers
// register it and HVNc32 names it.
#ifndef HVN_CONFIG_EVENT_SOURCE_H_
#define HVN_CONFIG_EVENT_SOURCE_H_

#include <cstdint>

namespace hvn {

constexpr char kEventSourceName[] = "Halvern Client";
constexpr char16_t kEventSourceNameW[] = u"Halvern Client";
// The source's key under HKEY_LOCAL_MACHINE.
constexpr char kEventSourceKeyPath[] =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Halvern Client";
// Where the Event Viewer finds the texts of the events (the message table of HVNc32.dll, in the
// system directory), stored as REG_EXPAND_SZ.
constexpr char kEventMessageFile[] = "%SystemRoot%\\System32\\HVNc32.dll";
// Error, warning and information events.
constexpr uint32_t kEventTypesSupported = 0x0007;

}  // namespace hvn

#endif  // HVN_CONFIG_EVENT_SOURCE_H_
