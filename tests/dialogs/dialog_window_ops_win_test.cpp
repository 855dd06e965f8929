// The shared window operations, run once per reported Windows version (the executable's
// HVN_WINDOWS_VERSION says which).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "dialogs/dialog_window_ops.h"
#include "dialogs/test_dialog_host_win.h"
#include "dialogs/windows_version.h"
#include "platform/platform_id.h"

namespace hvn {
namespace {

using test::DialogHostThread;
using test::TestDialogKind;
using test::TestDialogLayout;

std::string ReportedVersion() {
  const char* version = std::getenv("HVN_WINDOWS_VERSION");
  return version != nullptr ? version : "";
}

TEST(VersionTests, MatchTheReportedVersion) {
  struct Case {
    const char* version;
    uint32_t platform;
    bool windows2000;
    bool windows_xp;
  };
  const Case cases[] = {
      {"nt40", 2, false, false},    {"win2k", 2, true, false}, {"winxp", 2, false, true},
      {"win2003", 2, false, false},  // 5.2 and later take the other NT column
      {"win7", 2, false, false},
  };
  const std::string version = ReportedVersion();
  bool found = false;
  for (const Case& c : cases) {
    if (version != c.version) continue;
    found = true;
    EXPECT_EQ(GetPlatformId(), c.platform) << version;
    EXPECT_EQ(IsWindows2000(), c.windows2000) << version;
    EXPECT_EQ(IsWindowsXP(), c.windows_xp) << version;
  }
  EXPECT_TRUE(found) << "no expectation for version '" << version << "'";
}

class PlainWindow {
 public:
  explicit PlainWindow(const std::string& title, HWND parent = nullptr)
      : window_(::CreateWindowExA(0, "STATIC", title.c_str(),
                                  parent != nullptr ? WS_CHILD : WS_POPUP, 0, 0, 10, 10, parent,
                                  nullptr, nullptr, nullptr)) {}
  ~PlainWindow() { ::DestroyWindow(window_); }
  HWND Get() const { return window_; }

 private:
  HWND window_;
};

TEST(MarkDialogTitle, AppendsTheMarkToTitlesOfAnyLength) {
  struct Case {
    std::string title;
    std::string marked;
  };
  const Case cases[] = {
      {"Change Password", "Change Password (HVN)"},
      {"", " (HVN)"},
      {"Kennwort \xE4ndern", "Kennwort \xE4ndern (HVN)"},
      {"Change Password (HVN)", "Change Password (HVN) (HVN)"},
      {std::string(1016, 'x'), std::string(1016, 'x') + " (HVN)"},
      {std::string(1100, 'y'), std::string(1016, 'y') + " (HVN)"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    PlainWindow window(cases[i].title);
    ASSERT_NE(window.Get(), nullptr);
    MarkDialogTitle(window.Get());
    EXPECT_EQ(test::WindowTextA(window.Get()), cases[i].marked) << "case " << i;
  }
}

TEST(MarkDialogTitle, MarksADialogOfAnotherThread) {
  DialogHostThread host(TestDialogLayout{});
  MarkDialogTitle(host.Dialog());
  EXPECT_EQ(test::WindowTextA(host.Dialog()), "Change Password (HVN)");
}

TEST(FindNthChildWindow, CountsDescendantsInEnumerationOrder) {
  TestDialogLayout change_nw;
  change_nw.Kind = TestDialogKind::ChangeNW;
  change_nw.RecognitionText = "To change password(s) for the user(s) listed";
  TestDialogLayout expired_nw;
  expired_nw.Kind = TestDialogKind::ExpiredNW;
  expired_nw.RecognitionText = "Password expired for:";
  DialogHostThread change(change_nw);
  DialogHostThread expired(expired_nw);
  struct Case {
    const DialogHostThread* host;
    uint32_t n;
    int id;  // 0: no window
  };
  const Case cases[] = {
      {&change, 5, test::kNwOldPasswordId},
      {&change, 7, test::kNwNewPasswordId},
      {&change, 9, test::kNwConfirmId},
      {&change, 10, IDOK},
      {&change, 11, IDCANCEL},
      {&change, 12, 0},
      {&change, 0, 0},
      {&expired, 4, test::kNwNewPasswordId},
      {&expired, 6, test::kNwConfirmId},
      {&expired, 9, 0},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    HWND found = FindNthChildWindow(cases[i].host->Dialog(), cases[i].n);
    if (cases[i].id == 0) {
      EXPECT_EQ(found, nullptr) << "case " << i;
    } else {
      EXPECT_EQ(found, cases[i].host->Item(cases[i].id)) << "case " << i;
    }
  }
}

TEST(FindNthChildWindow, CountsGrandchildrenBeforeTheNextChild) {
  PlainWindow parent("parent");
  PlainWindow a("a", parent.Get());
  PlainWindow a1("a1", a.Get());
  PlainWindow b("b", parent.Get());
  EXPECT_EQ(FindNthChildWindow(parent.Get(), 1), a.Get());
  EXPECT_EQ(FindNthChildWindow(parent.Get(), 2), a1.Get());
  EXPECT_EQ(FindNthChildWindow(parent.Get(), 3), b.Get());
  EXPECT_EQ(FindNthChildWindow(parent.Get(), 4), nullptr);
}

}  // namespace
}  // namespace hvn
