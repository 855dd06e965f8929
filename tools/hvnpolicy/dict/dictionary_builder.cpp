#include "dict/dictionary_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <queue>
#include <vector>

#include "base/utf8_text.h"
#include "dict/line_reader.h"
#include "platform/read_only_file.h"
#include "policy/check_context.h"

namespace hvn::tool {
namespace {

// A word longer than this many bytes cannot become an entry of 126 units in any encoding.
constexpr size_t kMaxWordBytes = 1024;
constexpr char kHeading[] = "HALVERN DICTIONARY";
constexpr size_t kFileBufferBytes = 1 << 20;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

UniqueFile OpenFile(const std::string& path, const char* mode) {
  UniqueFile file(std::fopen(path.c_str(), mode));
  if (file) std::setvbuf(file.get(), nullptr, _IOFBF, kFileBufferBytes);
  return file;
}

// Temporary files that are removed when the build ends, however it ends.
class TemporaryFiles {
 public:
  explicit TemporaryFiles(std::string stem) : stem_(std::move(stem)) {}
  ~TemporaryFiles() {
    for (const std::string& path : paths_) std::remove(path.c_str());
  }
  std::string Add() {
    paths_.push_back(stem_ + ".run" + std::to_string(next_++));
    return paths_.back();
  }
  void Forget(const std::string& path) {
    std::remove(path.c_str());
    paths_.erase(std::find(paths_.begin(), paths_.end(), path));
  }

 private:
  std::string stem_;
  std::vector<std::string> paths_;
  unsigned next_ = 0;
};

// Writes entries in ascending order, each once: to the dictionary (CR LF lines) or to a run
// file (a length byte and the entry's bytes).
class EntryWriter {
 public:
  EntryWriter(FILE* file, DictionaryEncoding encoding, bool dictionary)
      : file_(file), encoding_(encoding), dictionary_(dictionary) {}

  // Returns false when the entry repeats the previous one (it is not written).
  bool Write(const char* bytes, size_t length) {
    if (has_last_ && CompareEntries(encoding_, last_.data(), last_.size(), bytes, length) == 0)
      return false;
    last_.assign(bytes, length);
    has_last_ = true;
    if (dictionary_) {
      std::fwrite(bytes, 1, length, file_);
      WriteLineEnd(file_, encoding_);
    } else {
      std::fputc(static_cast<int>(length / UnitBytes(encoding_)), file_);
      std::fwrite(bytes, 1, length, file_);
    }
    ++written_;
    return true;
  }
  uint64_t Written() const { return written_; }

  static void WriteLineEnd(FILE* file, DictionaryEncoding encoding) {
    if (encoding == DictionaryEncoding::kUtf16)
      std::fwrite("\r\0\n\0", 1, 4, file);
    else
      std::fwrite("\r\n", 1, 2, file);
  }

 private:
  FILE* file_;
  DictionaryEncoding encoding_;
  bool dictionary_;
  std::string last_;
  bool has_last_ = false;
  uint64_t written_ = 0;
};

// Reads a run file entry by entry.
class RunReader {
 public:
  RunReader(UniqueFile file, DictionaryEncoding encoding)
      : file_(std::move(file)), unit_bytes_(UnitBytes(encoding)) {
    Advance();
  }
  bool Valid() const { return valid_; }
  const std::string& Entry() const { return entry_; }
  void Advance() {
    int length = std::fgetc(file_.get());
    valid_ = false;
    if (length == EOF) return;
    entry_.resize(static_cast<size_t>(length) * unit_bytes_);
    valid_ = std::fread(&entry_[0], 1, entry_.size(), file_.get()) == entry_.size();
  }

