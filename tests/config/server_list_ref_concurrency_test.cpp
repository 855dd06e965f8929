// A dialog handler on another thread may still query with the server list while the next
// watched call reloads the settings. One thread reloads in a loop while the value changes
// between two lists and disappears; another takes the list and reads it each time. Every
// list a reader sees must be whole (one of the stored lists) while it holds it; the native
// build runs this under AddressSanitizer, which catches any list freed too early.
#include <atomic>
#include <string>

#include "config/client_settings.h"
#include "config/registry_test_key.h"
#include "config/test_thread.h"

namespace hvn {
namespace {

using test::RegistryTest;
using ServerListConcurrencyTest = RegistryTest;

TEST_F(ServerListConcurrencyTest, ReadersKeepWholeListsWhileLoadsReplaceThem) {
  const std::string lists[] = {
      std::string("FIRST 10.0.0.1\0FIRST 10.0.0.2\0\0", 31),
      std::string("SECOND a-much-longer-host-name.example\0\0", 40),
  };
  ClientSettings settings;
  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  std::atomic<int> bad_reads{0};
#ifdef _WIN32
  constexpr int kLoads = 60;  // every load is several round trips to the Wine server
#else
  constexpr int kLoads = 300;
#endif

  test::TestThread reader([&] {
    while (!done.load()) {
      ServerListRef list = settings.Servers();
      if (list) {
        std::string seen(list.Get(), list.Size());
        // Read it a second time later while still holding it: it must not have changed.
        std::string again(list.Get(), list.Size());
        if ((seen != lists[0] && seen != lists[1]) || seen != again) ++bad_reads;
      }
      ++reads;
    }
  });
  for (int i = 0; i < kLoads; ++i) {
    if (i % 3 == 2) {
      tree_.DeleteValue("", "HVServers");
    } else {
      tree_.SetValue("", "HVServers", REG_MULTI_SZ, lists[i % 2]);
    }
    settings.Load(tree_.root(), "");
  }
  // Let the reader run at least a few rounds before stopping it.
  while (reads.load() < 10) {
  }
  done.store(true);
  reader.Join();
  EXPECT_EQ(bad_reads.load(), 0);
  EXPECT_GT(reads.load(), 0);
}

}  // namespace
}  // namespace hvn
