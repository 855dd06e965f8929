// hvn_winlogon_demo.exe: the live demonstration. Plays Winlogon for HVNc32.dll on a real
// display, keeps a sample policy in the registry and serves it with `hvnpolicy.exe serve`, as
// an administrator would, opens the change-password
// dialog of the chained test provider, tries a weak password and then a strong one, and prints
// what happened; then stops the server and changes the password once more. The events HVNc32
// wrote meanwhile are shown as the Event Viewer shows them (read back from Wine's debug output,
// the file scripts/live-demo names in HVN_TEST_OUTPUT). At three moments it asks for a
// screenshot: it writes <shots>\<name>.request and waits (bounded) for <shots>\<name>.png,
// which scripts/demo takes with the X display.
//
//   hvn_winlogon_demo.exe --shots FOLDER
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/reg_file.h"
#include "bench/winlogon_bench.h"
#include "hvnpolicy_process_win.h"
#include "support/reported_events_win.h"

namespace hvn::test {
namespace {

constexpr char kProvider[] = "hvn_gina_required12.dll";
constexpr char kDictionaryFolder[] = "C:\\hvndemo";
constexpr char kDictionaryPath[] = "C:\\hvndemo\\dictionary.txt";
const wchar_t kWeak[] = L"summerjdoe";
const wchar_t kStrong[] = L"Tr4vel-Kite-91";
const wchar_t kUnchecked[] = L"Sunny-Ridge-47";

// The sample policy: what each rule of it asks, by code.
struct SampleRule {
  const char* code;
  const char* description;
};
const SampleRule kSampleRules[] = {
    {"2300", "at least one digit"},
    {"2600", "at least 8 characters"},
    {"2800", "no run of 4 characters shared with the user name (also reversed)"},
    {"3000", "no dictionary word of 5 or more characters inside it"},
};

constexpr char kPolicyKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvex\\hvnpolicy";

// The sample policy in the registry form, with its texts and templates, as an administrator
// writes it (and imports it with the registry editor).
const char kSamplePolicy[] =
    "REGEDIT4\r\n"
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvex\\hvnpolicy]\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvex\\hvnpolicy\\Policies\\Sales staff]\r\n"
    "\"2300_Enabled\"=dword:00000001\r\n"
    "\"2300_MustContain\"=dword:00000001\r\n"
    "\"2300_MinCount\"=dword:00000001\r\n"
    "\"2300msg_Pol\"=\"- at least one digit\"\r\n"
    "\"2300msg_Rej\"=\"- it has no digit\"\r\n"
    "\"2600_Enabled\"=dword:00000001\r\n"
    "\"2600_MinLength\"=dword:00000008\r\n"
    "\"2600msg_Pol\"=\"- at least 8 characters\"\r\n"
    "\"2600msg_Rej\"=\"- it is shorter than 8 characters\"\r\n"
    "\"2800_Enabled\"=dword:00000001\r\n"
    "\"2800_Bidir\"=dword:00000001\r\n"
    "\"2800_Tolerance\"=dword:00000003\r\n"
    "\"2800msg_Pol\"=\"- nothing like your user name\"\r\n"
    "\"2800msg_Rej\"=\"- it looks like your user name\"\r\n"
    "\"3000_Enabled\"=dword:00000001\r\n"
    "\"3000_ServerDictFile\"=\"C:\\\\hvndemo\\\\dictionary.txt\"\r\n"
    "\"3000_Substitute\"=dword:00000001\r\n"
    "\"3000_Tolerance\"=dword:00000004\r\n"
    "\"3000msg_Pol\"=\"- no dictionary word\"\r\n"
    "\"3000msg_Rej\"=\"- it contains a dictionary word\"\r\n"
    "\"MsgPolTemplate\"=\"Password policy of {domain}:{nl}{rules}\"\r\n"
    "\"MsgRejTemplate\"=\"{user}, your new password does not meet the password policy of "
    "{domain} (rules {codes}):{nl}{rules}\"\r\n";

std::string g_shots;

std::string Narrow(const std::wstring& text) {
  char buffer[8192] = {};
  ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
  return buffer;
}

bool FileExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Asks scripts/demo for a screenshot of the display and waits until it is taken.
void Screenshot(const char* name) {
  if (g_shots.empty()) return;
  std::string request = g_shots + "\\" + name + ".request";
  std::string png = g_shots + "\\" + name + ".png";
  FILE* file = std::fopen(request.c_str(), "wb");
  if (file == nullptr) return;
  std::fclose(file);
  if (!WaitUntil([&] { return FileExists(png) && !FileExists(request); }, 30000))
    std::printf("   (no screenshot %s: nobody took it)\n", name);
}

void WriteDictionary() {
  ::CreateDirectoryA(kDictionaryFolder, nullptr);
  FILE* file = std::fopen(kDictionaryPath, "wb");
  if (file == nullptr) return;
  // The first line is never an entry; the entries are sorted and in capitals.
  std::fputs(
      "SAMPLE DICTIONARY\r\nDRAGON\r\nLETMEIN\r\nMONKEY\r\nPASSWORD\r\nSUMMER\r\n"
      "SUNSHINE\r\n",
      file);
  std::fclose(file);
}

