// The logon provider as Winlogon sees it: negotiation and the chained provider, forwarding of
// all entry points, the recursion guard, the crash guard and the self-uninstall offer. Each
// test is one Winlogon process (ctest runs each in a process of its own).
#include <gtest/gtest.h>

#include <string>

#include "bench/winlogon_bench.h"

namespace hvn::test {
namespace {

constexpr char kRequired12[] = "hvn_gina_required12.dll";
constexpr char kAll21[] = "hvn_gina_all21.dll";
constexpr char kMissingShutdown[] = "hvn_gina_missing_shutdown.dll";
constexpr char kStandard[] = "MSGINA.DLL";

const wchar_t kRecursionText[] =
    L"The Halvern Client has detected a configuration error. WlxNegotiate is being called "
    L"recursively. Contact your administrator to resolve this problem.";
const wchar_t kPromptText[] =
    L"The Halvern Client has detected an error that may cause Windows NT/2000 to stop (BSOD). "
    L"Uninstall the Halvern Client if this problem persists.\n\nClick Yes to uninstall the "
    L"Halvern Client now, or No to continue.";
const wchar_t kUninstalledText[] =
    L"The Halvern Client has been uninstalled. Restart the computer to remove the Halvern "
    L"Client from memory.";

class ChainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetWinlogonValue("GinaDLL", "HVNC32.DLL");
    DeleteWinlogonValue("REM_GinaDLL");
    DeleteClientSettings();
    ASSERT_TRUE(bench_.Load()) << "HVNc32.dll cannot be loaded, or was loaded already";
  }

  // Chains to `provider` and negotiates; returns the result.
  BOOL NegotiateWith(const char* provider, DWORD offered = 0x10004) {
    if (provider != nullptr) SetWinlogonValue("REM_GinaDLL", provider);
    return bench_.Negotiate(offered, &reported_);
  }

  int CountSystemBoxes(const wchar_t* text) {
    int count = 0;
    for (const RecordedBox& box : bench_.SystemBoxes()) count += box.text == text ? 1 : 0;
    return count;
  }

  // Calls every export once with harmless arguments; none may crash, whatever the slots hold.
  void CallEveryExport() {
    void* context = bench_.context();
    auto call = [&](const char* name) {
      void* entry = bench_.Export(name);
      EXPECT_NE(entry, nullptr) << name;
      return entry;
    };
    BOOL secure = TRUE;
    DWORD options = 0;
    wchar_t text[64] = L"";
    reinterpret_cast<VOID(WINAPI*)(PVOID)>(call("WlxDisplaySASNotice"))(context);
    reinterpret_cast<VOID(WINAPI*)(PVOID)>(call("WlxDisplayLockedNotice"))(context);
    reinterpret_cast<int(WINAPI*)(PVOID, DWORD)>(call("WlxWkstaLockedSAS"))(context, 1);
    reinterpret_cast<BOOL(WINAPI*)(PVOID)>(call("WlxIsLockOk"))(context);
    reinterpret_cast<BOOL(WINAPI*)(PVOID)>(call("WlxIsLogoffOk"))(context);
    reinterpret_cast<VOID(WINAPI*)(PVOID)>(call("WlxLogoff"))(context);
    reinterpret_cast<VOID(WINAPI*)(PVOID, DWORD)>(call("WlxShutdown"))(context, 0);
    reinterpret_cast<BOOL(WINAPI*)(PVOID, BOOL*)>(call("WlxScreenSaverNotify"))(context, &secure);
    reinterpret_cast<BOOL(WINAPI*)(PVOID, PWSTR, PVOID, PWSTR)>(call("WlxStartApplication"))(
        context, text, nullptr, text);
    reinterpret_cast<BOOL(WINAPI*)(PVOID, HDESK, DWORD, PWSTR, PWSTR)>(
        call("WlxDisplayStatusMessage"))(context, nullptr, 0, text, text);
    reinterpret_cast<BOOL(WINAPI*)(PVOID, DWORD*, PWSTR, DWORD)>(call("WlxGetStatusMessage"))(
        context, &options, text, 64);
    reinterpret_cast<BOOL(WINAPI*)(PVOID, PVOID)>(call("WlxNetworkProviderLoad"))(context, nullptr);
    reinterpret_cast<BOOL(WINAPI*)(PVOID)>(call("WlxRemoveStatusMessage"))(context);
    reinterpret_cast<BOOL(WINAPI*)(PVOID, PVOID)>(call("WlxGetConsoleSwitchCredentials"))(context,
                                                                                          nullptr);
    reinterpret_cast<VOID(WINAPI*)(PVOID)>(call("WlxDisconnectNotify"))(context);
    reinterpret_cast<VOID(WINAPI*)(PVOID)>(call("WlxReconnectNotify"))(context);
    bench_.Initialize();
    bench_.LoggedOutSAS();
    bench_.ActivateUserShell();
    bench_.LoggedOnSAS();
  }

  SavedRegistry saved_;
  WinlogonBench bench_;
  DWORD reported_ = 0;
};

