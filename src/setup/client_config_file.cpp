#include "setup/client_config_file.h"

#include <cstring>

#include "platform/ansi_text.h"
#include "platform/ascii_text.h"
#include "platform/read_only_file.h"

namespace hvn {
namespace {

constexpr char kEndOfFileMark = '\x1A';  // Ctrl-Z ends a file read in text mode

bool IsLead(char byte) {
  return platform::IsAnsiLeadByte(static_cast<unsigned char>(byte));
}

// Where the bytes of the file come from: memory or the file itself, read in blocks.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Stores up to `capacity` bytes; returns how many (0 at the end). False on a read error.
  virtual bool Read(char* buffer, size_t capacity, size_t* stored) = 0;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const char* data, size_t size) : data_(data), size_(size) {}
  bool Read(char* buffer, size_t capacity, size_t* stored) override {
    size_t count = size_ - offset_ < capacity ? size_ - offset_ : capacity;
    if (count != 0) std::memcpy(buffer, data_ + offset_, count);
    offset_ += count;
    *stored = count;
    return true;
  }

 private:
  const char* data_;
  size_t size_;
  size_t offset_ = 0;
};

class FileSource : public ByteSource {
 public:
  explicit FileSource(platform::ReadOnlyFile& file) : file_(file) {}
  bool Read(char* buffer, size_t capacity, size_t* stored) override {
    uint32_t count = 0;
    if (!file_.ReadAt(offset_, buffer, static_cast<uint32_t>(capacity), &count)) return false;
    offset_ += count;
    *stored = count;
    return true;
  }

 private:
  platform::ReadOnlyFile& file_;
  uint64_t offset_ = 0;
};

// What LineReader::Next found.
enum class LineRead { kLine, kEnd, kTooLong };

// Hands out the file's lines whole, as a text-mode read gives them: CR LF becomes LF and a
// Ctrl-Z ends the file. A line holds at most kConfigLineLength characters before its LF; a
// longer one is reported, never cut, since its pieces would read as lines of their own.
class LineReader {
 public:
  explicit LineReader(ByteSource& source) : source_(source) {}

  // Stores the next line with its LF (when it has one) and a terminator in `line`, and its
  // length in `length`. kEnd at the end of the file or on a read error (see failed());
  // kTooLong, with `line` empty and `length` 0, for a line of more than kConfigLineLength
  // characters.
  LineRead Next(char (&line)[kConfigLineLength + 2], size_t* length) {
    size_t count = 0;
    int byte;
    while ((byte = Peek()) >= 0) {
      Take();
      if (byte != '\n' && count == kConfigLineLength) {
        line[0] = '\0';
        *length = 0;
        return LineRead::kTooLong;
      }
      line[count++] = static_cast<char>(byte);
      if (byte == '\n') break;
    }
    line[count] = '\0';
    *length = count;
    return count != 0 ? LineRead::kLine : LineRead::kEnd;
  }

  bool failed() const { return failed_; }
  // Physical lines begun so far (counted by their LF), for reports.
  uint32_t line_number() const { return line_number_; }

 private:
  // The next byte after text-mode translation, or -1 at the end.
  int Peek() {
    if (pending_ >= 0) return pending_;
    if (marked_end_) return -1;
    int byte = RawByte();
    if (byte == '\r' && RawPeek() == '\n') byte = RawByte();
    if (byte == kEndOfFileMark) {
      marked_end_ = true;
      byte = -1;
    }
    pending_ = byte;
    return byte;
  }

  void Take() {
    if (pending_ == '\n') ++line_number_;
    pending_ = -1;
  }

  int RawPeek() {
    if (position_ == filled_ && !Fill()) return -1;
    return static_cast<unsigned char>(block_[position_]);
  }

  int RawByte() {
    int byte = RawPeek();
    if (byte >= 0) ++position_;
    return byte;
  }

  bool Fill() {
    if (ended_) return false;
    size_t stored = 0;
    if (!source_.Read(block_, sizeof(block_), &stored)) failed_ = true;
    if (stored == 0) {
      ended_ = true;
      return false;
    }
    position_ = 0;
    filled_ = stored;
    return true;
  }

  ByteSource& source_;
  char block_[4096];
  size_t position_ = 0;
  size_t filled_ = 0;
  int pending_ = -1;
  bool ended_ = false;
  bool marked_end_ = false;
  bool failed_ = false;
  uint32_t line_number_ = 1;
};

// The offset of the first `wanted` byte in `text`, stepping over double-byte characters
// whole; `length` when there is none.
size_t Find(const char* text, size_t length, char wanted) {
  for (size_t at = 0; at < length; ++at) {
    if (text[at] == wanted) return at;
    if (IsLead(text[at]) && at + 1 < length) ++at;
  }
  return length;
}

size_t SkipSpaces(const char* text, size_t at, size_t length) {
  while (at < length && text[at] == ' ') ++at;
  return at;
}

// The keys are the file format's own ASCII words: ASCII letter case only, whatever the locale.
bool KeyIs(const char* key, size_t length, const char* name) {
  return platform::AsciiEqualIgnoreCase(key, length, name);
}

class ConfigParser {
 public:
  explicit ConfigParser(ClientConfigFile& config) : config_(config) {}

