// Text output of the console installer. Texts are written as data, never interpreted as a
// format; each line end "\n" leaves as CR LF, the line end of a Windows console, whatever
// mode the output stream is in.
#ifndef HVN_SETUP_DRAVIN_CONSOLE_WRITER_H_
#define HVN_SETUP_DRAVIN_CONSOLE_WRITER_H_

#include <cstddef>

namespace hvn::dravin {

class ConsoleWriter {
 public:
  virtual ~ConsoleWriter() = default;

  // Writes `text` (NUL-terminated), with every "\n" turned into CR LF.
  void Write(const char* text);

 protected:
  // Delivers `length` bytes exactly as they are.
  virtual void WriteBytes(const char* bytes, size_t length) = 0;
};

}  // namespace hvn::dravin

#endif  // HVN_SETUP_DRAVIN_CONSOLE_WRITER_H_