 private:
  UniqueFile file_;
  size_t unit_bytes_;
  std::string entry_;
  bool valid_ = false;
};

struct ChunkEntry {
  uint32_t offset;
  uint32_t length;
};

std::string LineNote(uint64_t units, const char* what) {
  return std::to_string(units) + " " + what;
}

void WriteHeading(FILE* file, DictionaryEncoding encoding) {
  for (const char* c = kHeading; *c != '\0'; ++c) {
    std::fputc(*c, file);
    if (encoding == DictionaryEncoding::kUtf16) std::fputc(0, file);
  }
  EntryWriter::WriteLineEnd(file, encoding);
}

bool CloseChecked(UniqueFile& file) {
  bool ok = std::ferror(file.get()) == 0;
  ok = std::fclose(file.release()) == 0 && ok;
  return ok;
}

// Merges `inputs` (run files) into `writer`; returns false when a run file cannot be read.
bool MergeRuns(const std::vector<std::string>& inputs, DictionaryEncoding encoding,
               EntryWriter& writer, DictionaryBuildObserver& observer, uint64_t total,
               uint64_t& done, uint64_t& duplicates) {
  std::vector<std::unique_ptr<RunReader>> readers;
  for (const std::string& path : inputs) {
    UniqueFile file = OpenFile(path, "rb");
    if (!file) return false;
    readers.push_back(std::make_unique<RunReader>(std::move(file), encoding));
  }
  auto greater = [&](size_t a, size_t b) {
    const std::string& x = readers[a]->Entry();
    const std::string& y = readers[b]->Entry();
    return CompareEntries(encoding, x.data(), x.size(), y.data(), y.size()) > 0;
  };
  std::priority_queue<size_t, std::vector<size_t>, decltype(greater)> heap(greater);
  for (size_t i = 0; i < readers.size(); ++i)
    if (readers[i]->Valid()) heap.push(i);
  while (!heap.empty()) {
    size_t i = heap.top();
    heap.pop();
    const std::string& entry = readers[i]->Entry();
    if (!writer.Write(entry.data(), entry.size())) ++duplicates;
    if (++done % 65536 == 0) observer.Progress("merging", done, total);
    readers[i]->Advance();
    if (readers[i]->Valid()) heap.push(i);
  }
  return true;
}

// The word list being read: its file, positioned after any byte-order mark, its size for the
// progress bar and whether its lines are UTF-16LE.
struct WordList {
  UniqueFile file;
  uint64_t size = 0;
  bool utf16 = false;
};

// Opens the list and decides its encoding: UTF-16LE with a byte-order mark or a zero byte near
// its start (as the rule decides for a dictionary), else bytes (UTF-8 or the ANSI code page,
// per line).
bool OpenWordList(const std::string& path, WordList& list, std::string& error) {
  {
    platform::ReadOnlyFile probe;
    if (probe.Open(path.c_str())) list.size = probe.Size();
  }
  list.file = OpenFile(path, "rb");
  if (!list.file) {
    error = "cannot open the word list " + path;
    return false;
  }
  char head[256];
  size_t head_length = std::fread(head, 1, sizeof(head), list.file.get());
  const bool utf16_mark = head_length >= 2 && static_cast<unsigned char>(head[0]) == 0xFF &&
                          static_cast<unsigned char>(head[1]) == 0xFE;
  list.utf16 =
      DetectDictionaryEncoding(head, head_length) == DictionaryEncoding::kUtf16 || utf16_mark;
  size_t skip = 0;
  if (list.utf16 && utf16_mark) skip = 2;
  if (!list.utf16 && head_length >= 3 && std::memcmp(head, "\xEF\xBB\xBF", 3) == 0) skip = 3;
  std::fseek(list.file.get(), static_cast<long>(skip), SEEK_SET);
  return true;
}

// The entries read so far: the current chunk in memory and, once a chunk outgrew its bytes,
// the sorted runs written to temporary files beside the output (removed however the build
// ends).
class SortedRuns {
 public:
  SortedRuns(const std::string& output_path, const DictionaryBuildOptions& options,
             DictionaryBuildReport& report)
      : temporary_(output_path), options_(options), report_(report) {
    arena_.reserve(options.run_bytes);
  }

  // Adds one entry; a full chunk is first sorted into a run file. False when that file
  // cannot be written.
  bool Add(const std::string& entry) {
    if (arena_.size() + entry.size() > options_.run_bytes && !chunk_.empty() && !Spill())
      return false;
    chunk_.push_back({static_cast<uint32_t>(arena_.size()), static_cast<uint32_t>(entry.size())});
    arena_ += entry;
    return true;
  }

