// Fuzzes the admission of a dictionary path named by a policy reply against a folder list:
// the first input byte splits the rest into the path and the list (both as received, not
// necessarily terminated). Whatever is admitted must be canonical and inside a listed folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "policy/dictionary_folders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using hvn::DictionaryPathVerdict;
  if (size == 0) return 0;
  size_t split = data[0] % size;
  const char* rest = reinterpret_cast<const char*>(data + 1);
  size_t rest_size = size - 1;
  if (split > rest_size) split = rest_size;
  // The path terminated, as the policy parser leaves it; the list exactly as stored.
  auto path = std::make_unique<char[]>(split + 1);
  std::memcpy(path.get(), rest, split);
  path[split] = '\0';
  size_t list_size = rest_size - split;
  auto list = std::make_unique<char[]>(list_size == 0 ? 1 : list_size);
  std::memcpy(list.get(), rest + split, list_size);

  char canonical[hvn::kPathSize];
  DictionaryPathVerdict verdict =
      hvn::AdmitDictionaryPath(path.get(), list.get(), list_size, canonical);
  if (verdict != DictionaryPathVerdict::kAdmitted) {
    if (canonical[0] != '\0') std::abort();
  } else {
    char again[hvn::kPathSize];
    if (hvn::CanonicalizeDictionaryPath(canonical, again, sizeof(again)) !=
            DictionaryPathVerdict::kAdmitted ||
        std::strcmp(again, canonical) != 0) {
      std::abort();
    }
  }
  char diagnostic[hvn::kDictionaryDiagnosticSize];
  hvn::ComposeDictionaryDiagnostic(verdict, path.get(), diagnostic);
  if (std::strlen(diagnostic) >= sizeof(diagnostic)) std::abort();
  return 0;
}
