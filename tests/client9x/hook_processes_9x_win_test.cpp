// The shipped HVNc9x.dll and HVNc9x.exe across real processes, with Wine reporting Windows 98:
// the start-up program installs the system-wide hook, 9x password dialogs shown by another
// process are recognised and prepared there, and the check asks the test policy server (a
// process of its own) over UDP. Also: the deliverables as files, and who removes the hook.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "bench/winlogon_bench.h"
#include "client9x/processes_win.h"
#include "platform/win.h"
#include "policy_server_process.h"
#include "support/process_files.h"
#include "support/temp_dir.h"

namespace hvn::test {
namespace {

constexpr char kNetworkProviderKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\MSNP32\\NetworkProvider";
constexpr int kAlreadyRunning = 183;
// Ids of the expired dialog's new and confirm fields in the test layout (found by position).
constexpr int kExpiredNewId = 202;
constexpr int kExpiredConfirmId = 203;

// At least 8 characters (rule 2600) with a digit (rule 2300), for domain SALES only.
const char kReplies[] =
    "30_POLICY\tSALES\t*\treply\t2600\\t8\\t0\\t0\\a2300\\t1\\t\\t1\\t0\\t0\\t0\\a\n"
    "30_REJECTION_MESSAGE\tSALES\t*\treply\t{user} of {domain}: refused by rules {codes}.\n";

const std::string kLibrary = WindowsPath(HVN_9X_LIBRARY);
const std::string kStartup = WindowsPath(HVN_9X_STARTUP);
const std::string kDialogHost = WindowsPath(HVN_9X_DIALOG_HOST);
const std::string kKernelSeam = WindowsPath(HVN_9X_KERNEL_SEAM);

// Waits until the condition holds, at most 10 s.
template <typename Condition>
bool Eventually(Condition condition) {
  const DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > 10000) return condition();
    ::Sleep(5);
  }
  return true;
}

// One 9x dialog kind: the built-in row that shows it and its fields' ids (0: none).
struct Kind9x {
  const char* name;
  int row;
  const char* title;
  int old_id, new_id, confirm_id;
};
const Kind9x kKinds[] = {
    {"CHANGE_9X_3", 1, "Set Windows Password", 5000, 40, 41},
    {"CHANGE_9X_4_9_11", 2, "Change Windows Password", 51, 52, 53},
    {"EXPIRED_NW", 5, "Change Password", 0, kExpiredNewId, kExpiredConfirmId},
};

class HookProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* program : {"HVNc9x.exe", "hvn_9x_dialog_host.exe"}) ReportWindows98To(program);
    SetRegistryText(HKEY_LOCAL_MACHINE, kNetworkProviderKey, "AuthenticatingAgent", "SALES");
    ASSERT_EQ(server_.Start(folder_.path(), kReplies), 0u);
    WriteClientSettings({"SALES 127.0.0.1"}, server_.port(), 2000, 0, 0);
  }
  void TearDown() override { DeleteClientSettings(); }

  // Starts the start-up program and waits until it runs with the library loaded.
  std::unique_ptr<Program> StartStartupProgram() {
    auto program = std::make_unique<Program>("\"" + kStartup + "\"");
    EXPECT_TRUE(program->Started());
    EXPECT_NE(WaitForWindowOf(program->Id(), "HVNc9x", "HVNc9x"), nullptr);
    return program;
  }

  // Ends the session for the start-up program: it agrees, ends and removes the hook.
  void EndSession(Program& program) {
    HWND window = FindWindowOf(program.Id(), "HVNc9x", "HVNc9x");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::SendMessageA(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    ::SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
  }

  // Shows row `row`'s dialog in a process of its own and waits until the hook has prepared it
  // there (its title carries the mark); nullptr when it was not prepared.
  HWND ShowPreparedDialog(Program& host, const std::string& title) {
    return WaitForWindowOf(host.Id(), "#32770", title + " (HVN)");
  }

  void Type(HWND dialog, const Kind9x& kind, const wchar_t* password) {
    if (kind.old_id != 0) SetFieldText(::GetDlgItem(dialog, kind.old_id), L"0ld-pass");
    SetFieldText(::GetDlgItem(dialog, kind.new_id), password);
    SetFieldText(::GetDlgItem(dialog, kind.confirm_id), password);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
  }

  TempDir folder_;
  PolicyServerProcess server_;
};

TEST_F(HookProcessesTest, DeliverablesImportSystemModulesOnlyAndCarryTheVersion) {
  for (const std::string& path : {kLibrary, kStartup}) {
    SCOPED_TRACE(path);
    // Mapped without running the library entry (which would install the hook).
    HMODULE image = ::LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(image, nullptr);
    auto* base = reinterpret_cast<const BYTE*>(image);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
      std::string name = reinterpret_cast<const char*>(base + entry->Name);
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      EXPECT_TRUE(name == "KERNEL32.DLL" || name == "USER32.DLL" || name == "ADVAPI32.DLL" ||
                  name == "MSVCRT.DLL" || name == "WSOCK32.DLL")
          << name;
    }
    ::FreeLibrary(image);

    DWORD ignored = 0;
    std::vector<char> info(::GetFileVersionInfoSizeA(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(
        ::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    char* version = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\FileVersion",
                                 reinterpret_cast<void**>(&version), &length));
    EXPECT_STREQ(version, "3, 5, 0, 1");
  }
}

