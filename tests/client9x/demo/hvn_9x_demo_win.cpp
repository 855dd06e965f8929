// hvn_9x_demo.exe: the live demonstration's Windows 98 scene. Starts the test policy server
// with a sample policy, starts the 9x client's start-up program HVNc9x.exe (which loads
// HVNc9x.dll and installs the system-wide hook), then opens the Windows 98 "Change Windows
// Password" dialog in a process of its own, tries a weak password and a strong one, and prints
// what happened. Screenshots are asked for as by hvn_winlogon_demo.exe: it writes
// <shots>\<name>.request and waits (bounded) for <shots>\<name>.png.
//
//   hvn_9x_demo.exe --shots FOLDER
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/winlogon_bench.h"
#include "client9x/processes_win.h"
#include "policy_server_process.h"

namespace hvn::test {
namespace {

const wchar_t kWeak[] = L"summer";
const wchar_t kStrong[] = L"Tr4vel-Kite-91";
constexpr int kOldId = 51, kNewId = 52, kConfirmId = 53;  // Windows 98's change dialog

const char kReplies[] =
    "30_POLICY_MESSAGE\t*\t*\treply\tPassword policy of {domain}:\\n- at least 8 characters\\n"
    "- at least one digit\n"
    "30_POLICY\t*\t*\treply\t2600\\t8\\t0\\t0\\a2300\\t1\\t\\t1\\t0\\t0\\t0\\a\n"
    "30_REJECTION_MESSAGE\t*\t*\treply\tYour new password does not meet the password policy "
    "of {domain} (rules {codes}). Choose at least 8 characters with a digit.\n";

std::string g_shots;

std::string Narrow(const std::wstring& text) {
  char buffer[4096] = {};
  ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
  return buffer;
}

bool FileExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Asks scripts/live-demo for a screenshot of the display and waits until it is taken.
void Screenshot(const char* name) {
  if (g_shots.empty()) return;
  std::string request = g_shots + "\\" + name + ".request";
  std::string png = g_shots + "\\" + name + ".png";
  FILE* file = std::fopen(request.c_str(), "wb");
  if (file == nullptr) return;
  std::fclose(file);
  for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 30000; ::Sleep(50))
    if (FileExists(png) && !FileExists(request)) return;
  std::printf("   (no screenshot %s: nobody took it)\n", name);
}

// Shows the box's text, takes a screenshot and closes it. False when no box came.
bool ReadAndCloseBox(const Program& host, const char* shot, std::wstring* text) {
  HWND box = WaitForWindowOf(host.Id(), "#32770", "Halvern", 30000);
  if (box == nullptr) return false;
  *text = MessageBoxText(box);
  Screenshot(shot);
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  for (DWORD start = ::GetTickCount(); ::IsWindow(box) && ::GetTickCount() - start < 10000;)
    ::Sleep(10);
  return true;
}

void Type(HWND dialog, const wchar_t* password, bool press_ok) {
  SetFieldText(::GetDlgItem(dialog, kOldId), L"Old-pass-1");
  SetFieldText(::GetDlgItem(dialog, kNewId), password);
  SetFieldText(::GetDlgItem(dialog, kConfirmId), password);
  if (press_ok)
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
}

int Run() {
  std::printf("== Halvern Client 3.5 on Windows 98: live demonstration ==\n\n");
  PolicyServerProcess server;
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "hvn-9x-demo-server";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  if (server.Start(folder, kReplies) != 0) {
    std::printf("The test policy server did not start.\n");
    return 1;
  }
  std::printf(
      "Policy server: hvn_policy_server.exe on 127.0.0.1:%u; policy: rule 2600 at least 8 "
      "characters, rule 2300 at least one digit.\n",
      server.port());
  WriteClientSettings({"SALES 127.0.0.1"}, server.port(), 2000, 0, 1);
  SetRegistryText(HKEY_LOCAL_MACHINE,
                  "SYSTEM\\CurrentControlSet\\Services\\MSNP32\\NetworkProvider",
                  "AuthenticatingAgent", "SALES");
  std::printf("The workstation logs on to domain SALES (\"AuthenticatingAgent\" = SALES).\n\n");
  ReportWindows98To("HVNc9x.exe");
  ReportWindows98To("hvn_9x_dialog_host.exe");

  const std::string bin = ExecutableFolder();
  auto startup = std::make_unique<Program>("\"" + bin + "HVNc9x.exe\"");
  bool hooked = WaitForWindowOf(startup->Id(), "HVNc9x", "HVNc9x") != nullptr;
  std::printf(
      "System start: HVNc9x.exe runs without a window, HVNc9x.dll loaded, hook "
      "installed: %s\n",
      hooked ? "yes" : "NO");
  std::printf(
      "The user opens Passwords in the Control Panel: \"Change Windows Password\" "
      "(another process).\n\n");
  Program host("\"" + bin + "hvn_9x_dialog_host.exe\" 2");

  std::wstring policy_message, rejection;
  bool policy_shown = ReadAndCloseBox(host, "9x-1-policy-message", &policy_message);
  if (policy_shown)
    std::printf("Policy message shown when the dialog opened:\n   \"%s\"\n\n",
                Narrow(policy_message).c_str());
  HWND dialog = WaitForWindowOf(host.Id(), "#32770", "Change Windows Password (HVN)", 30000);
  std::printf("The hook recognised the dialog in that process; title now: \"%s\"\n\n",
              dialog != nullptr ? "Change Windows Password (HVN)" : "(NOT recognised)");
  bool rejected = false, emptied = false, accepted = false;
  if (dialog != nullptr) {
    Type(dialog, kWeak, false);
    Screenshot("9x-2-dialog");
    Type(dialog, kWeak, true);
    rejected = ReadAndCloseBox(host, "9x-3-rejection", &rejection);
    std::printf("Weak password \"%s\" typed twice and confirmed with OK:\n", Narrow(kWeak).c_str());
    if (rejected) std::printf("   rejection shown:\n   \"%s\"\n", Narrow(rejection).c_str());
    emptied = rejected && FieldText(::GetDlgItem(dialog, kNewId)).empty() &&
              FieldText(::GetDlgItem(dialog, kConfirmId)).empty();
    std::printf("   password fields emptied, dialog kept open: %s\n\n", emptied ? "yes" : "NO");
    Type(dialog, kStrong, true);
    accepted = host.WaitForExit(30000) == 1;
    std::printf("Strong password \"%s\" typed and confirmed:\n   %s\n", Narrow(kStrong).c_str(),
                accepted ? "accepted: the dialog's own OK went ahead and changed the password"
                         : "NOT accepted");
  }
  std::printf("\nRequests the policy server received:\n");
  for (const std::string& line : server.LoggedRequests()) std::printf("   %s\n", line.c_str());

  HWND window = FindWindowOf(startup->Id(), "HVNc9x", "HVNc9x");
  if (window != nullptr) ::SendMessageA(window, WM_ENDSESSION, TRUE, 0);
  bool ended = startup->WaitForExit(10000) == 0;
  std::printf("\nShutdown: HVNc9x.exe answered the end of the session and removed the hook: %s\n",
              ended ? "yes" : "NO");
  server.Stop();
  bool ok = hooked && policy_shown && dialog != nullptr && rejected && emptied && accepted && ended;
  std::printf("\nDemonstration %s.\n", ok ? "complete" : "FAILED");
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace hvn::test

int main(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--shots") == 0) hvn::test::g_shots = argv[i + 1];
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  return hvn::test::Run();
}
