#include "setup/dravin/console_writer.h"

namespace hvn::dravin {

void ConsoleWriter::Write(const char* text) {
  const char* run = text;
  for (const char* at = text;; ++at) {
    if (*at != '\n' && *at != '\0') continue;
    if (at > run) WriteBytes(run, static_cast<size_t>(at - run));
    if (*at == '\0') return;
    WriteBytes("\r\n", 2);
    run = at + 1;
  }
}

}  // namespace hvn::dravin
