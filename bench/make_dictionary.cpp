// Writes a sorted benchmark dictionary, the same every time for the same arguments:
//   make_dictionary ENTRIES SEED DICTIONARY_FILE WORD_LIST_FILE
//   make_dictionary --words INPUT_LIST DICTIONARY_FILE WORD_LIST_FILE
// The first form generates random entries; the second packs a real word list (one word a
// line; empty lines, "#!comment:" lines and lines of more than 126 bytes are left out), with
// a-z upper-cased and duplicates removed. The dictionary file is ANSI with a heading line and
// CR LF lines; the word list holds the same entries, one per LF line, for packing into other
// dictionary formats.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/dictionary_file.h"

namespace {

// Mostly words of 6 to 17 characters (about 13.6 bytes a line, as in common password lists),
// with a few short ones and wildcard entries.
std::vector<std::string> RandomEntries(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::string> entries;
  entries.reserve(count + count / 1000);
  for (size_t i = 0; i < count; ++i) {
    entries.push_back(hvn::test::RandomEntry(random, (i % 50 == 0) ? 3 : 6, 17));
  }
  for (size_t i = 0; i < count / 20000 + 2; ++i) {
    entries.push_back("!!" + hvn::test::RandomEntry(random, 3, 6) + "*!!");
    entries.push_back("!!*" + hvn::test::RandomEntry(random, 3, 6) + "!!");
  }
  return entries;
}

bool ReadWordList(const char* path, std::vector<std::string>* entries) {
  std::ifstream input(path, std::ios::binary);
  if (!input) return false;
  std::string line;
  while (std::getline(input, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.size() > 126 || line.rfind("#!comment:", 0) == 0) continue;
    for (char& c : line) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    entries->push_back(line);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bool from_list = argc == 5 && std::strcmp(argv[1], "--words") == 0;
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: make_dictionary ENTRIES SEED DICTIONARY_FILE WORD_LIST_FILE\n"
                 "       make_dictionary --words INPUT_LIST DICTIONARY_FILE WORD_LIST_FILE\n");
    return 2;
  }
  std::vector<std::string> entries;
  if (from_list) {
    if (!ReadWordList(argv[2], &entries)) {
      std::perror(argv[2]);
      return 1;
    }
  } else {
    entries = RandomEntries(std::strtoull(argv[1], nullptr, 10),
                            static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)));
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
