// Rule 3000 side by side: the literal bisection per substring (reference), the product's
// search, and libpwquality's pwquality_check on a cracklib dictionary packed from the same
// words. One benchmark per dictionary size, password length and implementation; the counters
// are per check: calls through the platform's file reads, bytes read and full-file searches.
//
// Dictionaries come from the environment (scripts/bench generates them):
//   HVN_BENCH_DICTIONARIES="100k=/path/a.dic;1M=/path/b.dic;10M=/path/c.dic"
//   HVN_BENCH_CRACKLIB="100k=/path/a;1M=/path/b;10M=/path/c"   (cracklib dictionary prefixes)
#include <benchmark/benchmark.h>
#include <pwquality.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/read_only_file.h"
#include "policy/check_context.h"
#include "policy/dictionary_rule.h"
#include "policy/dictionary_search.h"
#include "policy/reference/reference_dictionary.h"

namespace {

// The worst case the targets name: every pass runs, with the default window of five.
constexpr uint32_t kBidir = 1;
constexpr uint32_t kSubstitute = 1;
constexpr uint32_t kTolerance = 4;
constexpr uint32_t kWildcard = 1;
constexpr int kLengths[] = {8, 16, 32, 64, 127};

std::vector<std::pair<std::string, std::string>> ParseList(const char* variable) {
  std::vector<std::pair<std::string, std::string>> list;
  const char* value = std::getenv(variable);
  if (value == nullptr) return list;
  std::stringstream stream(value);
  std::string item;
  while (std::getline(stream, item, ';')) {
    size_t equals = item.find('=');
    if (equals != std::string::npos)
      list.emplace_back(item.substr(0, equals), item.substr(equals + 1));
  }
  return list;
}

std::u16string Widen(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

void Prepare(hvn::CheckContext& context, const std::string& password) {
  std::u16string wide = Widen(password);
  hvn::PrepareCheckContext(context, u"user", 8, nullptr, 0, wide.data(),
                           static_cast<uint32_t>(wide.size() * 2), nullptr, 0);
}

// A password of `length` characters that no pass finds in the dictionary: random letters,
// digits and punctuation, drawn again until the product passes it.
std::string PasswordMatchingNothing(const std::string& path, int length) {
  static const char kCharacters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!@#$%^&*()-_=+[]{};:,.<>/?";
  std::mt19937 random(static_cast<uint32_t>(length) * 7919u + 17u);
  static hvn::CheckContext context;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string password;
    for (int i = 0; i < length; ++i) password += kCharacters[random() % (sizeof(kCharacters) - 1)];
    Prepare(context, password);
    if (hvn::CheckDictionary(context, path.c_str(), kBidir, kSubstitute, kTolerance, kWildcard) ==
        hvn::RuleOutcome::kPassed) {
      return password;
    }
  }
  std::fprintf(stderr, "no password of %d characters passes %s\n", length, path.c_str());
  std::exit(1);
}

enum class Implementation { kReference, kProduct, kPwquality };

void RunCheck(benchmark::State& state, Implementation implementation, std::string path,
              std::string password) {
  static hvn::CheckContext context;
  Prepare(context, password);
  pwquality_settings_t* settings = nullptr;
  if (implementation == Implementation::kPwquality) {
    settings = pwquality_default_settings();
    pwquality_set_str_value(settings, PWQ_SETTING_DICT_PATH, path.c_str());
    pwquality_set_int_value(settings, PWQ_SETTING_DICT_CHECK, 1);
  }
  hvn::platform::ResetFileIoCounters();
  hvn::ResetDictionarySearchTotals();
  hvn::reference::ResetFullRangeSearches();
  hvn::RuleOutcome outcome = hvn::RuleOutcome::kPassed;
  for (auto _ : state) {
    switch (implementation) {
      case Implementation::kReference:
        outcome = hvn::reference::CheckDictionary(context, path.c_str(), kBidir, kSubstitute,
                                                  kTolerance, kWildcard);
        break;
      case Implementation::kProduct:
        outcome =
            hvn::CheckDictionary(context, path.c_str(), kBidir, kSubstitute, kTolerance, kWildcard);
        break;
      case Implementation::kPwquality: {
        void* aux = nullptr;
        int score = pwquality_check(settings, password.c_str(), nullptr, nullptr, &aux);
        // Any other refusal would have skipped the dictionary check, which is what is timed.
        if (score < 0 && score != PWQ_ERROR_CRACKLIB_CHECK) {
          state.SkipWithError("pwquality refused the password before its dictionary check");
        }
        outcome = score == PWQ_ERROR_CRACKLIB_CHECK ? hvn::RuleOutcome::kFailed
                                                    : hvn::RuleOutcome::kPassed;
        break;
      }
    }
    benchmark::DoNotOptimize(outcome);
  }
  if (settings != nullptr) pwquality_free_settings(settings);
  if (implementation != Implementation::kPwquality && outcome != hvn::RuleOutcome::kPassed) {
    state.SkipWithError("the password was found: it must match nothing");
  }
  double checks = static_cast<double>(state.iterations());
  const hvn::platform::FileIoCounters& io = hvn::platform::GetFileIoCounters();
  state.counters["reads"] = static_cast<double>(io.reads) / checks;
  state.counters["bytes"] = static_cast<double>(io.bytes_read) / checks;
  double full = implementation == Implementation::kReference
                    ? static_cast<double>(hvn::reference::FullRangeSearches())
                    : static_cast<double>(hvn::GetDictionarySearchTotals().full_range_searches);
  state.counters["full_searches"] = full / checks;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  auto dictionaries = ParseList("HVN_BENCH_DICTIONARIES");
  std::map<std::string, std::string> cracklib;
  for (auto& [size, prefix] : ParseList("HVN_BENCH_CRACKLIB")) cracklib[size] = prefix;
  if (dictionaries.empty()) {
    std::fprintf(stderr, "HVN_BENCH_DICTIONARIES names no dictionary (see scripts/bench)\n");
    return 2;
  }
  for (auto& [size, path] : dictionaries) {
    for (int length : kLengths) {
      std::string password = PasswordMatchingNothing(path, length);
      std::string name = "check/" + size + "/" + std::to_string(length) + "/";
      benchmark::RegisterBenchmark((name + "reference").c_str(), RunCheck,
                                   Implementation::kReference, path, password)
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark((name + "product").c_str(), RunCheck, Implementation::kProduct,
                                   path, password)
          ->Unit(benchmark::kMillisecond);
      if (cracklib.count(size) != 0) {
        benchmark::RegisterBenchmark((name + "pwquality").c_str(), RunCheck,
                                     Implementation::kPwquality, cracklib[size], password)
            ->Unit(benchmark::kMillisecond);
      }
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
