// The logon-provider chain on the real registry, with Wine reporting Windows XP. Each row is
// the Winlogon values before and after; the operations work on a test tree of their own.
// Files of the system directory are real: a provider dropped there, and the client library
// held by another process.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bench/winlogon_bench.h"
#include "config/system_files.h"
#include "platform/win.h"
#include "setup/logon_chain.h"
#include "setup/registry_state_win.h"

namespace hvn {
namespace {

using test::DeleteKeyRecursively;
using test::RegistryState;

constexpr char kWinlogon[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kTestProvider[] = "HVNTESTPROVIDER.DLL";

std::string SystemPath(const char* name) {
  char path[MAX_PATH];
  EXPECT_TRUE(SystemDirectoryPath(name, path, sizeof(path)));
  return path;
}

// A file in the system directory for the life of the test.
class SystemFile {
 public:
  explicit SystemFile(const char* name, const std::string& source = "") : path_(SystemPath(name)) {
    if (source.empty()) {
      HANDLE file = ::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
      EXPECT_NE(file, INVALID_HANDLE_VALUE);
      ::CloseHandle(file);
    } else {
      EXPECT_TRUE(::CopyFileA(source.c_str(), path_.c_str(), FALSE));
    }
  }
  ~SystemFile() { ::DeleteFileA(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Runs `hvn_hold_library.exe`, which loads a library and keeps it loaded until told to stop.
class LibraryHolder {
 public:
  explicit LibraryHolder(const std::string& library) {
    ready_ = ::CreateEventA(nullptr, TRUE, FALSE, "hvn_setup_test_holder_ready");
    release_ = ::CreateEventA(nullptr, TRUE, FALSE, "hvn_setup_test_holder_release");
    std::string command =
        "\"" + test::ExecutableFolder() + "hvn_hold_library.exe\" \"" + library + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    EXPECT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process_));
    EXPECT_EQ(::WaitForSingleObject(ready_, 20000), WAIT_OBJECT_0) << "the holder never loaded it";
  }
  ~LibraryHolder() {
    ::SetEvent(release_);
    ::WaitForSingleObject(process_.hProcess, 20000);
    ::CloseHandle(process_.hProcess);
    ::CloseHandle(process_.hThread);
    ::CloseHandle(ready_);
    ::CloseHandle(release_);
  }

 private:
  HANDLE ready_ = nullptr;
  HANDLE release_ = nullptr;
  PROCESS_INFORMATION process_ = {};
};

const char* Name(ActivationResult result) {
  const char* const kNames[] = {"success", "already active", "read failure", "write failure"};
  return kNames[static_cast<int>(result)];
}

struct ChainRow {
  const char* what;
  const char* gina_before;  // null: absent
  const char* rem_before;
  ActivationResult result;
  const char* gina_after;
  const char* rem_after;
};

class LogonChainTest : public test::RegistryTest {
 protected:
  void Run(ActivationResult (*operation)(HKEY), const ChainRow& row) {
    ApplyState(tree_, {{kWinlogon, "GinaDLL", row.gina_before},
                       {kWinlogon, "REM_GinaDLL", row.rem_before}});
    EXPECT_STREQ(Name(operation(tree_.root())), Name(row.result)) << row.what;
    ExpectState(tree_,
                {{kWinlogon, "GinaDLL", row.gina_after}, {kWinlogon, "REM_GinaDLL", row.rem_after}},
                row.what);
  }
};

constexpr ActivationResult kOk = ActivationResult::kSuccess;
const std::string kLongName(300, 'n');

TEST_F(LogonChainTest, ActivationPutsTheClientAtTheHead) {
  const ChainRow rows[] = {
      {"not installed", nullptr, nullptr, kOk, "HVNC32.DLL", nullptr},
      {"a stale saved provider", nullptr, "OLD.DLL", kOk, "HVNC32.DLL", nullptr},
      {"the standard provider", "MSGINA.DLL", "OLD.DLL", kOk, "HVNC32.DLL", nullptr},
      {"the standard provider in other case", "msgina.dll", nullptr, kOk, "HVNC32.DLL",
       "msgina.dll"},
      {"another provider", "OTHER.DLL", "MSGINA.DLL", kOk, "HVNC32.DLL", "OTHER.DLL"},
      {"the client", "HVNC32.DLL", "OTHER.DLL", ActivationResult::kAlreadyActive, "HVNC32.DLL",
       "OTHER.DLL"},
      {"the client with a path", "C:\\WINDOWS\\system32\\hvnc32.dll", nullptr,
       ActivationResult::kAlreadyActive, "C:\\WINDOWS\\system32\\hvnc32.dll", nullptr},
      {"a head too long to read", kLongName.c_str(), "OTHER.DLL", ActivationResult::kReadFailure,
       kLongName.c_str(), "OTHER.DLL"},
  };
  for (const ChainRow& row : rows) Run(ActivateLogonChain, row);
}

TEST_F(LogonChainTest, DeactivationGivesTheHeadBack) {
  SystemFile provider(kTestProvider);
  SystemFile client("HVNC32.DLL");
  const std::string provider_with_path = provider.path();
  const std::string name_beyond_any_path(259, 'p');
  const ChainRow rows[] = {
      {"active, default successor", "HVNC32.DLL", nullptr, kOk, nullptr, nullptr},
      {"active, standard successor", "hvnc32.dll", "MSGINA.DLL", kOk, nullptr, nullptr},
      {"active in front of a present provider", "HVNC32.DLL", kTestProvider, kOk, kTestProvider,
       nullptr},
      {"the client with a path", "C:\\x\\HVNc32.dll", kTestProvider, kOk, kTestProvider, nullptr},
      {"active in front of a removed provider", "HVNC32.DLL", "GONE.DLL", kOk, nullptr, nullptr},
      {"a saved provider with a path", "HVNC32.DLL", provider_with_path.c_str(), kOk,
       provider_with_path.c_str(), nullptr},
      {"a saved path to a removed provider", "HVNC32.DLL", "C:\\gone\\GINA.DLL", kOk, nullptr,
       nullptr},
      {"a saved name that is the client", "HVNC32.DLL", "HVNc32.dll", kOk, nullptr, nullptr},
      {"a saved name longer than any path", "HVNC32.DLL", name_beyond_any_path.c_str(), kOk,
       nullptr, nullptr},
      {"another provider at the head", "OTHER.DLL", "HVNC32.DLL", kOk, "OTHER.DLL", "HVNC32.DLL"},
      {"not installed", nullptr, "OLD.DLL", kOk, nullptr, "OLD.DLL"},
      {"a saved name too long to read", "HVNC32.DLL", kLongName.c_str(),
       ActivationResult::kReadFailure, "HVNC32.DLL", kLongName.c_str()},
  };
  for (const ChainRow& row : rows) Run(DeactivateLogonChain, row);
}

// A Winlogon key that is missing under a volatile parent cannot be created: the new chain
// is not written, and nothing else is.
TEST_F(LogonChainTest, ActivationThatCannotWriteReportsAWriteFailure) {
  test::CreateVolatileKey(tree_, "SOFTWARE\\Microsoft\\Windows NT", "CurrentVersion");
  EXPECT_EQ(ActivateLogonChain(tree_.root()), ActivationResult::kWriteFailure);
  EXPECT_FALSE(tree_.KeyExists(kWinlogon));
}

TEST_F(LogonChainTest, DeactivationIsSafeOnlyBehindAHarmlessHead) {
  struct Row {
    const char* gina;
    bool safe;
  } rows[] = {
      {nullptr, true},      {"MSGINA.DLL", true},       {"msgina.dll", true},
      {"HVNC32.DLL", true}, {"hvnc32.dll", true},       {"C:\\x\\HVNC32.DLL", false},
      {"OTHER.DLL", false}, {kLongName.c_str(), false},
  };
  for (const Row& row : rows) {
    ApplyState(tree_, {{kWinlogon, "GinaDLL", row.gina}, {kWinlogon, "REM_GinaDLL", "X.DLL"}});
    EXPECT_EQ(IsDeactivationSafe(tree_.root()), row.safe) << (row.gina ? row.gina : "absent");
  }
  DeleteKeyRecursively(tree_.root(), kWinlogon);
  EXPECT_FALSE(IsDeactivationSafe(tree_.root())) << "no Winlogon key";
}

// Whether reactivating is unsafe depends on the client library in the system directory:
// missing or free, always safe; held by another process, safe only behind a harmless head.
TEST_F(LogonChainTest, RecursiveLoadTestLooksAtTheHeadOnlyWhileTheClientIsInUse) {
  struct Row {
    const char* gina;
    bool unsafe_when_held;
  } rows[] = {
      {nullptr, false},          {"MSGINA.DLL", false}, {"msgina.dll", false},
      {"HVNC32.DLL", false},     {"OTHER.DLL", true},   {"C:\\x\\hvnc32.dll", true},
      {kLongName.c_str(), true},
  };
  auto check_all = [&](const char* library_state, bool held) {
    for (const Row& row : rows) {
      ApplyState(tree_, {{kWinlogon, "GinaDLL", row.gina}});
      EXPECT_EQ(RecursiveLoadTest(tree_.root()), held && row.unsafe_when_held)
          << library_state << ", GinaDLL " << (row.gina ? row.gina : "absent");
    }
  };
  ::DeleteFileA(SystemPath("HVNC32.DLL").c_str());
  check_all("library missing", false);
  {
    SystemFile client("HVNC32.DLL", test::ExecutableFolder() + "HVNc32.dll");
    check_all("library free", false);
    LibraryHolder holder(client.path());
    check_all("library held", true);
    DeleteKeyRecursively(tree_.root(), kWinlogon);
    EXPECT_TRUE(RecursiveLoadTest(tree_.root())) << "library held, no Winlogon key";
  }
}

// A file exists only when named whole; it is in use only while another process holds it (a
// sharing violation). The host's /proc/sys/kernel/osrelease can be read but not written, even by
// root: it stands for a read-only copy of the client library, whose refused write access says
// nothing about who holds it.
TEST(SystemFiles, FileExistsAndIsFileInUse) {
  SystemFile provider(kTestProvider);
  char directory[MAX_PATH];
  ASSERT_NE(::GetSystemDirectoryA(directory, sizeof(directory)), 0u);
  struct Row {
    std::string path;
    bool exists;
  } rows[] = {
      {provider.path(), true},
      {"Z:\\proc\\sys\\kernel\\osrelease", true},
      {"", false},
      {directory, false},  // a folder is no file
      {provider.path() + ".missing", false},
      {std::string(directory) + "\\" + std::string(MAX_PATH, 'x'), false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FileExists(row.path.c_str()), row.exists) << row.path;
    EXPECT_FALSE(IsFileInUse(row.path.c_str())) << row.path;
  }
  EXPECT_FALSE(FileExists(nullptr));
  // Held as a process that loaded the library holds it.
  HANDLE held = ::CreateFileA(provider.path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(IsFileInUse(provider.path().c_str()));
  ::CloseHandle(held);

  // A path that would not fit is refused, never cut to a name of another file.
  char small[8];
  EXPECT_FALSE(SystemDirectoryPath(kTestProvider, small, sizeof(small)));
  EXPECT_STREQ(small, "");
  char exact[MAX_PATH];
  size_t needed = std::strlen(directory) + 1 + std::strlen(kTestProvider) + 1;
  EXPECT_TRUE(SystemDirectoryPath(kTestProvider, exact, needed));
  EXPECT_FALSE(SystemDirectoryPath(kTestProvider, exact, needed - 1));
}

}  // namespace
}  // namespace hvn
