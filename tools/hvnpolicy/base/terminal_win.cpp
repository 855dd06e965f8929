#include <io.h>

#include <cstring>

#include "base/terminal.h"
#include "base/utf8_text.h"
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

}  // namespace

bool IsTerminal(FILE* stream) {
  return ::_isatty(::_fileno(stream)) != 0;
}

bool ReadSecret(const char* prompt, char16_t (&out)[kSecretCapacity], size_t& length) {
  HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (::GetConsoleMode(input, &mode)) {
    // A console: read UTF-16 directly, without echo.
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    ::SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    wchar_t line[kSecretCapacity + 2];
    DWORD read = 0;
    BOOL got = ::ReadConsoleW(input, line, kSecretCapacity + 1, &read, nullptr);
    ::SetConsoleMode(input, mode);
    std::fputs("\n", stderr);
    std::memset(out, 0, sizeof(out));
    length = 0;
    while (got && length < read && length < kSecretCapacity - 1 && line[length] != L'\r' &&
           line[length] != L'\n') {
      out[length] = static_cast<char16_t>(line[length]);
      ++length;
    }
    platform::SecureZero(line, sizeof(line));
    return got != 0 && read > 0;
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

}  // namespace hvn::tool
