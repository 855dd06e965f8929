// The real Dravin.exe under Wine: its whole standard output byte for byte, its exit status and
// the registry it leaves behind, for each case of one table; then full install and uninstall
// round trips on NT and on 98.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "setup/dravin/dravin_session_win.h"
#include "support/temp_dir.h"

namespace hvn::test {
namespace {

constexpr char kWinlogon[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kSettingsKey[] = "SOFTWARE\\Norvex\\Halvern Client\\3.5";
constexpr char kRunServices[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices";
constexpr char kMsnp32[] = "SYSTEM\\CurrentControlSet\\Control\\PwdProvider\\MSNP32";
constexpr char kEventSource[] =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Halvern Client";

// The texts as an administrator sees them; "\n" stands for CR LF, "{sys}" for the system
// directory.
const std::string kBanner =
    "Halvern Client 3.5\n"
    "Copyright (C) Norvex. All rights reserved.\n"
    "\n"
    "Dravin V3.5 - Halvern Client installer\n"
    "\n";
const std::string kUsage =
    "Syntax:   Dravin INSTALL    [ConfigFilename.cfg] [/Q]\n"
    "          Dravin INSTALLWEB [ConfigFilename.cfg] [/Q]\n"
    "          Dravin UNINSTALL  [/Q]\n"
    "\n"
    "Examples: Dravin INSTALL HVNClnt.cfg\n"
    "          Dravin INSTALL HVNClnt.cfg /Q    (quiet mode)\n"
    "          Dravin INSTALLWEB HVNClnt.cfg    (configures HVN/Web client)\n"
    "          Dravin UNINSTALL\n"
    "\n"
    "*** Note: Configuration will fail if HVN client files cannot be located\n"
    "\n";
const std::string kAbort = "\n\nDravin Aborted.\n\a";
const std::string kInstalled = "\nHVN Client Installed.\n";
const std::string kCannotWrite =
    "Cannot write to the registry. You might not have sufficient permissions." + kAbort;
const std::string kCannotReadWinlogon = "Cannot read from Winlogon registry key." + kAbort;
const std::string kInvalidVersion =
    "Invalid version number in HVN client DLL. This installation program is only\n"
    "compatible with V3.5 of the HVN client DLL.\n\n"
    "HVN Client DLL: {sys}\\HVNc32.dll" +
    kAbort;

const char kConfig[] = "# policy servers\nDOM CORP\tdc1 dc2\nTimeout 3000\n";
const char kSettingsWritten[] = "HVServers=CORP dc1 dc2; Timeout=3000";
const std::string kLongName(256, 'n');
// 200 domain lines, 25 bytes each in the server list: more than its 4096 bytes hold.
std::string OversizedConfig() {
  std::string config;
  for (int i = 0; i < 200; ++i)
    config += "DOM D" + std::to_string(1000 + i) + " server.example.com\n";
  return config;
}
const std::string kOversizedConfig = OversizedConfig();
// Line 2 is a domain line of 1,023 characters: more than a line holds.
const std::string kLongLineConfig = "DOM A a\nDOM CORP " + std::string(1014, 's') + "\n";

enum class Obstacle {
  kNone,
  kWinlogonUnreadable,  // everyone denied reading the Winlogon key's values
  kWinlogonUnwritable,  // everyone denied setting values in the Winlogon key
  kSettingsUnwritable,  // everyone denied setting values in the settings key
  kLibraryHeldOpen,     // another process holds the client library open
  kEarlierInstall,      // an earlier install's settings, and start-up entry (98) or event source
};

struct DravinCase {
  const char* name;
  const char* windows;   // the version Wine reports to Dravin
  TestLibrary library;   // as HVNc32.dll (HVNc9x.dll on 98) in the system directory
  bool startup_program;  // HVNc9x.exe in the system directory
  const char* config;    // hvnclnt.cfg and site.cfg in the current directory; nullptr: none
  const char* chain;     // "GinaDLL REM_GinaDLL" before, "-" for an absent value
  Obstacle obstacle;
  std::string arguments;
  uint32_t exit_code;
  std::string output;
  std::string after;  // as MachineState() gives it
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const DravinCase& c, std::ostream* os) {
  *os << c.name;
}

const TestLibrary kRight = TestLibrary::kVersion3501;
const TestLibrary kNoLibrary = TestLibrary::kNone;
const char kStartupPath[] = "{sys}\\HVNc9x.exe";
// Machine states after a run: chain | settings | 9x start-up entry, and " | events" while the
// client's event source is registered.
const std::string kUntouched = "- - | no key | -";
const std::string kImported = std::string(" | ") + kSettingsWritten + " | -";
const std::string kActivated = kImported + " | events";
const std::string kEarlierSettings = "HVServers=OLD dc0; Timeout=9";

const DravinCase kCases[] = {
    // The command line.
    {"NoArgument", "winxp", kRight, false, kConfig, "- -", Obstacle::kNone, "", 1603,
     kBanner + kUsage, kUntouched},
    {"FourArguments", "winxp", kRight, false, kConfig, "- -", Obstacle::kNone, "install a b /q",
     1603, kBanner + kUsage + "Invalid number of parameters.\a\n", kUntouched},
    {"UnknownModeIsPrintedAsData", "winxp", kRight, false, kConfig, "- -", Obstacle::kNone,
     "%s%n%x", 1603, kBanner + kUsage + "Invalid mode: %s%n%x\a\n", kUntouched},
    {"MissingFileFailsEvenQuiet", "winxp", kRight, false, kConfig, "- -", Obstacle::kNone,
     "INSTALL missing.cfg /Q", 1603, kBanner + kUsage + "File does not exist: missing.cfg\a\n",
     kUntouched},
    {"OverlongFileNameIsRefusedWhole", "winxp", kRight, false, kConfig, "- -", Obstacle::kNone,
     "install " + kLongName, 1603, kBanner + kUsage + "File does not exist: " + kLongName + "\a\n",
     kUntouched},
    {"NoDefaultFile", "winxp", kRight, false, nullptr, "- -", Obstacle::kNone, "installweb", 1603,
     kBanner + kUsage + "File does not exist: hvnclnt.cfg\a\n", kUntouched},
    {"QuietSecondTakesDefaultFile", "winxp", kRight, false, kConfig, "- -", Obstacle::kNone,
     "Install /q", 0, "", "HVNC32.DLL -" + kActivated},
    {"FileAfterQuietIsIgnoredAndNotQuiet", "winxp", kRight, false, kConfig, "- -", Obstacle::kNone,
     "INSTALL /Q missing.cfg", 0, kBanner + kInstalled, "HVNC32.DLL -" + kActivated},
    {"UninstallIgnoresMiddleWord", "winxp", kNoLibrary, false, nullptr, "HVNC32.DLL -",
     Obstacle::kEarlierInstall, "uninstall whatever /Q", 0, "", "- - | HVServers=OLD dc0 | -"},

    // INSTALL on NT.
    {"InstallInFrontOfDefault", "winxp", kRight, false, kConfig, "MSGINA.DLL -", Obstacle::kNone,
     "INSTALL site.cfg", 0, kBanner + kInstalled, "HVNC32.DLL -" + kActivated},
    {"InstallInFrontOfAnotherProvider", "win2k", kRight, false, kConfig, "OTHER.DLL -",
     Obstacle::kNone, "install", 0, kBanner + kInstalled, "HVNC32.DLL OTHER.DLL" + kActivated},
    {"InstallWhenActiveChangesNoChain", "nt40", kRight, false, kConfig, "hvnc32.dll OTHER.DLL",
     Obstacle::kNone, "install", 0, kBanner + kInstalled, "hvnc32.dll OTHER.DLL" + kActivated},
    {"LibraryMissing", "nt40", kNoLibrary, false, kConfig, "- -", Obstacle::kNone, "install /q",
     1603, "HVN client DLL not found in {sys}" + kAbort, kUntouched},
    {"LaterVersion", "win2k", TestLibrary::kVersion3502, false, kConfig, "- -", Obstacle::kNone,
     "install", 1603, kBanner + kInvalidVersion, kUntouched},
    {"VersionWithoutSpaces", "winxp", TestLibrary::kVersionWithoutSpaces, false, kConfig, "- -",
     Obstacle::kNone, "install", 1603, kBanner + kInvalidVersion, kUntouched},
    {"NoUsEnglishVersionBlock", "winxp", TestLibrary::kNoUsBlock, false, kConfig, "- -",
     Obstacle::kNone, "install", 1603, kBanner + kInvalidVersion, kUntouched},
    {"EmptyServerListWritesNothing", "winxp", kRight, false, "DOM CORP\nTimeout 5\n", "- -",
     Obstacle::kNone, "install", 1603,
     kBanner +
         "The Domain/Server list is empty. Refer to the HVN Administrator's Guide for more "
         "information." +
         kAbort,
     kUntouched},
    {"OversizedServerListIsRefused", "winxp", kRight, false, kOversizedConfig.c_str(), "- -",
     Obstacle::kNone, "install", 1603,
     kBanner +
         "Cannot read client configuration file.\nThe Domain/Server list does not fit in "
         "4096 bytes." +
         kAbort,
     kUntouched},
    {"LongLineIsRefused", "winxp", kRight, false, kLongLineConfig.c_str(), "- -", Obstacle::kNone,
     "install", 1603,
     kBanner + "Cannot read client configuration file.\nLine 2 is longer than 1022 characters." +
         kAbort,
     kUntouched},
    {"SettingsKeyUnwritable", "winxp", kRight, false, kConfig, "- -", Obstacle::kSettingsUnwritable,
     "install", 1603, kBanner + kCannotWrite, "- - |  | -"},
    {"WinlogonUnreadableKeepsImportedSettings", "winxp", kRight, false, kConfig, "MSGINA.DLL -",
     Obstacle::kWinlogonUnreadable, "install", 1603, kBanner + kCannotReadWinlogon,
     "MSGINA.DLL -" + kImported},
    {"WinlogonUnwritable", "winxp", kRight, false, kConfig, "OTHER.DLL -",
     Obstacle::kWinlogonUnwritable, "install /Q", 1603, kCannotWrite, "OTHER.DLL -" + kImported},
    {"ReactivationUnsafeWhileLibraryInUse", "winxp", kRight, false, kConfig, "OTHER.DLL HVNC32.DLL",
     Obstacle::kLibraryHeldOpen, "install", 1603,
     kBanner +
         "It is not safe to reactivate the Halvern Client at this time because\n"
         "Windows has loaded HVNc32.DLL. Restart the computer and try again.\n\n"
         "If this error persists, it indicates that another GINA DLL has been installed\n"
         "after the HVC was installed. Uninstall the other GINA DLL(s) and try again.\n"
         "Always uninstall GINA DLLs in the reverse order of installation." +
         kAbort,
     "OTHER.DLL HVNC32.DLL" + kImported},
    {"LibraryInUseBehindDefaultIsSafe", "winxp", kRight, false, kConfig, "MSGINA.DLL -",
     Obstacle::kLibraryHeldOpen, "install", 0, kBanner + kInstalled, "HVNC32.DLL -" + kActivated},

    // INSTALLWEB.
    {"WebNeedsNoLibrary", "winxp", kNoLibrary, false, kConfig, "MSGINA.DLL -", Obstacle::kNone,
     "installweb site.cfg", 0, kBanner + "\nHVN/Web Client Configured.\n",
     "MSGINA.DLL -" + kImported},
    {"WebQuiet", "nt40", kNoLibrary, false, kConfig, "- -", Obstacle::kNone, "INSTALLWEB /Q", 0, "",
     "- -" + kImported},
    {"WebRefusedOn98", "win98", kRight, true, kConfig, "- -", Obstacle::kNone, "installweb", 1603,
     kBanner + "\nHVN/Web Client cannot be installed on Windows 9x.\n" + kAbort, kUntouched},

    // UNINSTALL on NT.
    {"UninstallToDefault", "winxp", kNoLibrary, false, nullptr, "HVNC32.DLL -",
     Obstacle::kEarlierInstall, "UNINSTALL", 0, kBanner + "\nHVN Client Uninstalled.\n",
     "- - | HVServers=OLD dc0 | -"},
    {"UninstallWithRemovedSuccessor", "win2k", kNoLibrary, false, nullptr, "HVNC32.DLL GONE.DLL",
     Obstacle::kNone, "uninstall /q", 0, "", "- - |  | -"},
    {"UninstallWithTheClientSavedBehindItself", "winxp", kRight, false, nullptr,
     "HVNC32.DLL HVNc32.dll", Obstacle::kNone, "uninstall /q", 0, "", "- - |  | -"},
    {"DeactivationUnsafeChangesNothing", "winxp", kNoLibrary, false, nullptr,
     "OTHER.DLL HVNC32.DLL", Obstacle::kEarlierInstall, "uninstall", 1603,
     kBanner +
         "It is not safe to deactivate the HVC at this time because another GINA DLL has\n"
         "been installed after the HVC. Uninstall the other GINA DLL(s) in the reverse\n"
         "order of installation and try again." +
         kAbort,
     "OTHER.DLL HVNC32.DLL | " + kEarlierSettings + " | - | events"},
    {"UninstallWinlogonUnreadable", "nt40", kNoLibrary, false, nullptr, "HVNC32.DLL -",
     Obstacle::kWinlogonUnreadable, "uninstall /q", 1603, kCannotReadWinlogon,
     "HVNC32.DLL - | no key | -"},
    {"UninstallWinlogonUnwritable", "winxp", kNoLibrary, false, nullptr, "HVNC32.DLL OTHER.DLL",
     Obstacle::kWinlogonUnwritable, "uninstall", 1603, kBanner + kCannotWrite,
     "HVNC32.DLL OTHER.DLL | no key | -"},

    // Windows 98.
    {"Install98", "win98", kRight, true, kConfig, "- -", Obstacle::kNone, "install", 0,
     kBanner + kInstalled, std::string("- - | ") + kSettingsWritten + " | " + kStartupPath},
    {"Install98WithoutLibrary", "win98", kNoLibrary, true, kConfig, "- -", Obstacle::kNone,
     "install", 1603, kBanner + "HVN client DLL not found in {sys}" + kAbort, kUntouched},
    {"Install98WithoutStartupProgram", "win98", kRight, false, kConfig, "- -", Obstacle::kNone,
     "install", 1603, kBanner + "HVNc9x.exe not found in {sys}" + kAbort, kUntouched},
    {"Install98WrongVersion", "win98", TestLibrary::kVersion3502, true, kConfig, "- -",
     Obstacle::kNone, "install /q", 1603,
     "Invalid version number in HVN client DLL. This installation program is only\n"
     "compatible with V3.5 of the HVN client DLL.\n\n"
     "HVN Client DLL: {sys}\\HVNc9x.dll" +
         kAbort,
     kUntouched},
    {"Uninstall98", "win98", kNoLibrary, false, nullptr, "- -", Obstacle::kEarlierInstall,
     "uninstall", 0, kBanner + "\nHVN Client Uninstalled.\n", "- - | HVServers=OLD dc0 | -"},
};

// "\n" as CR LF and "{sys}" as the system directory.
std::string AsPrinted(const std::string& text) {
  std::string printed;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 5, "{sys}") == 0) {
      printed += SystemDirectory();
      i += 4;
    } else if (text[i] == '\n') {
      printed += "\r\n";
    } else {
      printed += text[i];
    }
  }
  return printed;
}

// Every test starts from a machine without the client: no client files in the system
// directory, no settings, no start-up entry; the Winlogon chain values are restored afterwards.
class DravinTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"GinaDLL", "REM_GinaDLL"}) {
      bool present = false;
      std::string value = ReadMachineString(kWinlogon, name, &present);
      saved_chain_.push_back({name, present, value});
      DeleteMachineValue(kWinlogon, name);
    }
    ResetMachine();
  }

  void TearDown() override {
    ResetMachine();
    for (const SavedValue& saved : saved_chain_) {
      if (saved.present)
        SetMachineString(kWinlogon, saved.name, saved.value.c_str());
      else
        DeleteMachineValue(kWinlogon, saved.name);
    }
  }

  static void ResetMachine() {
    for (const char* name : {"HVNc32.dll", "HVNc9x.dll", "HVNc9x.exe"}) {
      ::DeleteFileA((SystemDirectory() + "\\" + name).c_str());
    }
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    DeleteMachineValue(kRunServices, "HVNc9x");
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEventSource);
  }

  static void SetChainValue(const char* name, const std::string& value) {
    if (value != "-")
      SetMachineString(kWinlogon, name, value.c_str());
    else
      DeleteMachineValue(kWinlogon, name);
  }

  // "GinaDLL REM_GinaDLL", "-" for an absent value.
  static void SetChain(const std::string& chain) {
    const size_t space = chain.find(' ');
    SetChainValue("GinaDLL", chain.substr(0, space));
    SetChainValue("REM_GinaDLL", chain.substr(space + 1));
  }

  // The chain, the client settings and the 9x start-up entry, as one text.
  static std::string MachineState() {
    bool present = false;
    std::string entry = ReadMachineString(kRunServices, "HVNc9x", &present);
    return ChainValue("GinaDLL") + " " + ChainValue("REM_GinaDLL") + " | " + ClientSettingsText() +
           " | " + (present ? entry : "-") + EventSourceText();
  }

  // " | events" while the event source is registered (its values are checked by the Kestrin
  // and package tests, which run the same registration).
  static std::string EventSourceText() {
    return MachineValues(kEventSource).empty() ? "" : " | events";
  }

  static void WriteEarlierInstall(bool windows_98) {
    ConfigureSettings("HVServers", REG_MULTI_SZ, "OLD dc0\0", 9);
    const DWORD timeout = 9;
    ConfigureSettings("Timeout", REG_DWORD, &timeout, sizeof(timeout));
    if (windows_98) {
      SetMachineString(kRunServices, "HVNc9x", "C:\\old\\HVNc9x.exe");
    } else {
      SetMachineString(kEventSource, "EventMessageFile", "HVNc32.dll");
    }
  }

  static void ConfigureSettings(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) == 0) {
      ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
      ::RegCloseKey(key);
    }
  }

  static std::string ChainValue(const char* name) {
    bool present = false;
    std::string value = ReadMachineString(kWinlogon, name, &present);
    return present ? value : "-";
  }

  TempDir folder_;

 private:
  struct SavedValue {
    const char* name;
    bool present;
    std::string value;
  };
  std::vector<SavedValue> saved_chain_;
};