  // Writes every entry once, in order, into `writer`: the chunk directly when it is all there
  // is, else the chunk as a last run and then the runs merged. False when a run file fails.
  bool WriteAll(EntryWriter& writer, DictionaryBuildObserver& observer) {
    if (runs_.empty()) {
      SortChunk();
      WriteChunk(writer);
      return true;
    }
    if (!chunk_.empty() && !Spill()) return false;
    report_.runs = runs_.size();
    return MergeAll(writer, observer);
  }

 private:
  void SortChunk() {
    std::sort(chunk_.begin(), chunk_.end(), [&](const ChunkEntry& a, const ChunkEntry& b) {
      return CompareEntries(options_.output, arena_.data() + a.offset, a.length,
                            arena_.data() + b.offset, b.length) < 0;
    });
  }

  void WriteChunk(EntryWriter& writer) {
    for (const ChunkEntry& entry : chunk_)
      if (!writer.Write(arena_.data() + entry.offset, entry.length)) ++report_.duplicates;
  }

  bool Spill() {
    SortChunk();
    std::string path = temporary_.Add();
    UniqueFile run = OpenFile(path, "wb");
    if (!run) return false;
    EntryWriter writer(run.get(), options_.output, false);
    WriteChunk(writer);
    spilled_entries_ += writer.Written();
    if (!CloseChecked(run)) return false;
    runs_.push_back(path);
    chunk_.clear();
    arena_.clear();
    return true;
  }

  // Passes of at most merge_fan_in runs into new runs, until one pass can write the
  // dictionary itself.
  bool MergeAll(EntryWriter& writer, DictionaryBuildObserver& observer) {
    const DictionaryEncoding encoding = options_.output;
    const size_t fan_in = options_.merge_fan_in < 2 ? 2 : options_.merge_fan_in;
    uint64_t done = 0;
    uint64_t total = spilled_entries_;
    while (runs_.size() > fan_in) {
      std::vector<std::string> next;
      for (size_t start = 0; start < runs_.size(); start += fan_in) {
        std::vector<std::string> group(runs_.begin() + start,
                                       runs_.begin() + std::min(runs_.size(), start + fan_in));
        std::string path = temporary_.Add();
        UniqueFile merged = OpenFile(path, "wb");
        EntryWriter run_writer(merged.get(), encoding, false);
        bool written = merged && MergeRuns(group, encoding, run_writer, observer, total, done,
                                           report_.duplicates);
        written = written && CloseChecked(merged);
        for (const std::string& used : group) temporary_.Forget(used);
        if (!written) return false;
        next.push_back(path);
      }
      total += done;
      runs_ = next;
    }
    bool written = MergeRuns(runs_, encoding, writer, observer, total, done, report_.duplicates);
    observer.Progress("merging", total, total);
    return written;
  }

