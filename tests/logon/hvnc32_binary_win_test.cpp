// The shipped HVNc32.dll as a file: the entry points Winlogon looks up, the version the
// console installer checks, the texts of its events, and no import that a bare Windows lacks.
#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <string>

#include "platform/win.h"

// The event IDs windmc generated, and its table of all of them.
#include "event_messages.h"
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wwrite-strings"
#include "event_messages.dbg"
#pragma GCC diagnostic pop

namespace {

const char* const kEntryPoints[] = {
    "WlxActivateUserShell",
    "WlxDisplayLockedNotice",
    "WlxDisplaySASNotice",
    "WlxInitialize",
    "WlxIsLockOk",
    "WlxIsLogoffOk",
    "WlxLoggedOnSAS",
    "WlxLoggedOutSAS",
    "WlxLogoff",
    "WlxNegotiate",
    "WlxShutdown",
    "WlxWkstaLockedSAS",
    "WlxScreenSaverNotify",
    "WlxStartApplication",
    "WlxDisplayStatusMessage",
    "WlxGetStatusMessage",
    "WlxNetworkProviderLoad",
    "WlxRemoveStatusMessage",
    "WlxDisconnectNotify",
    "WlxGetConsoleSwitchCredentials",
    "WlxReconnectNotify",
};

// Modules every supported Windows version has.
const char* const kSystemModules[] = {"KERNEL32.DLL", "USER32.DLL",  "ADVAPI32.DLL",
                                      "MSVCRT.DLL",   "WSOCK32.DLL", "NETAPI32.DLL"};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TEST(HVNc32Binary, ExportsEveryEntryPointUnderItsPlainName) {
  HMODULE library = ::LoadLibraryA("HVNc32.dll");
  ASSERT_NE(library, nullptr);
  for (const char* name : kEntryPoints) EXPECT_NE(::GetProcAddress(library, name), nullptr) << name;
  // Exactly these 21, nothing else.
  auto* base = reinterpret_cast<const BYTE*>(library);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
  EXPECT_EQ(exports->NumberOfNames, 21u);
}

TEST(HVNc32Binary, ImportsOnlySystemModules) {
  HMODULE library = ::LoadLibraryA("HVNc32.dll");
  ASSERT_NE(library, nullptr);
  auto* base = reinterpret_cast<const BYTE*>(library);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
  int modules = 0;
  for (; import->Name != 0; ++import, ++modules) {
    std::string name = Upper(reinterpret_cast<const char*>(base + import->Name));
    bool allowed = false;
    for (const char* system : kSystemModules) allowed = allowed || name == system;
    EXPECT_TRUE(allowed) << name;
  }
  EXPECT_GT(modules, 0);
}

// The dispatcher of XP SP2 and later calls a handler inside an image only when the image does
// not forbid handlers and, if it lists its safe handlers, lists that one: HVNc32 lists none,
// so the crash guard's handler is accepted.
TEST(HVNc32Binary, LeavesTheCrashGuardsHandlerAcceptableToTheSystem) {
  HMODULE library = ::LoadLibraryA("HVNc32.dll");
  ASSERT_NE(library, nullptr);
  auto* base = reinterpret_cast<const BYTE*>(library);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  EXPECT_EQ(nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_NO_SEH, 0);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG];
  if (directory.VirtualAddress != 0 &&
      directory.Size >= offsetof(IMAGE_LOAD_CONFIG_DIRECTORY32, SEHandlerCount) + 4) {
    auto* config =
        reinterpret_cast<const IMAGE_LOAD_CONFIG_DIRECTORY32*>(base + directory.VirtualAddress);
    EXPECT_EQ(config->SEHandlerTable, 0u);
  }
}

TEST(HVNc32Binary, CarriesFileVersion3_5_0_1) {
  char path[MAX_PATH] = {};
  HMODULE library = ::LoadLibraryA("HVNc32.dll");
  ASSERT_NE(library, nullptr);
  ::GetModuleFileNameA(library, path, MAX_PATH);
  DWORD handle = 0;
  DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(::GetFileVersionInfoA(path, 0, size, &block[0]));
  char* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(&block[0], "\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&value), &length));
  EXPECT_STREQ(value, "3, 5, 0, 1");
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(::VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00030005u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
}

// The Event Viewer shows an event with the text of its ID in the message table of the library
// the source names: every ID the code can write has one, and it uses the insertion strings the
// code gives it (the last of them the count of events held back) and no others.
TEST(HVNc32Binary, CarriesTheTextOfEveryEvent) {
  HMODULE library = ::LoadLibraryA("HVNc32.dll");
  ASSERT_NE(library, nullptr);
  const wchar_t* const arguments[] = {L"<1>", L"<2>", L"<3>", L"<4>", L"<5>",
                                      L"<6>", L"<7>", L"<8>", L"<9>"};
  size_t events = 0;
  for (const auto* entry = event_messagesSymbolicNames; entry->SymbolicName != nullptr; ++entry) {
    ++events;
    // A fault's event has its code, its place and the count; the others user, domain, detail
    // and the count.
    const size_t given = entry->MessageId == HVN_EVENT_FAULT_CAUGHT ? 3 : 4;
    wchar_t text[2048] = {};
    DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, library,
                         entry->MessageId, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, 2048,
                         reinterpret_cast<va_list*>(const_cast<wchar_t**>(arguments)));
    ASSERT_GT(length, 0u) << entry->SymbolicName << " error " << ::GetLastError();
    const std::wstring message(text, length);
    EXPECT_NE(message.find(L"<" + std::to_wstring(given) + L">"), std::wstring::npos)
        << entry->SymbolicName;
    for (size_t unused = given + 1; unused <= 9; ++unused)
      EXPECT_EQ(message.find(L"<" + std::to_wstring(unused) + L">"), std::wstring::npos)
          << entry->SymbolicName;
    EXPECT_EQ(message.find(L"\n\n"), std::wstring::npos) << "bare line feeds";
  }
  EXPECT_EQ(events, 9u);
}

}  // namespace