class DravinCaseTest : public DravinTest, public testing::WithParamInterface<DravinCase> {};

TEST_P(DravinCaseTest, PrintsExactlyAndLeavesTheRegistryAsExpected) {
  const DravinCase& c = GetParam();
  const bool windows_98 = std::string(c.windows) == "win98";
  std::unique_ptr<SystemFile> library, startup_program;
  if (c.library != TestLibrary::kNone) {
    library = std::make_unique<SystemFile>(TestLibraryPath(c.library),
                                           windows_98 ? "HVNc9x.dll" : "HVNc32.dll");
  }
  if (c.startup_program) {
    startup_program = std::make_unique<SystemFile>(TestLibraryPath(kRight), "HVNc9x.exe");
  }
  if (c.config != nullptr) {
    folder_.WriteFile("hvnclnt.cfg", c.config);
    folder_.WriteFile("site.cfg", c.config);
  }
  SetChain(c.chain);

  std::unique_ptr<RegistryAccessDenial> denial;
  std::unique_ptr<FileHold> hold;
  switch (c.obstacle) {
    case Obstacle::kNone:
      break;
    case Obstacle::kWinlogonUnreadable:
      denial = std::make_unique<RegistryAccessDenial>(kWinlogon, KEY_QUERY_VALUE);
      break;
    case Obstacle::kWinlogonUnwritable:
      denial = std::make_unique<RegistryAccessDenial>(kWinlogon, KEY_SET_VALUE);
      break;
    case Obstacle::kSettingsUnwritable:
      denial = std::make_unique<RegistryAccessDenial>(kSettingsKey, KEY_SET_VALUE);
      break;
    case Obstacle::kLibraryHeldOpen:
      hold = std::make_unique<FileHold>(library->path());
      ASSERT_TRUE(hold->IsHeld());
      break;
    case Obstacle::kEarlierInstall:
      WriteEarlierInstall(windows_98);
      break;
  }

  DravinRun run = RunDravin(c.arguments, folder_.path(), c.windows);
  denial.reset();
  EXPECT_EQ(run.output, AsPrinted(c.output));
  EXPECT_EQ(run.exit_code, c.exit_code);
  EXPECT_EQ(MachineState(), AsPrinted(c.after));
}

