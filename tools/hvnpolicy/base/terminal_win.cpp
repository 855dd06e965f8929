#include <io.h>

#include <cstring>

#include "base/terminal.h"
#include "base/utf8_text.h"
#include "platform/ansi_text.h"
#include "platform/secure_zero.h"
#include "platform/win.h"

namespace hvn::tool {
namespace {

static_assert(sizeof(wchar_t) == 2, "UTF-16 wchar_t");

bool ReadLine(HANDLE input, char (&line)[1024], size_t& length) {
  length = 0;
  bool any = false;
  char c;
  DWORD read = 0;
  while (::ReadFile(input, &c, 1, &read, nullptr) && read == 1) {
    any = true;
    if (c == '\n') break;
    if (length < sizeof(line)) line[length++] = c;
  }
  if (length > 0 && line[length - 1] == '\r') --length;
  return any;
}

size_t ReadConsoleChunk(void* input, char16_t* buffer, size_t capacity) {
  DWORD read = 0;
  if (!::ReadConsoleW(static_cast<HANDLE>(input), reinterpret_cast<wchar_t*>(buffer),
                      static_cast<DWORD>(capacity), &read, nullptr))
    return 0;
  return read;
}

}  // namespace

bool IsTerminal(FILE* stream) {
  return ::_isatty(::_fileno(stream)) != 0;
}

bool ReadSecret(const char* prompt, char16_t (&out)[kSecretCapacity], size_t& length) {
  HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (::GetConsoleMode(input, &mode)) {
    // A console: read UTF-16 directly, without echo, the whole line however long.
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    ::SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    bool got = ReadLineInChunks(ReadConsoleChunk, input, out, length);
    ::SetConsoleMode(input, mode);
    std::fputs("\n", stderr);
    return got;
  }
  char line[1024];
  size_t line_length = 0;
  bool got = ReadLine(input, line, line_length);
  DecodeSecretLine(line, line_length, out, length);
  platform::SecureZero(line, sizeof(line));
  return got;
}

std::string ConsoleText(const std::u16string& text) {
  return ToAnsi(text);
}

void WriteSecretText(FILE* stream, const char16_t* text, size_t length) {
  char bytes[2 * 1024 + 1];
  platform::WideToAnsi(text, length, bytes, sizeof(bytes));
  std::fputs(bytes, stream);
  platform::SecureZero(bytes, sizeof(bytes));
}

}  // namespace hvn::tool
