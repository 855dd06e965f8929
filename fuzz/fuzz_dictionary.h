// A small sorted dictionary written once per fuzzing process, for targets that evaluate
// rule 3000 without letting arbitrary input name the file to open.
#ifndef HVN_FUZZ_FUZZ_DICTIONARY_H_
#define HVN_FUZZ_FUZZ_DICTIONARY_H_

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace hvn::fuzz {

inline const std::string& SmallDictionaryPath() {
  static const std::string path = [] {
    char name[] = "/tmp/hvn-fuzz-dictionary-XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) std::abort();
    static const char kContents[] =
        "WORDS\r\n!!*123!!\r\n!!QWE*!!\r\n12345\r\nADMIN\r\nDRAGON\r\nLETMEIN\r\nMONKEY\r\n"
        "PASSWORD\r\nQWERTY\r\nSUNSHINE\r\nWELCOME\r\n";
    if (write(fd, kContents, sizeof(kContents) - 1) != static_cast<ssize_t>(sizeof(kContents) - 1))
      std::abort();
    close(fd);
    return std::string(name);
  }();
  return path;
}

}  // namespace hvn::fuzz

#endif  // HVN_FUZZ_FUZZ_DICTIONARY_H_