INSTANTIATE_TEST_SUITE_P(Cases, DravinCaseTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<DravinCase>& info) {
                           return std::string(info.param.name);
                         });

// Install, then uninstall: the chain is back in front of the provider that was there, and the
// registry is as it was found, the client's settings key aside.
TEST_F(DravinTest, RoundTripOnXpLeavesTheRegistryAsFound) {
  SystemFile library(TestLibraryPath(kRight), "HVNc32.dll");
  SystemFile other_provider(TestLibraryPath(kRight), "OTHER.DLL");
  folder_.WriteFile("hvnclnt.cfg", kConfig);
  SetChain("OTHER.DLL -");
  const auto winlogon = MachineValues(kWinlogon);
  const auto run_services = MachineValues(kRunServices);

  DravinRun install = RunDravin("install /q", folder_.path(), "winxp");
  EXPECT_EQ(install.exit_code, 0u);
  EXPECT_EQ(install.output, "");
  EXPECT_EQ(MachineState(), "HVNC32.DLL OTHER.DLL" + kActivated);

  DravinRun uninstall = RunDravin("uninstall /q", folder_.path(), "winxp");
  EXPECT_EQ(uninstall.exit_code, 0u);
  EXPECT_EQ(uninstall.output, "");
  EXPECT_EQ(MachineValues(kWinlogon), winlogon);
  EXPECT_EQ(MachineValues(kRunServices), run_services);
  EXPECT_TRUE(MachineValues(kEventSource).empty());
}

