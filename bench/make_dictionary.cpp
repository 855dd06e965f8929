// Writes a sorted benchmark dictionary, the same every time for the same arguments:
//   make_dictionary ENTRIES SEED DICTIONARY_FILE WORD_LIST_FILE
// The dictionary file is ANSI with a heading line and CR LF lines; the word list holds the
// same entries, one per LF line, for packing into other dictionary formats.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/dictionary_file.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_dictionary ENTRIES SEED DICTIONARY_FILE WORD_LIST_FILE\n");
    return 2;
  }
  size_t count = std::strtoull(argv[1], nullptr, 10);
  std::mt19937 random(static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)));
  std::vector<std::string> entries;
  entries.reserve(count + count / 1000);
  // Mostly words of 6 to 17 characters (about 13.6 bytes a line, as in common password
  // lists), with a few short ones and wildcard entries.
  for (size_t i = 0; i < count; ++i) {
    entries.push_back(hvn::test::RandomEntry(random, (i % 50 == 0) ? 3 : 6, 17));
  }
  for (size_t i = 0; i < count / 20000 + 2; ++i) {
    entries.push_back("!!" + hvn::test::RandomEntry(random, 3, 6) + "*!!");
    entries.push_back("!!*" + hvn::test::RandomEntry(random, 3, 6) + "!!");
  }
  entries = hvn::test::SortDictionary(std::move(entries));

  FILE* dictionary = std::fopen(argv[3], "wb");
  FILE* words = std::fopen(argv[4], "wb");
  if (dictionary == nullptr || words == nullptr) {
    std::perror("make_dictionary");
    return 1;
  }
  std::fputs("BENCHMARK DICTIONARY\r\n", dictionary);
  for (const std::string& entry : entries) {
    std::fwrite(entry.data(), 1, entry.size(), dictionary);
    std::fputs("\r\n", dictionary);
    std::fwrite(entry.data(), 1, entry.size(), words);
    std::fputc('\n', words);
  }
  bool ok = std::fclose(dictionary) == 0;
  ok = std::fclose(words) == 0 && ok;
  return ok ? 0 : 1;
}
