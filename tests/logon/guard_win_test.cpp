// The crash guard as Winlogon sees it: an exception in a guarded call never reaches Winlogon,
// the user is offered the way out, and the answer rewrites the Winlogon values soundly.
#include <gtest/gtest.h>

#include <string>

#include "bench/winlogon_bench.h"

namespace hvn::test {
namespace {

constexpr char kRequired12[] = "hvn_gina_required12.dll";
constexpr char kStandard[] = "MSGINA.DLL";
// A copy of the test provider in the system directory, where installed providers live.
constexpr char kSystemProvider[] = "hvn_gina_system.dll";

const wchar_t kPromptText[] =
    L"The Halvern Client has detected an error that may cause Windows NT/2000 to stop (BSOD). "
    L"Uninstall the Halvern Client if this problem persists.\n\nClick Yes to uninstall the "
    L"Halvern Client now, or No to continue.";
const wchar_t kUninstalledText[] =
    L"The Halvern Client has been uninstalled. Restart the computer to remove the Halvern "
    L"Client from memory.";

class GuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetWinlogonValue("GinaDLL", "HVNC32.DLL");
    DeleteWinlogonValue("REM_GinaDLL");
    DeleteClientSettings();
    ASSERT_TRUE(bench_.Load()) << "HVNc32.dll cannot be loaded, or was loaded already";
  }

  // Loads `provider` (so that its faults can be set) and negotiates with it.
  TestGinaControl* ChainTo(const char* provider, const char* module_name = nullptr) {
    SetWinlogonValue("REM_GinaDLL", provider);
    if (::LoadLibraryA(provider) == nullptr) return nullptr;
    TestGinaControl* gina = WinlogonBench::Gina(module_name != nullptr ? module_name : provider);
    return gina;
  }

  std::vector<std::wstring> SystemBoxTexts() {
    std::vector<std::wstring> texts;
    for (const RecordedBox& box : bench_.SystemBoxes()) texts.push_back(box.text);
    return texts;
  }

  std::string Winlogon(const char* name) {
    std::string text;
    return ReadWinlogonValue(name, &text) ? text : "<absent>";
  }

  SavedRegistry saved_;
  WinlogonBench bench_;
  DWORD reported_ = 0;
};

struct GuardedCase {
  const char* name;
  TestGinaEntry entry;
  TestGinaFault fault;
  int result_after_fault;    // what the export returns after the exception
  int result_without_fault;  // what it returns when the provider answers
};

const GuardedCase kGuardedCases[] = {
    {"WlxInitialize", kGinaInitialize, kGinaAccessViolation, FALSE, TRUE},
    {"WlxLoggedOutSAS", kGinaLoggedOutSAS, kGinaDivideByZero, 2, 1},
    {"WlxActivateUserShell", kGinaActivateUserShell, kGinaRaiseException, FALSE, TRUE},
    {"WlxLoggedOnSAS", kGinaLoggedOnSAS, kGinaCppThrow, 2, 2},
};

class GuardedExportTest : public GuardTest, public ::testing::WithParamInterface<GuardedCase> {
 protected:
  int Call(TestGinaEntry entry) {
    switch (entry) {
      case kGinaInitialize:
        return bench_.Initialize();
      case kGinaLoggedOutSAS:
        return bench_.LoggedOutSAS();
      case kGinaActivateUserShell:
        return bench_.ActivateUserShell();
      default:
        return bench_.LoggedOnSAS();
    }
  }
};

