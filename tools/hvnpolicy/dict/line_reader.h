// Reads a text file line by line in large blocks, for files far larger than memory: lines of
// bytes or of UTF-16LE units, ended by CR LF, LF, CR or the end of the file.
#ifndef HVN_TOOLS_HVNPOLICY_DICT_LINE_READER_H_
#define HVN_TOOLS_HVNPOLICY_DICT_LINE_READER_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace hvn::tool {

enum class LineEnd { kCrLf, kLf, kCr, kNone };

struct Line {
  std::string bytes;   // the line's units without its end, at most the reader's limit
  uint64_t units = 0;  // the line's full length in units, also when `bytes` was cut
  LineEnd end = LineEnd::kNone;
  uint64_t number = 0;  // counted from 1
  uint64_t offset = 0;  // byte position of the line's start in the file
};

class LineReader {
 public:
  // Reads `file` (open for binary reading) from its current position; `unit_bytes` is 1 or 2
  // (UTF-16LE); a line keeps at most `max_line_units` units in `bytes`.
  LineReader(FILE* file, size_t unit_bytes, size_t max_line_units);

  // The next line, or false at the end of the file or on a read error (see Failed). A file
  // that ends with a line end has no empty line after it.
  bool Next(Line& line);

  bool Failed() const { return failed_; }
  // Bytes consumed so far; a dangling odd byte at the end of a UTF-16 file is counted in
  // OddTail, not in a line.
  uint64_t BytesRead() const { return consumed_; }
  bool OddTail() const { return odd_tail_; }

 private:
  // The next unit, or -1 at the end of the file.
  long NextUnit();
  long PeekUnit();
  bool Fill();

  FILE* file_;
  size_t unit_bytes_;
  size_t max_line_units_;
  std::vector<char> buffer_;
  size_t position_ = 0;
  size_t filled_ = 0;
  uint64_t consumed_ = 0;
  uint64_t line_number_ = 0;
  bool eof_ = false;
  bool failed_ = false;
  bool odd_tail_ = false;
};

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_DICT_LINE_READER_H_