void ScreenshotBox(const RecordedBox&, void*) {
  static int boxes = 0;
  ++boxes;
  Screenshot(boxes == 1 ? "1-policy-message" : "3-rejection");
}

struct DemoRun {
  DemoRun(TestGinaControl* gina_control, WinlogonBench* winlogon)
      : gina(gina_control), bench(winlogon) {}
  TestGinaControl* gina;
  WinlogonBench* bench;
  bool intercepted = false;
  bool rejected = false;
  bool fields_emptied = false;
  bool closed = false;
};

void DriveTheDialog(void* data) {
  auto* run = static_cast<DemoRun*>(data);
  DialogDriver driver(run->gina);
  HWND dialog = driver.WaitForInterceptedDialog(60000);
  run->intercepted = dialog != nullptr;
  if (dialog == nullptr) return;
  const size_t boxes_before = run->bench->WinlogonBoxes().size();
  ::SetDlgItemTextW(dialog, DialogDriver::OldId(), L"Old-pass-1");
  ::SetDlgItemTextW(dialog, DialogDriver::NewId(), kWeak);
  ::SetDlgItemTextW(dialog, DialogDriver::ConfirmId(), kWeak);
  Screenshot("2-dialog");
  driver.TypeAndConfirm(dialog, L"Old-pass-1", kWeak, kWeak);
  run->rejected =
      WaitUntil([&] { return run->bench->WinlogonBoxes().size() > boxes_before; }, 60000);
  if (!run->rejected) return;
  run->fields_emptied =
      WaitUntil([&] { return driver.FieldText(dialog, DialogDriver::ConfirmId()).empty(); });
  driver.TypeAndConfirm(dialog, L"Old-pass-1", kStrong, kStrong);
  run->closed = WaitUntil([&] { return run->gina->password_changes == 1; }, 60000);
}

// The second change, with the server stopped: typed and confirmed, it goes through unchecked.
void DriveTheUncheckedChange(void* data) {
  auto* run = static_cast<DemoRun*>(data);
  DialogDriver driver(run->gina);
  HWND dialog = driver.WaitForInterceptedDialog(60000);
  run->intercepted = dialog != nullptr;
  if (dialog == nullptr) return;
  driver.TypeAndConfirm(dialog, kStrong, kUnchecked, kUnchecked);
  run->closed = WaitUntil([&] { return run->gina->password_changes == 1; }, 60000);
}

// Prints the events reported since the last call as the Event Viewer shows them: type, number,
// source, and the text of HVNc32.dll's message table with the insertion strings.
size_t PrintNewEvents(const ProcessOutput& output, size_t* shown) {
  const std::vector<ReportedEvent> events = output.Events();
  HMODULE library = ::GetModuleHandleA("HVNc32.dll");
  size_t printed = 0;
  for (; *shown < events.size(); ++*shown, ++printed) {
    const ReportedEvent& event = events[*shown];
    std::vector<const wchar_t*> arguments;
    for (const std::wstring& text : event.strings) arguments.push_back(text.c_str());
    arguments.resize(9, L"");
    wchar_t text[4096] = {};
    ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, library, event.id,
                     0, text, 4096,
                     reinterpret_cast<va_list*>(const_cast<wchar_t**>(arguments.data())));
    std::printf("   %s, event %lu, source \"Halvern Client\":\n",
                Narrow(EventTypeName(event.type)).c_str(),
                static_cast<unsigned long>(event.id & 0xFFFF));
    // The message's lines, indented; its final line end dropped.
    const std::string message = Narrow(text);
    for (size_t start = 0; start < message.size();) {
      size_t end = message.find("\r\n", start);
      if (end == std::string::npos) end = message.size();
      const std::string line = message.substr(start, end - start);
      std::printf("%s%s\n", line.empty() ? "" : "     ", line.c_str());
      start = end + 2;
    }
  }
  if (printed == 0) std::printf("   (none)\n");
  return printed;
}

// The request of `kind` as it went over the wire ("\0" for each NUL), from the server's log
// line "<date> <time> <sender> <request> -> <answer>".
std::string Logged(const std::vector<std::string>& log, const char* kind) {
  const std::string marker = std::string(" ") + kind + "\\0";
  for (const std::string& line : log) {
    size_t start = line.find(marker);
    if (start == std::string::npos) continue;
    size_t end = line.find(" -> ", start);
    return line.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
  }
  return "";
}