TEST_F(HookProcessesTest, StartupProgramPreparesTheDialogsOfOtherProcesses) {
  auto startup = StartStartupProgram();
  {
    Program second("\"" + kStartup + "\"");
    EXPECT_EQ(second.WaitForExit(10000), static_cast<DWORD>(kAlreadyRunning));
  }
  size_t requests = 0;
  for (const Kind9x& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    Program host("\"" + kDialogHost + "\" " + std::to_string(kind.row));
    HWND dialog = ShowPreparedDialog(host, kind.title);
    ASSERT_NE(dialog, nullptr);

    Type(dialog, kind, L"abc");
    HWND box = WaitForWindowOf(host.Id(), "#32770", "Halvern");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"HVN_DefaultUser of SALES: refused by rules 2300, 2600.");
    EXPECT_EQ(::GetWindow(box, GW_OWNER), nullptr);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(Eventually([&] { return !::IsWindow(box); }));
    if (kind.old_id != 0) {
      EXPECT_EQ(FieldText(::GetDlgItem(dialog, kind.old_id)), L"");
    }
    EXPECT_EQ(FieldText(::GetDlgItem(dialog, kind.new_id)), L"");
    EXPECT_EQ(FieldText(::GetDlgItem(dialog, kind.confirm_id)), L"");
    EXPECT_EQ(host.WaitForExit(0), STILL_ACTIVE);

    Type(dialog, kind, L"Tr4vel-Kite-91");
    EXPECT_EQ(host.WaitForExit(10000), 1u);  // the dialog's own OK handler ran

    requests += 3;
    ASSERT_TRUE(server_.WaitForLoggedRequests(requests, 10000));
    std::vector<std::string> logged = server_.LoggedRequests();
    EXPECT_EQ(std::vector<std::string>(logged.end() - 3, logged.end()),
              (std::vector<std::string>{
                  "30_POLICY\\0SALES\\0HVN_DefaultUser\\0",
                  "30_REJECTION_MESSAGE\\0SALES\\0HVN_DefaultUser\\02300\\02600\\0\\0",
                  "30_POLICY\\0SALES\\0HVN_DefaultUser\\0",
              }));
  }
  EndSession(*startup);
}

// The start-up program asks KERNEL32 for RegisterServiceProcess, so that a log-off does not
// end it, and runs on where the function is missing. A test library loaded in place of the
// client library answers the program's lookups and writes down what it was asked.
TEST_F(HookProcessesTest, StartupProgramRegistersAsAServiceProcessWhereTheKernelCan) {
  struct Case {
    const char* kernel;
    const char* log;
  };
  const Case cases[] = {
      {"has it", "asked\r\nregistered 0 1\r\n"},
      {"lacks it", "asked\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kernel);
    TempDir folder;
    const std::string program_path = folder.path() + "\\HVNc9x.exe";
    ASSERT_TRUE(::CopyFileA(kStartup.c_str(), program_path.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA(kKernelSeam.c_str(), (folder.path() + "\\HVNc9x.dll").c_str(), FALSE));
    ::SetEnvironmentVariableA("HVN_TEST_KERNEL", c.kernel);
    Program program("\"" + program_path + "\"");
    ::SetEnvironmentVariableA("HVN_TEST_KERNEL", nullptr);
    ASSERT_NE(WaitForWindowOf(program.Id(), "HVNc9x", "HVNc9x"), nullptr);
    EndSession(program);
    EXPECT_EQ(ReadFileText(folder.path() + "\\service.log"), c.log);
  }
}

TEST_F(HookProcessesTest, OnlyTheProcessThatInstalledTheHookRemovesIt) {
  HMODULE library = ::LoadLibraryA(kLibrary.c_str());  // no hook yet: this process installs it
  ASSERT_NE(library, nullptr);
  for (int round = 0; round < 2; ++round) {
    // The first host's process detaches the library as it ends; the hook stays.
    SCOPED_TRACE(round);
    Program host("\"" + kDialogHost + "\" 3");
    EXPECT_NE(ShowPreparedDialog(host, "Change Password"), nullptr);
  }
  ::FreeLibrary(library);  // the installer detaches: the hook goes and the handle is emptied

  auto startup = StartStartupProgram();  // so the next process installs it again
  {
    Program host("\"" + kDialogHost + "\" 3");
    EXPECT_NE(ShowPreparedDialog(host, "Change Password"), nullptr);
  }
  EndSession(*startup);
}

}  // namespace
}  // namespace hvn::test
