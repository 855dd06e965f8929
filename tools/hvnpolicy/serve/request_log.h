// The server's log: one line per request, the request's characters escaped so that nothing
// a sender puts in a datagram can act on the terminal or the viewer that shows the log.
#ifndef HVN_TOOLS_HVNPOLICY_SERVE_REQUEST_LOG_H_
#define HVN_TOOLS_HVNPOLICY_SERVE_REQUEST_LOG_H_

#include <cstddef>
#include <cstdio>
#include <string>

namespace hvn::tool {

// The request's characters as a log shows them: "\0" for each NUL, "\a", "\t", "\r", "\n",
// "\\"; "\uXXXX" for the other C0 and the C1 controls (U+0000-U+001F, U+007F-U+009F), the
// bidirectional formatting characters (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069),
// the line and paragraph separators (U+2028, U+2029) and unpaired surrogates; UTF-8 otherwise;
// "\xHH" for a dangling byte. At most `max_characters` characters are shown, then "...".
std::string EscapeDatagram(const char* data, size_t size, size_t max_characters = 600);

// Writes "<UTC time> <text>" as one line to `log` and flushes it.
void WriteLogLine(FILE* log, const std::string& text);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_SERVE_REQUEST_LOG_H_