int Run() {
  std::printf("== Halvern Client 3.5: live demonstration ==\n\n");
  const ProcessOutput output;
  WriteDictionary();
  std::string error;
  if (!tool::ImportRegFile(kSamplePolicy, error)) {
    std::printf("The sample policy cannot be stored: %s\n", error.c_str());
    return 1;
  }
  HvnpolicyServer server;
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "hvn-demo-server";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  if (server.Start(folder, kPolicyKey) != 0) {
    std::printf("hvnpolicy.exe serve did not start.\n");
    return 1;
  }
  std::printf("Policy server: hvnpolicy.exe serve on 127.0.0.1:%u, policy \"Sales staff\" of %s:\n",
              server.port(), kPolicyKey);
  for (const SampleRule& rule : kSampleRules)
    std::printf("   rule %s: %s\n", rule.code, rule.description);
  std::printf("   (dictionary %s: DRAGON LETMEIN MONKEY PASSWORD SUMMER SUNSHINE)\n\n",
              kDictionaryPath);

  SetWinlogonValue("GinaDLL", "HVNC32.DLL");
  SetWinlogonValue("REM_GinaDLL", kProvider);
  WriteClientSettings({"SALES 127.0.0.1"}, server.port(), 2000, 0, 1);
  // Refusals are written to the event log too, not only changes that go through unchecked.
  SetClientNumber("EventLogLevel", 2);

  WinlogonBench bench;
  bench.ShowRealBoxes(ScreenshotBox, nullptr);
  if (!bench.Load() || ::LoadLibraryA(kProvider) == nullptr) {
    std::printf("HVNc32.dll or the test provider cannot be loaded.\n");
    return 1;
  }
  TestGinaControl* gina = WinlogonBench::Gina(kProvider);
  gina->dialog_entry = kGinaLoggedOnSAS;
  DWORD version = 0;
  BOOL negotiated = bench.Negotiate(0x10004, &version);
  BOOL initialized = bench.Initialize();
  std::printf(
      "Winlogon loads HVNc32.dll: negotiation %s (interface %lu.%lu), chained to %s, "
      "initialisation %s.\n",
      negotiated ? "succeeded" : "FAILED", version >> 16, version & 0xFFFF, kProvider,
      initialized ? "succeeded" : "FAILED");
  std::printf("User jdoe of domain SALES presses Ctrl+Alt+Del and chooses Change Password.\n\n");

  DemoRun run(gina, &bench);
  int action;
  {
    BackgroundThread driver(DriveTheDialog, &run);
    action = bench.LoggedOnSAS();
    driver.Join(120000);
  }

  std::vector<RecordedBox> boxes = bench.WinlogonBoxes();
  std::vector<std::string> log = server.LoggedRequests();
  if (!boxes.empty())
    std::printf("Policy message shown when the dialog opened:\n   \"%s\"\n\n",
                Narrow(boxes[0].text).c_str());
  std::printf("Weak password \"%s\" typed twice and confirmed with OK:\n", Narrow(kWeak).c_str());
  std::string rejection_request = Logged(log, "30_REJECTION_MESSAGE");
  for (const SampleRule& rule : kSampleRules) {
    bool failed =
        rejection_request.find(std::string("\\0") + rule.code + "\\0") != std::string::npos;
    std::printf("   rule %s (%s): %s\n", rule.code, rule.description, failed ? "FAILED" : "passed");
  }
  std::printf("   request on the wire: %s\n", rejection_request.c_str());
  if (run.rejected && boxes.size() >= 2)
    std::printf("   rejection shown (title \"%s\", style 0x%X):\n   \"%s\"\n",
                Narrow(boxes[1].title).c_str(), boxes[1].style, Narrow(boxes[1].text).c_str());
  std::printf("   password fields emptied, dialog kept open: %s\n\n",
              run.fields_emptied ? "yes" : "NO");
  std::printf("Strong password \"%s\" typed and confirmed:\n", Narrow(kStrong).c_str());
  std::printf("   %s\n", run.closed && action == 6 && std::wcscmp(gina->new_password, kStrong) == 0
                             ? "accepted: the chained provider changed the password "
                               "(WLX_SAS_ACTION_PWD_CHANGED)"
                             : "NOT accepted");
  std::printf("\nRequests the policy server received:\n");
  for (const std::string& line : log) std::printf("   %s\n", line.c_str());
  std::printf("\nEvent log (Application), EventLogLevel 2:\n");
  size_t shown = 0;
  const size_t refusal_events = PrintNewEvents(output, &shown);

  server.Stop();
  std::printf("\nThe policy server is stopped. jdoe changes the password again, to \"%s\":\n",
              Narrow(kUnchecked).c_str());
  DemoRun unchecked(gina, &bench);
  gina->password_changes = 0;
  int unchecked_action;
  {
    BackgroundThread driver(DriveTheUncheckedChange, &unchecked);
    unchecked_action = bench.LoggedOnSAS();
    driver.Join(120000);
  }
  std::printf("   %s\n", unchecked.closed && unchecked_action == 6
                             ? "no server answered: the change went through unchecked"
                             : "NOT as expected");
  std::printf("\nEvent log (Application):\n");
  const size_t warning_events = PrintNewEvents(output, &shown);

  bool ok = run.intercepted && run.rejected && run.fields_emptied && run.closed && action == 6 &&
            unchecked.closed && unchecked_action == 6 && refusal_events == 1 && warning_events == 1;
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
