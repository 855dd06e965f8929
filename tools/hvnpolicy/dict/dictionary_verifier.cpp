#include "dict/dictionary_verifier.h"

#include <cstdio>
#include <memory>

#include "base/utf8_text.h"
#include "dict/line_reader.h"
#include "platform/ansi_text.h"
#include "platform/read_only_file.h"

namespace hvn::tool {
namespace {

// Lines are kept up to this many units; longer ones are only measured.
constexpr size_t kKeptUnits = 1024;

uint32_t UnitAt(DictionaryEncoding encoding, const std::string& bytes, size_t i) {
  if (encoding == DictionaryEncoding::kAnsi) return static_cast<unsigned char>(bytes[i]);
  return static_cast<unsigned char>(bytes[2 * i]) |
         (static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
}

std::string Quoted(DictionaryEncoding encoding, const std::string& bytes) {
  return "\"" + EncodeUtf8(EntryText(encoding, bytes)) + "\"";
}

// Form problems of an entry line (not the first line), joined by "; "; empty when none.
std::string FormProblems(DictionaryEncoding encoding, const Line& line) {
  std::string problems;
  auto add = [&](const char* problem) {
    if (!problems.empty()) problems += "; ";
    problems += problem;
  };
  if (line.units == 0) add("empty line: an empty entry");
  if (line.units > kMaxEntryUnits)
    problems = std::to_string(line.units) + " units, longer than the 126 a dictionary line holds";
  size_t units = line.bytes.size() / UnitBytes(encoding);
  bool trail = false;
  bool nul = false;
  bool lower = false;
  for (size_t i = 0; i < units; ++i) {
    uint32_t unit = UnitAt(encoding, line.bytes, i);
    nul = nul || unit == 0;
    lower = lower || (!trail && unit >= 'a' && unit <= 'z');
    trail = !trail && encoding == DictionaryEncoding::kAnsi &&
            platform::IsAnsiLeadByte(static_cast<unsigned char>(unit));
  }
  if (nul) add("holds a NUL character");
  if (lower) add("holds lower-case letters: entries are in capitals");
  switch (line.end) {
    case LineEnd::kCrLf:
      break;
    case LineEnd::kLf:
      add("ends with LF alone: entries end with CR LF");
      break;
    case LineEnd::kCr:
      add("ends with CR alone: the search reads it and the next line as one");
      break;
    case LineEnd::kNone:
      add("the last line has no CR LF: its entry is never found");
      break;
  }
  return problems;
}

}  // namespace

std::u16string EntryText(DictionaryEncoding encoding, const std::string& bytes, size_t max_units) {
  std::u16string text;
  if (encoding == DictionaryEncoding::kAnsi) {
    text = FromAnsi(bytes);
  } else {
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
      text += static_cast<char16_t>(UnitAt(encoding, bytes, i / 2));
  }
  for (char16_t& c : text)
    if (c < 0x20) c = u'?';
  if (text.size() > max_units) text = text.substr(0, max_units) + u"...";
  return text;
}

bool VerifyDictionary(const std::string& path, DictionaryVerifyObserver& observer,
                      DictionaryVerifyReport& report, std::string& error) {
  report = DictionaryVerifyReport();
  uint64_t size = 0;
  {
    platform::ReadOnlyFile probe;
    if (!probe.Open(path.c_str())) {
      error = "cannot open the dictionary " + path;
      return false;
    }
    size = probe.Size();
  }
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    error = "cannot open the dictionary " + path;
    return false;
  }
  char head[256];
  size_t head_length = std::fread(head, 1, sizeof(head), file.get());
  std::rewind(file.get());
  report.encoding = DetectDictionaryEncoding(head, head_length);
  const DictionaryEncoding encoding = report.encoding;

  auto problem = [&](uint64_t number, bool is_error, const std::string& text) {
    if (is_error)
      ++report.errors;
    else
      ++report.warnings;
    observer.Problem(number, is_error, text);
  };

  LineReader reader(file.get(), UnitBytes(encoding), kKeptUnits);
  Line line;
  std::string previous;
  uint64_t previous_number = 0;
  bool has_previous = false;
  while (reader.Next(line)) {
    ++report.lines;
    if (line.number % 65536 == 0) observer.Progress(reader.BytesRead(), size);
    if (line.number == 1) {
      // The heading is never searched; it only has to end where the search expects.
      if (line.end == LineEnd::kCr)
        problem(1, true,
                "the first line ends with CR alone: the search takes the next line "
                "as part of it");
      if (line.units > kMaxEntryUnits) problem(1, true, "the first line is longer than 126 units");
      continue;
    }
    ++report.entries;
    std::string form = FormProblems(encoding, line);
    if (!form.empty()) problem(line.number, true, form);
    if (line.units == 0 || line.units > kMaxEntryUnits) continue;
    if (has_previous) {
      int order = CompareEntries(encoding, previous.data(), previous.size(), line.bytes.data(),
                                 line.bytes.size());
      if (order > 0) {
        problem(line.number, true,
                "out of order: " + Quoted(encoding, line.bytes) + " sorts before line " +
                    std::to_string(previous_number) + " " + Quoted(encoding, previous));
      } else if (order == 0) {
        problem(line.number, false, "repeats line " + std::to_string(previous_number));
      }
    }
    previous = line.bytes;
    previous_number = line.number;
    has_previous = true;
  }
  if (reader.Failed()) {
    error = "cannot read the dictionary " + path;
    return false;
  }
  if (reader.OddTail())
    problem(0, true, "the UTF-16 file ends in half a character (its size is odd)");
  if (report.lines <= 1)
    problem(0, false, "no entries: the first line is never searched, so nothing matches");
  observer.Progress(size, size);
  return true;
}

}  // namespace hvn::tool