TEST_F(ChainTest, NegotiatesWithTheProviderNamedByRemGinaDll) {
  EXPECT_TRUE(NegotiateWith(kRequired12, 0x10003));
  TestGinaControl* gina = WinlogonBench::Gina(kRequired12);
  ASSERT_NE(gina, nullptr);
  EXPECT_EQ(gina->calls[kGinaNegotiate], 1u);
  EXPECT_EQ(gina->offered_version, 0x10003u);
  EXPECT_EQ(reported_, 0x10003u);
  EXPECT_TRUE(bench_.SystemBoxes().empty());
}

// Winlogon's offer reaches the chained provider cut down to 1.4; a provider that reports what
// it was offered raises no prompt.
class OfferedVersionTest : public ChainTest, public ::testing::WithParamInterface<DWORD> {};

TEST_P(OfferedVersionTest, ReachesTheProviderAtMostAs1_4) {
  const DWORD offered = GetParam();
  const DWORD expected = offered > 0x10004 ? 0x10004 : offered;
  EXPECT_TRUE(NegotiateWith(kAll21, offered));
  TestGinaControl* gina = WinlogonBench::Gina(kAll21);
  ASSERT_NE(gina, nullptr);
  EXPECT_EQ(gina->offered_version, expected);
  EXPECT_EQ(reported_, expected);
  EXPECT_TRUE(bench_.SystemBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Versions, OfferedVersionTest,
                         ::testing::Values(0x10000, 0x10003, 0x10004, 0x10005, 0x20000));

TEST_F(ChainTest, ProviderReportingANewerVersionThanOfferedRaisesThePrompt) {
  SetWinlogonValue("REM_GinaDLL", kRequired12);
  // Loaded before negotiation so that its answer can be set.
  ASSERT_NE(::LoadLibraryA(kRequired12), nullptr);
  WinlogonBench::Gina(kRequired12)->reported_version = 0x10005;
  EXPECT_TRUE(bench_.Negotiate(0x10004, &reported_));
  EXPECT_EQ(reported_, 0x10005u);
  EXPECT_EQ(CountSystemBoxes(kPromptText), 1);
}

TEST_F(ChainTest, ProviderRefusingNegotiationRaisesThePromptAndFails) {
  SetWinlogonValue("REM_GinaDLL", kRequired12);
  ASSERT_NE(::LoadLibraryA(kRequired12), nullptr);
  WinlogonBench::Gina(kRequired12)->negotiate_result = FALSE;
  EXPECT_FALSE(bench_.Negotiate(0x10004, &reported_));
  EXPECT_EQ(CountSystemBoxes(kPromptText), 1);
}

TEST_F(ChainTest, NoRemGinaDllChainsToTheStandardProvider) {
  ASSERT_TRUE(ProvideStandardProvider());
  EXPECT_TRUE(NegotiateWith(nullptr));
  TestGinaControl* standard = WinlogonBench::Gina(kStandard);
  ASSERT_NE(standard, nullptr);
  EXPECT_EQ(standard->calls[kGinaNegotiate], 1u);
  EXPECT_TRUE(bench_.SystemBoxes().empty());
}

TEST_F(ChainTest, MissingLibraryFallsBackToTheStandardProviderWithoutAMessage) {
  ASSERT_TRUE(ProvideStandardProvider());
  EXPECT_TRUE(NegotiateWith("hvn_no_such_provider.dll"));
  TestGinaControl* standard = WinlogonBench::Gina(kStandard);
  ASSERT_NE(standard, nullptr);
  EXPECT_EQ(standard->calls[kGinaNegotiate], 1u);
  EXPECT_TRUE(bench_.SystemBoxes().empty());
}

TEST_F(ChainTest, NoLoadableProviderFailsOffersTheWayOutAndNeverCallsAnEmptySlot) {
  EXPECT_FALSE(NegotiateWith("hvn_no_such_provider.dll"));
  EXPECT_EQ(CountSystemBoxes(kPromptText), 1);
  CallEveryExport();
}

TEST_F(ChainTest, MissingRequiredEntryPointFailsNegotiationAndNeverCallsTheGap) {
  EXPECT_FALSE(NegotiateWith(kMissingShutdown));
  TestGinaControl* gina = WinlogonBench::Gina(kMissingShutdown);
  ASSERT_NE(gina, nullptr);
  EXPECT_EQ(gina->calls[kGinaNegotiate], 0u);
  EXPECT_EQ(CountSystemBoxes(kPromptText), 1);
  CallEveryExport();
}

TEST_F(ChainTest, ChainLeadingBackToItselfWarnsOnceAndChainsToTheStandardProvider) {
  ASSERT_TRUE(ProvideStandardProvider());
  EXPECT_TRUE(NegotiateWith("HVNc32.dll"));
  EXPECT_EQ(CountSystemBoxes(kRecursionText), 1);
  EXPECT_EQ(CountSystemBoxes(kPromptText), 0);
  TestGinaControl* standard = WinlogonBench::Gina(kStandard);
  ASSERT_NE(standard, nullptr);
  EXPECT_EQ(standard->calls[kGinaNegotiate], 1u);
  // Every later call goes to the standard provider, not round the loop.
  EXPECT_TRUE(bench_.Initialize());
  EXPECT_EQ(standard->calls[kGinaInitialize], 1u);
  EXPECT_EQ(bench_.context(), TEST_GINA_CONTEXT_MARK);
  EXPECT_EQ(CountSystemBoxes(kRecursionText), 1);
}

TEST_F(ChainTest, ChainLeadingBackToItselfWithoutStandardProviderFailsWithoutLooping) {
  EXPECT_FALSE(NegotiateWith("HVNc32.dll"));
  EXPECT_EQ(CountSystemBoxes(kRecursionText), 1);
  EXPECT_GE(CountSystemBoxes(kPromptText), 1);
  // The slots pointed back at this library; a forwarded call would now recurse for ever.
  CallEveryExport();
  EXPECT_EQ(CountSystemBoxes(kRecursionText), 1);
}

TEST_F(ChainTest, RequiredOnlyProviderGetsTheDefaultsOfTheOptionalEntryPoints) {
  ASSERT_TRUE(NegotiateWith(kRequired12));
  ASSERT_TRUE(bench_.Initialize());
  TestGinaControl* gina = WinlogonBench::Gina(kRequired12);
  void* context = bench_.context();
  wchar_t text[16] = L"";
  DWORD options = 0;
  struct Case {
    const char* name;
    BOOL result;
  } cases[] = {
      {"WlxStartApplication",
       reinterpret_cast<BOOL(WINAPI*)(PVOID, PWSTR, PVOID, PWSTR)>(
           bench_.Export("WlxStartApplication"))(context, text, nullptr, text)},
      {"WlxDisplayStatusMessage",
       reinterpret_cast<BOOL(WINAPI*)(PVOID, HDESK, DWORD, PWSTR, PWSTR)>(
           bench_.Export("WlxDisplayStatusMessage"))(context, nullptr, 0, text, text)},
      {"WlxGetStatusMessage",
       reinterpret_cast<BOOL(WINAPI*)(PVOID, DWORD*, PWSTR, DWORD)>(
           bench_.Export("WlxGetStatusMessage"))(context, &options, text, 16)},
      {"WlxNetworkProviderLoad", reinterpret_cast<BOOL(WINAPI*)(PVOID, PVOID)>(
                                     bench_.Export("WlxNetworkProviderLoad"))(context, nullptr)},
      {"WlxRemoveStatusMessage",
       reinterpret_cast<BOOL(WINAPI*)(PVOID)>(bench_.Export("WlxRemoveStatusMessage"))(context)},
      {"WlxGetConsoleSwitchCredentials",
       reinterpret_cast<BOOL(WINAPI*)(PVOID, PVOID)>(
           bench_.Export("WlxGetConsoleSwitchCredentials"))(context, nullptr)},
  };
  for (const Case& c : cases) EXPECT_FALSE(c.result) << c.name;

  auto screen_saver =
      reinterpret_cast<BOOL(WINAPI*)(PVOID, BOOL*)>(bench_.Export("WlxScreenSaverNotify"));
  BOOL secure = 0;
  EXPECT_TRUE(screen_saver(context, &secure));
  EXPECT_EQ(secure, 0);
  EXPECT_EQ(gina->calls[kGinaIsLockOk], 0u);
  // A secure screen saver asks the provider whether locking is all right.
  gina->is_lock_ok_result = FALSE;
  secure = 1;
  EXPECT_TRUE(screen_saver(context, &secure));
  EXPECT_EQ(secure, 0);
  EXPECT_EQ(gina->calls[kGinaIsLockOk], 1u);

  // The two notifications without a slot are not called through it.
  reinterpret_cast<VOID(WINAPI*)(PVOID)>(bench_.Export("WlxDisconnectNotify"))(context);
  reinterpret_cast<VOID(WINAPI*)(PVOID)>(bench_.Export("WlxReconnectNotify"))(context);
  for (uint32_t entry = kGinaScreenSaverNotify; entry < kGinaEntryCount; ++entry)
    EXPECT_EQ(gina->calls[entry], 0u) << "entry " << entry;
}

TEST_F(ChainTest, EveryEntryPointIsForwardedOnceToAFullProvider) {
  ASSERT_TRUE(NegotiateWith(kAll21));
  CallEveryExport();
  TestGinaControl* gina = WinlogonBench::Gina(kAll21);
  for (uint32_t entry = 0; entry < kGinaEntryCount; ++entry)
    EXPECT_EQ(gina->calls[entry], 1u) << "entry " << entry;
  EXPECT_EQ(gina->winlogon, bench_.winlogon_handle());
  EXPECT_EQ(bench_.context(), TEST_GINA_CONTEXT_MARK);
  // Only the provider's own answer counts for the screen saver.
  BOOL secure = 0;
  EXPECT_TRUE(reinterpret_cast<BOOL(WINAPI*)(PVOID, BOOL*)>(bench_.Export("WlxScreenSaverNotify"))(
      bench_.context(), &secure));
  EXPECT_EQ(secure, 7);
  EXPECT_TRUE(bench_.SystemBoxes().empty());
}

}  // namespace
}  // namespace hvn::test