  TemporaryFiles temporary_;
  const DictionaryBuildOptions& options_;
  DictionaryBuildReport& report_;
  std::vector<std::string> runs_;
  std::string arena_;
  std::vector<ChunkEntry> chunk_;
  uint64_t spilled_entries_ = 0;
};

// Reads every line of the list into `runs`, counting and reporting what is left out.
bool ReadWordList(WordList& list, const std::string& input_path, const std::string& output_path,
                  DictionaryEncoding encoding, SortedRuns& runs, DictionaryBuildObserver& observer,
                  DictionaryBuildReport& report, std::string& error) {
  LineReader reader(list.file.get(), list.utf16 ? 2 : 1, kMaxWordBytes);
  Line line;
  std::string entry;
  std::string reason;
  while (reader.Next(line)) {
    ++report.lines;
    if (report.lines % 65536 == 0) observer.Progress("reading", reader.BytesRead(), list.size);
    if (line.units == 0) {
      ++report.blank_lines;
      continue;
    }
    bool made = false;
    if (line.units > kMaxWordBytes)
      reason = LineNote(line.units, "units, longer than the 126 a dictionary line holds");
    else
      made = MakeEntry(line.bytes, list.utf16, encoding, entry, reason);
    if (!made) {
      ++report.left_out;
      observer.LeftOut(line.number, reason);
      continue;
    }
    if (!runs.Add(entry)) {
      error = "cannot write a temporary file beside " + output_path;
      return false;
    }
  }
  if (reader.Failed()) {
    error = "cannot read the word list " + input_path;
    return false;
  }
  if (reader.OddTail()) {
    ++report.left_out;
    observer.LeftOut(report.lines, "the UTF-16 list ends in half a character");
  }
  observer.Progress("reading", list.size, list.size);
  return true;
}

// Puts the complete `partial` file in place of `output_path`.
bool ReplaceFile(const std::string& partial, const std::string& output_path, std::string& error) {
  if (std::rename(partial.c_str(), output_path.c_str()) == 0) return true;
  // Windows does not rename over an existing file.
  std::remove(output_path.c_str());
  if (std::rename(partial.c_str(), output_path.c_str()) == 0) return true;
  std::remove(partial.c_str());
  error = "cannot rename " + partial + " to " + output_path;
  return false;
}

// Writes the heading and every entry to a file beside the output, then renames it into place.
bool WriteDictionary(SortedRuns& runs, const std::string& output_path, DictionaryEncoding encoding,
                     DictionaryBuildObserver& observer, DictionaryBuildReport& report,
                     std::string& error) {
  std::string partial = output_path + ".partial";
  UniqueFile output = OpenFile(partial, "wb");
  if (!output) {
    error = "cannot create " + partial;
    return false;
  }
  WriteHeading(output.get(), encoding);
  EntryWriter writer(output.get(), encoding, true);
  bool written = runs.WriteAll(writer, observer);
  report.entries = writer.Written();
  written = CloseChecked(output) && written;
  if (!written) {
    std::remove(partial.c_str());
    error = "cannot write " + output_path + " (disk full?)";
    return false;
  }
  return ReplaceFile(partial, output_path, error);
}

}  // namespace

bool MakeEntry(const std::string& line, bool utf16_input, DictionaryEncoding encoding,
               std::string& entry, std::string& reason) {
  reason.clear();
  if (line.empty()) return false;
  std::u16string word;
  if (utf16_input) {
    for (size_t i = 0; i + 1 < line.size(); i += 2)
      word += static_cast<char16_t>(static_cast<unsigned char>(line[i]) |
                                    (static_cast<unsigned char>(line[i + 1]) << 8));
  } else if (!DecodeUtf8(line.data(), line.size(), word)) {
    word = FromAnsi(line);
  }
  if (word.find(u'\0') != std::u16string::npos) {
    reason = "holds a NUL character";
    return false;
  }
  UpperCaseAsciiLetters(&word[0], word.size());
  if (encoding == DictionaryEncoding::kUtf16) {
    if (word.size() > kMaxEntryUnits) {
      reason = LineNote(word.size(), "characters, longer than the 126 a dictionary line holds");
      return false;
    }
    entry = Utf16LeBytes(word);
    return true;
  }
  entry = ToAnsi(word);
  if (FromAnsi(entry) != word) {
    reason = "holds characters the ANSI code page cannot represent (build with --utf16)";
    return false;
  }
  if (entry.size() > kMaxEntryUnits) {
    reason = LineNote(entry.size(), "bytes, longer than the 126 a dictionary line holds");
    return false;
  }
  return true;
}

bool BuildDictionary(const std::string& input_path, const std::string& output_path,
                     const DictionaryBuildOptions& options, DictionaryBuildObserver& observer,
                     DictionaryBuildReport& report, std::string& error) {
  report = DictionaryBuildReport();
  WordList list;
  if (!OpenWordList(input_path, list, error)) return false;
  SortedRuns runs(output_path, options, report);
  return ReadWordList(list, input_path, output_path, options.output, runs, observer, report,
                      error) &&
         WriteDictionary(runs, output_path, options.output, observer, report, error);
}

}  // namespace hvn::tool