TEST_F(DravinTest, RoundTripOn98LeavesTheRegistryAsFound) {
  SystemFile library(TestLibraryPath(kRight), "HVNc9x.dll");
  SystemFile startup_program(TestLibraryPath(kRight), "HVNc9x.exe");
  folder_.WriteFile("hvnclnt.cfg", kConfig);
  SetMachineString(kMsnp32, "ProviderPath", "MSNP32.DLL");
  const auto winlogon = MachineValues(kWinlogon);
  const auto run_services = MachineValues(kRunServices);
  const auto password_provider = MachineValues(kMsnp32);

  DravinRun install = RunDravin("INSTALL hvnclnt.cfg", folder_.path(), "win98");
  EXPECT_EQ(install.exit_code, 0u);
  EXPECT_EQ(install.output, AsPrinted(kBanner + kInstalled));
  EXPECT_EQ(ReadMachineString(kRunServices, "HVNc9x"), AsPrinted(kStartupPath));

  DravinRun uninstall = RunDravin("UNINSTALL", folder_.path(), "win98");
  EXPECT_EQ(uninstall.exit_code, 0u);
  EXPECT_EQ(uninstall.output, AsPrinted(kBanner + "\nHVN Client Uninstalled.\n"));
  EXPECT_EQ(MachineValues(kWinlogon), winlogon);
  EXPECT_EQ(MachineValues(kRunServices), run_services);
  EXPECT_EQ(MachineValues(kMsnp32), password_provider);
}

}  // namespace
}  // namespace hvn::test
