// The console as the tool uses it: whether a stream is a terminal, a secret read without echo,
// and texts in the console's encoding (UTF-8 natively, the ANSI code page on Windows).
#ifndef HVN_TOOLS_HVNPOLICY_BASE_TERMINAL_H_
#define HVN_TOOLS_HVNPOLICY_BASE_TERMINAL_H_

#include <cstddef>
#include <cstdio>
#include <string>

namespace hvn::tool {

constexpr size_t kSecretCapacity = 256;  // characters of a secret, terminator included

bool IsTerminal(FILE* stream);

// Reads one line into `out` (at most kSecretCapacity - 1 characters, always terminated; a
// longer line is cut, which the check's own 127-character limit makes harmless): from the
// terminal without echo after printing `prompt` on standard error, or from standard input
// when that is not a terminal (UTF-8, else the ANSI code page). Returns false at the end of
// the input. Every intermediate buffer is cleared before returning.
bool ReadSecret(const char* prompt, char16_t (&out)[kSecretCapacity], size_t& length);

// Decodes one input line's bytes (UTF-8 when well-formed, else the ANSI code page) into `out`,
// cut as ReadSecret says. Shared by both platforms' ReadSecret.
void DecodeSecretLine(const char* bytes, size_t length, char16_t (&out)[kSecretCapacity],
                      size_t& out_length);

// Reads one console line through `read` (which fills at most `capacity` units of `buffer` and
// returns how many, 0 at the end of the input or on an error), as many times as the line
// needs: at most kSecretCapacity - 1 units go to `out` (always terminated), and the rest of a
// longer line is read to its end and dropped, so that its tail never reaches the next prompt
// or the shell. The line ends at CR or LF; reading stops after LF. Returns false when nothing
// was read. Every buffer is cleared before returning.
bool ReadLineInChunks(size_t (*read)(void* context, char16_t* buffer, size_t capacity),
                      void* context, char16_t (&out)[kSecretCapacity], size_t& length);

// A text for the console.
std::string ConsoleText(const std::u16string& text);

// Writes `text` (`length` units, at most 1,024) to `stream` in the console's encoding through
// a buffer on the stack that is cleared afterwards: for texts that hold part of a password.
void WriteSecretText(FILE* stream, const char16_t* text, size_t length);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_BASE_TERMINAL_H_
