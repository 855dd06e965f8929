// Fuzzes the dictionary search on arbitrary file contents and keys: unsorted files, files
// without line feeds, NULs, one very long line, and every kind of key.
//
// Input: byte 0 flags (bits 1-2: the piece window 0, 1, 5 or 4,294,967,295 + 1 = 0; bit 3
// Bidir, bit 4 Substitute, bit 5 Wildcard of the whole rule; the bits 0 and 3-7 exactly
// 1000 0..1 append a 10 MB line without a line feed), byte 1 the key length in bytes, the key,
// then the file's contents. Every question runs on the file both as ANSI and as UTF-16, then
// the whole rule runs with the key as the password.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/read_only_file.h"
#include "policy/check_context.h"
#include "policy/dictionary_rule.h"
#include "policy/dictionary_search.h"

namespace {

const std::string& FilePath() {
  static const std::string path = [] {
    char name[] = "/tmp/hvn-dictionary-fuzz-XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    return std::string(name);
  }();
  return path;
}

template <typename Unit>
void AskEverything(hvn::platform::ReadOnlyFile& file, const Unit* key, size_t length,
                   uint32_t window) {
  hvn::DictionarySearch<Unit> search(file);
  search.Contains(key, length);
  search.ContainsPrefixWildcard(key, length);
  search.ContainsSuffixWildcard(key, length);
  search.ContainsPiece(key, length, window);
  const Unit* texts[2] = {key, key + length / 2};
  size_t lengths[2] = {length, length - length / 2};
  search.ContainsPiece(texts, lengths, 2, window);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  uint8_t flags = data[0];
  size_t key_length = data[1];
  if (size < 2 + key_length) return 0;
  const uint8_t* key = data + 2;
  const uint8_t* contents = key + key_length;
  size_t contents_size = size - 2 - key_length;

  FILE* out = std::fopen(FilePath().c_str(), "wb");
  if (out == nullptr) std::abort();
  std::fwrite(contents, 1, contents_size, out);
  if ((flags & 0xF9) == 0x81) {
    std::string line(10 << 20, 'A');
    std::fwrite(line.data(), 1, line.size(), out);
  }
  std::fclose(out);

  static const uint32_t kWindows[4] = {0, 1, 5, 0};
  uint32_t window = kWindows[(flags >> 1) & 3];
  hvn::platform::ReadOnlyFile file;
  if (!file.Open(FilePath().c_str())) std::abort();
  AskEverything(file, reinterpret_cast<const char*>(key), key_length, window);
  char16_t wide[256];
  size_t wide_length = key_length / 2;
  for (size_t i = 0; i < wide_length; ++i) {
    wide[i] = static_cast<char16_t>(key[2 * i] | (key[2 * i + 1] << 8));
  }
  AskEverything(file, wide, wide_length, window);
  file.Close();

  // The whole rule, with the key's bytes as the typed password (one character each).
  static hvn::CheckContext context;
  char16_t typed[256];
  for (size_t i = 0; i < key_length; ++i) typed[i] = key[i];
  hvn::PrepareCheckContext(context, nullptr, 0, nullptr, 0, typed,
                           static_cast<uint32_t>(key_length * 2), nullptr, 0);
  hvn::CheckDictionary(context, FilePath().c_str(), flags & 8, (flags >> 4) & 1,
                       window == 0 ? 4294967295u : window - 1, flags & 32);
  return 0;
}
