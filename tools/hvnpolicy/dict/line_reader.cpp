#include "dict/line_reader.h"

#include <cstring>

namespace hvn::tool {

namespace {
constexpr size_t kBlockBytes = 1 << 20;
}

LineReader::LineReader(FILE* file, size_t unit_bytes, size_t max_line_units)
    : file_(file), unit_bytes_(unit_bytes), max_line_units_(max_line_units), buffer_(kBlockBytes) {}

bool LineReader::Fill() {
  if (eof_) return false;
  size_t rest = filled_ - position_;
  std::memmove(buffer_.data(), buffer_.data() + position_, rest);
  position_ = 0;
  filled_ = rest;
  size_t got = std::fread(buffer_.data() + filled_, 1, buffer_.size() - filled_, file_);
  filled_ += got;
  if (got == 0) {
    eof_ = true;
    if (std::ferror(file_)) failed_ = true;
    return false;
  }
  return true;
}

long LineReader::PeekUnit() {
  while (filled_ - position_ < unit_bytes_) {
    if (!Fill()) {
      if (filled_ - position_ != 0 && !failed_) odd_tail_ = true;
      return -1;
    }
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_.data() + position_);
  return unit_bytes_ == 1 ? bytes[0] : (bytes[0] | (bytes[1] << 8));
}

long LineReader::NextUnit() {
  long unit = PeekUnit();
  if (unit >= 0) {
    position_ += unit_bytes_;
    consumed_ += unit_bytes_;
  }
  return unit;
}

bool LineReader::Next(Line& line) {
  line.bytes.clear();
  line.units = 0;
  line.offset = consumed_;
  long unit = NextUnit();
  if (unit < 0) return false;
  line.number = ++line_number_;
  for (;; unit = NextUnit()) {
    if (unit < 0) {
      line.end = LineEnd::kNone;
      return true;
    }
    if (unit == '\n') {
      line.end = LineEnd::kLf;
      return true;
    }
    if (unit == '\r') {
      if (PeekUnit() == '\n') {
        NextUnit();
        line.end = LineEnd::kCrLf;
      } else {
        line.end = LineEnd::kCr;
      }
      return true;
    }
    if (line.units < max_line_units_) {
      line.bytes += static_cast<char>(unit & 0xFF);
      if (unit_bytes_ == 2) line.bytes += static_cast<char>(unit >> 8);
    }
    ++line.units;
  }
}

}  // namespace hvn::tool
