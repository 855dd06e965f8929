#include <termios.h>
#include <unistd.h>

#include <cstring>

#include "base/terminal.h"
#include "base/utf8_text.h"
#include "platform/secure_zero.h"

namespace hvn::tool {
namespace {

// Reads bytes up to a line end into `line`; false at the end of the input with nothing read.
bool ReadLine(int fd, char (&line)[1024], size_t& length) {
  length = 0;
  bool any = false;
  char c;
  while (::read(fd, &c, 1) == 1) {
    any = true;
    if (c == '\n') break;
    if (length < sizeof(line)) line[length++] = c;
  }
  if (length > 0 && line[length - 1] == '\r') --length;
  return any;
}

}  // namespace

bool IsTerminal(FILE* stream) {
  return ::isatty(::fileno(stream)) != 0;
}

bool ReadSecret(const char* prompt, char16_t (&out)[kSecretCapacity], size_t& length) {
  char line[1024];
  size_t line_length = 0;
  bool got;
  if (::isatty(STDIN_FILENO)) {
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    termios saved;
    bool restore = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (restore) {
      termios quiet = saved;
      quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    got = ReadLine(STDIN_FILENO, line, line_length);
    if (restore) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputs("\n", stderr);
  } else {
    got = ReadLine(STDIN_FILENO, line, line_length);
  }
  DecodeSecretLine(line, line_length, out, length);
  platform::SecureZero(line, sizeof(line));
  return got;
}

std::string ConsoleText(const std::u16string& text) {
  return EncodeUtf8(text);
}

void WriteSecretText(FILE* stream, const char16_t* text, size_t length) {
  char bytes[3 * 1024 + 1];
  EncodeUtf8(text, length, bytes, sizeof(bytes));
  std::fputs(bytes, stream);
  platform::SecureZero(bytes, sizeof(bytes));
}

}  // namespace hvn::tool