  // Takes one line as the reader gave it. False when the file must be refused.
  bool TakeLine(char* line, size_t length) {
    // A NUL inside the line ends it as a text.
    length = platform::BoundedLength(line, length);
    bool ends_with_line_end = length != 0 && line[length - 1] == '\n';
    bool cut_at_comment = false;
    size_t comment = Find(line, length, '#');
    if (comment < length) {
      length = comment;
      ends_with_line_end = false;
      cut_at_comment = true;
    }
    for (size_t at = 0; at < length; ++at) {
      if (line[at] == '\t') line[at] = ' ';
      if (IsLead(line[at]) && at + 1 < length) ++at;
    }
    size_t key_end = Find(line, length, ' ');
    if (length == 0 || key_end == length) return true;

    size_t value = SkipSpaces(line, key_end, length);
    size_t value_end = length;
    // The line's final character goes only when it is the line end, or the space or TAB just
    // before a comment; never a character of the value itself.
    if (ends_with_line_end) {
      --value_end;
    } else if (cut_at_comment && value_end > value && line[value_end - 1] == ' ') {
      --value_end;
    }
    if (value_end < value) value_end = value;

    if (KeyIs(line, key_end, "DOM")) return AddServerEntry(line + value, value_end - value);
    if (KeyIs(line, key_end, "HVS_Port"))
      return SetText(config_.PortText, line + value, value_end - value);
    if (KeyIs(line, key_end, "Timeout"))
      return SetText(config_.TimeoutText, line + value, value_end - value);
    if (KeyIs(line, key_end, "Retries"))
      return SetText(config_.RetriesText, line + value, value_end - value);
    return true;
  }

  ConfigFileProblem problem() const { return problem_; }

 private:
  // "<domain> <servers>": the domain, one space, and the servers after the run of spaces
  // that follows the domain. A domain without servers adds nothing.
  bool AddServerEntry(const char* value, size_t length) {
    size_t domain_end = Find(value, length, ' ');
    size_t servers = SkipSpaces(value, domain_end, length);
    if (domain_end == length || servers == length) return true;
    size_t servers_length = length - servers;
    size_t entry_length = domain_end + 1 + servers_length;
    // The entry, its NUL and the list's final empty string must fit.
    if (config_.ServerListLength + entry_length + 2 > kConfigServerListSize) {
      problem_ = ConfigFileProblem::kServerListFull;
      return false;
    }
    char* entry = config_.ServerList + config_.ServerListLength;
    std::memcpy(entry, value, domain_end);
    entry[domain_end] = ' ';
    std::memcpy(entry + domain_end + 1, value + servers, servers_length);
    entry[entry_length] = '\0';
    config_.ServerListLength += static_cast<uint32_t>(entry_length + 1);
    return true;
  }

  bool SetText(char (&field)[kConfigTextSize], const char* value, size_t length) {
    if (length >= kConfigTextSize) {
      problem_ = ConfigFileProblem::kValueTooLong;
      return false;
    }
    std::memset(field, 0, sizeof(field));
    std::memcpy(field, value, length);
    return true;
  }

  ClientConfigFile& config_;
  ConfigFileProblem problem_ = ConfigFileProblem::kNone;
};

uint32_t Parse(ByteSource& source, ClientConfigFile& config, ConfigFileStatus* status) {
  std::memset(&config, 0, sizeof(config));
  LineReader reader(source);
  ConfigParser parser(config);
  char line[kConfigLineLength + 2];
  size_t length = 0;
  ConfigFileStatus result;
  for (;;) {
    uint32_t line_number = reader.line_number();
    LineRead read = reader.Next(line, &length);
    if (read == LineRead::kEnd) break;
    if (read == LineRead::kTooLong) {
      result = {ConfigFileProblem::kLineTooLong, line_number};
      break;
    }
    if (!parser.TakeLine(line, length)) {
      result = {parser.problem(), line_number};
      break;
    }
  }
  if (result.problem == ConfigFileProblem::kNone && reader.failed()) {
    result.problem = ConfigFileProblem::kCannotRead;
  }
  if (status != nullptr) *status = result;
  if (result.problem == ConfigFileProblem::kNone) return 0;
  // Nothing of a refused file is kept, so nothing cut short can be written.
  std::memset(&config, 0, sizeof(config));
  return kSetupFailure;
}

}  // namespace

uint32_t ParseClientConfigText(const char* data, size_t size, ClientConfigFile& config,
                               ConfigFileStatus* status) {
  MemorySource source(data, data == nullptr ? 0 : size);
  return Parse(source, config, status);
}

uint32_t ReadClientConfigFile(const char* path, ClientConfigFile& config,
                              ConfigFileStatus* status) {
  // Shared for writing too, as the C runtime opens a file: an editor or a deployment tool that
  // still holds the file open must not make it unreadable.
  platform::ReadOnlyFile file;
  if (path == nullptr || !file.Open(path, platform::FileSharing::kReadersAndWriters)) {
    std::memset(&config, 0, sizeof(config));
    if (status != nullptr) *status = {ConfigFileProblem::kCannotRead, 0};
    return kSetupFailure;
  }
  FileSource source(file);
  return Parse(source, config, status);
}

uint32_t ConfigTextToNumber(const char* text) {
  if (text == nullptr) return 0;
  const char* at = text;
  while (*at == ' ' || (*at >= '\t' && *at <= '\r')) ++at;
  bool negative = *at == '-';
  if (*at == '-' || *at == '+') ++at;
  // Unsigned arithmetic wraps modulo 2^32, which is the two's complement the value keeps.
  uint32_t number = 0;
  while (*at >= '0' && *at <= '9') {
    number = number * 10u + static_cast<uint32_t>(*at - '0');
    ++at;
  }
  return negative ? 0u - number : number;
}

}  // namespace hvn