TEST_P(GuardedExportTest, ExceptionInTheChainedCallIsCaughtAndOffersTheWayOut) {
  const GuardedCase& c = GetParam();
  TestGinaControl* gina = ChainTo(kRequired12);
  ASSERT_NE(gina, nullptr);
  ASSERT_TRUE(bench_.Negotiate(0x10004, &reported_));
  if (c.entry != kGinaInitialize) {
    ASSERT_TRUE(bench_.Initialize());
  }
  gina->fault_entry = c.entry;
  gina->fault_kind = c.fault;

  EXPECT_EQ(Call(c.entry), c.result_after_fault);
  // The provider's own frames were unwound before the guard resumed.
  EXPECT_EQ(gina->unwind_calls, 1u);
  EXPECT_EQ(SystemBoxTexts(), std::vector<std::wstring>{kPromptText});
  // Answered No: nothing changed, and the next call goes through as usual.
  EXPECT_EQ(Winlogon("GinaDLL"), "HVNC32.DLL");
  EXPECT_EQ(Winlogon("REM_GinaDLL"), kRequired12);
  gina->fault_entry = kGinaEntryCount;
  EXPECT_EQ(Call(c.entry), c.result_without_fault);
  EXPECT_EQ(gina->calls[c.entry], 2u);
  EXPECT_EQ(bench_.SystemBoxes().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Exports, GuardedExportTest, ::testing::ValuesIn(kGuardedCases),
                         [](const ::testing::TestParamInfo<GuardedCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(GuardTest, ExceptionInItsOwnWorkBeforeTheChainedCallIsCaught) {
  TestGinaControl* gina = ChainTo(kRequired12);
  ASSERT_TRUE(bench_.Negotiate(0x10004, &reported_));
  // A dispatch table at an unreadable address: reading Winlogon's message box faults.
  EXPECT_FALSE(bench_.Initialize(reinterpret_cast<void*>(16)));
  EXPECT_EQ(gina->calls[kGinaInitialize], 0u);
  EXPECT_EQ(SystemBoxTexts(), std::vector<std::wstring>{kPromptText});
}

TEST_F(GuardTest, ExceptionInNegotiationFallsBackToTheStandardProvider) {
  ASSERT_TRUE(ProvideStandardProvider());
  TestGinaControl* gina = ChainTo(kRequired12);
  gina->fault_entry = kGinaNegotiate;
  gina->fault_kind = kGinaAccessViolation;
  EXPECT_TRUE(bench_.Negotiate(0x10004, &reported_));
  EXPECT_EQ(SystemBoxTexts(), std::vector<std::wstring>{kPromptText});
  TestGinaControl* standard = WinlogonBench::Gina(kStandard);
  ASSERT_NE(standard, nullptr);
  EXPECT_EQ(standard->calls[kGinaNegotiate], 1u);
  EXPECT_TRUE(bench_.Initialize());
  EXPECT_EQ(standard->calls[kGinaInitialize], 1u);
  EXPECT_EQ(gina->calls[kGinaInitialize], 0u);
}

TEST_F(GuardTest, ExceptionInNegotiationWithoutStandardProviderFailsAndEmptiesTheSlots) {
  TestGinaControl* gina = ChainTo(kRequired12);
  gina->fault_entry = kGinaNegotiate;
  gina->fault_kind = kGinaRaiseException;
  EXPECT_FALSE(bench_.Negotiate(0x10004, &reported_));
  // Nothing is forwarded any more: not to the provider that faulted, not to address 0.
  EXPECT_FALSE(bench_.Initialize());
  EXPECT_EQ(bench_.LoggedOnSAS(), 2);
  EXPECT_EQ(gina->calls[kGinaInitialize], 0u);
  EXPECT_EQ(gina->calls[kGinaLoggedOnSAS], 0u);
}

// A provider name of the cases below with "<folder>" standing for the test's own folder.
std::string InFolder(const char* name) {
  constexpr char kFolder[] = "<folder>";
  std::string text = name != nullptr ? name : "";
  if (text.compare(0, sizeof(kFolder) - 1, kFolder) == 0)
    text = ExecutableFolder() + text.substr(sizeof(kFolder) - 1);
  return text;
}

// Yes to the prompt: which provider Winlogon gets back.
struct UninstallCase {
  const char* name;
  const char* rem_gina_dll;  // null: no value
  const char* expected_gina_dll;
};

class UninstallTest : public GuardTest, public ::testing::WithParamInterface<UninstallCase> {};

TEST_P(UninstallTest, YesRestoresALoadableProviderAndRemovesTheSavedName) {
  const UninstallCase& c = GetParam();
  ASSERT_TRUE(ProvideStandardProvider());
  std::string system_copy;
  {
    char system_directory[MAX_PATH];
    ::GetSystemDirectoryA(system_directory, MAX_PATH);
    system_copy = std::string(system_directory) + "\\" + kSystemProvider;
    ::CopyFileA((ExecutableFolder() + kRequired12).c_str(), system_copy.c_str(), TRUE);
  }
  const std::string rem_gina_dll = InFolder(c.rem_gina_dll);
  if (c.rem_gina_dll != nullptr) SetWinlogonValue("REM_GinaDLL", rem_gina_dll.c_str());
  ASSERT_TRUE(bench_.Negotiate(0x10004, &reported_));
  ASSERT_TRUE(bench_.Initialize());
  // Whatever the chain led to, make its WlxLoggedOnSAS fault.
  TestGinaControl* chained = nullptr;
  for (const char* module : {kSystemProvider, kRequired12, kStandard})
    if (chained == nullptr) chained = WinlogonBench::Gina(module);
  ASSERT_NE(chained, nullptr);
  chained->fault_entry = kGinaLoggedOnSAS;
  chained->fault_kind = kGinaAccessViolation;
  bench_.SetPromptAnswer(IDYES);

  EXPECT_EQ(bench_.LoggedOnSAS(), 2);
  std::vector<std::wstring> texts = SystemBoxTexts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[texts.size() - 2], kPromptText);
  EXPECT_EQ(texts.back(), kUninstalledText);
  EXPECT_EQ(Winlogon("GinaDLL"), InFolder(c.expected_gina_dll));
  EXPECT_EQ(Winlogon("REM_GinaDLL"), "<absent>");
}

const UninstallCase kUninstallCases[] = {
    {"ProviderInTheSystemDirectory", kSystemProvider, kSystemProvider},
    {"NoSavedProvider", nullptr, "MSGINA.DLL"},
    {"ProviderMissingFromTheSystemDirectory", kRequired12, "MSGINA.DLL"},
    {"SavedNameIsThisClient", "HVNc32.dll", "MSGINA.DLL"},
    {"ProviderNamedByItsFullPath", "<folder>hvn_gina_required12.dll",
     "<folder>hvn_gina_required12.dll"},
};

INSTANTIATE_TEST_SUITE_P(Answers, UninstallTest, ::testing::ValuesIn(kUninstallCases),
                         [](const ::testing::TestParamInfo<UninstallCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(GuardTest, NoLeavesTheWinlogonValuesAlone) {
  TestGinaControl* gina = ChainTo(kRequired12);
  ASSERT_TRUE(bench_.Negotiate(0x10004, &reported_));
  ASSERT_TRUE(bench_.Initialize());
  gina->fault_entry = kGinaLoggedOutSAS;
  gina->fault_kind = kGinaAccessViolation;
  bench_.SetPromptAnswer(IDNO);
  EXPECT_EQ(bench_.LoggedOutSAS(), 2);
  EXPECT_EQ(SystemBoxTexts(), std::vector<std::wstring>{kPromptText});
  EXPECT_EQ(Winlogon("GinaDLL"), "HVNC32.DLL");
  EXPECT_EQ(Winlogon("REM_GinaDLL"), kRequired12);
}

}  // namespace
}  // namespace hvn::test
