// The list edits on random "Notification Packages" values of every shape: entries with and
// without "hvn" in any case, values with their final NULs, without them, or with bytes after
// the closing empty string. Every other entry and byte must survive; the output buffers are
// exactly the capacity promised, so the sanitizers catch any overrun.
#include "setup/kestrin/notification_packages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// The list as the LSA reads it: the entries before the first empty string, and the bytes from
// that empty string on.
struct Parsed {
  std::vector<std::string> entries;
  std::string rest;
};

Parsed Parse(const std::string& value) {
  Parsed parsed;
  size_t at = 0;
  while (at < value.size() && value[at] != '\0') {
    size_t nul = value.find('\0', at);
    if (nul == std::string::npos) nul = value.size();
    parsed.entries.push_back(value.substr(at, nul - at));
    at = nul + 1;
  }
  if (at < value.size()) parsed.rest = value.substr(at);
  return parsed;
}

bool NamesFilter(std::string entry) {
  for (char& c : entry) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return entry.find("HVN") != std::string::npos;
}

std::string RandomValue(std::mt19937& random) {
  static const char kLetters[] = "hvnHVNxyz.\xE9\xC9";
  std::string value;
  int entries = std::uniform_int_distribution<int>(0, 6)(random);
  for (int i = 0; i < entries; ++i) {
    int length = std::uniform_int_distribution<int>(1, 8)(random);
    for (int j = 0; j < length; ++j) value += kLetters[random() % (sizeof(kLetters) - 1)];
    value += '\0';
  }
  switch (random() % 4) {
    case 0:
      value += '\0';
      break;  // closed as stored by Windows
    case 1:
      break;  // closing empty string missing
    case 2:
      if (!value.empty()) value.pop_back();
      break;  // last entry without its NUL
    case 3:
      value += std::string("\0tail\0\0", 7);
      break;  // bytes after the closing string
  }
  return value;
}

TEST(NotificationPackages, EditsKeepEveryOtherEntryAndByte) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 5000; ++round) {
    const std::string value = RandomValue(random);
    const Parsed before = Parse(value);
    const bool named = std::any_of(before.entries.begin(), before.entries.end(), NamesFilter);
    EXPECT_EQ(hvn::ListNamesFilter(value.data(), value.size()), named) << round;

    std::unique_ptr<char[]> out(new char[hvn::AppendedListCapacity(value.size())]);
    Parsed added = Parse(
        std::string(out.get(), hvn::AppendFilterPackage(value.data(), value.size(), out.get())));
    std::vector<std::string> expected = before.entries;
    expected.push_back("HVN");
    EXPECT_EQ(added.entries, expected) << round;
    EXPECT_EQ(added.rest, before.rest.empty() ? std::string(1, '\0') : before.rest) << round;

    out.reset(new char[hvn::RemainingListCapacity(value.size())]);
    hvn::RemainingList remaining = hvn::RemoveFilterPackages(value.data(), value.size(), out.get());
    Parsed kept = Parse(std::string(out.get(), remaining.size));
    expected.clear();
    std::copy_if(before.entries.begin(), before.entries.end(), std::back_inserter(expected),
                 [](const std::string& entry) { return !NamesFilter(entry); });
    EXPECT_EQ(kept.entries, expected) << round;
    EXPECT_EQ(remaining.removed, before.entries.size() - expected.size()) << round;
    EXPECT_EQ(kept.rest, before.rest.empty() ? std::string(1, '\0') : before.rest) << round;
  }
}

}  // namespace
