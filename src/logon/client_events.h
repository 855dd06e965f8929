// The NT client's record for the administrator: events in the Application log under the source
// "Halvern Client" (messages in this library's message table, event_messages.mc). A change the
// check lets through unchecked is a warning that says why, a fault a crash guard caught an error,
// a refused change an information event. "EventLogLevel" chooses what is written: 0 nothing, 1
// (the default, also before the settings are first read) warnings and errors, 2 or more also
// refusals. At most one event of each kind is written a minute (EventFloodGate); the next one
// says how many were held back. Writing is best effort: without an event log (the service
// stopped or not yet started, no permission) nothing is written and nothing else changes.
// Windows build.
#ifndef HVN_LOGON_CLIENT_EVENTS_H_
#define HVN_LOGON_CLIENT_EVENTS_H_

#include <cstdint>

#include "dialogs/check_report.h"

namespace hvn {

// Writes the event of a check's finding: user, domain and the finding's detail. The dialogs'
// report function (PasswordDialogState::Report) of HVNc32.
void ReportCheckFinding(const CheckReport& report);

// Writes the error event of a fault a crash guard caught: the exception code ("0xC0000005")
// and `place`, the entry point or handler it was caught in (ASCII).
void ReportCaughtFault(uint32_t exception_code, const char* place);

}  // namespace hvn

#endif  // HVN_LOGON_CLIENT_EVENTS_H_
