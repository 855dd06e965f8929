// The registration of the NT client's event source (config/event_source.h): the key "Halvern
// Client" under the Application log's key, with "EventMessageFile" (REG_EXPAND_SZ, HVNc32.dll
// in the system directory, whose message table holds the events' texts) and "TypesSupported"
// (errors, warnings, information). Both installers write it when they activate the client on
// NT and remove it when they deactivate it. Failures are ignored: they never fail an activation
// or deactivation, and the client writes its events all the same; without the key the Event
// Viewer shows an event's insertion strings but not its text. Windows build.
#ifndef HVN_SETUP_EVENT_SOURCE_REGISTRATION_H_
#define HVN_SETUP_EVENT_SOURCE_REGISTRATION_H_

#include "platform/registry.h"

namespace hvn {

// Creates the source's key (and the keys above it) and sets both values.
void RegisterClientEventSource();
void RegisterClientEventSource(HKEY root);

// Deletes the source's key with its values.
void RemoveClientEventSource();
void RemoveClientEventSource(HKEY root);

}  // namespace hvn

#endif  // HVN_SETUP_EVENT_SOURCE_REGISTRATION_H_
