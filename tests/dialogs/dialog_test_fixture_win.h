// What the handler and check-flow tests share: a message-box service that records every box
// (host handle, owner, text, title, style) instead of showing it, a test policy server on
// 127.0.0.1 named by the settings, and a watcher with the real recognition table and handlers.
#ifndef HVN_TESTS_DIALOGS_DIALOG_TEST_FIXTURE_WIN_H_
#define HVN_TESTS_DIALOGS_DIALOG_TEST_FIXTURE_WIN_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/client_settings.h"
#include "dialogs/dialog_watcher.h"
#include "dialogs/password_dialog_state.h"
#include "dialogs/test_dialog_host_win.h"
#include "policy_server.h"

namespace hvn::test {

struct RecordedBox {
  HANDLE Host;
  HWND Owner;
  std::u16string Text;
  std::u16string Title;
  UINT Style;
  std::string Stack;  // the live stack of the thread that showed it, from the service up
};

// Every message box shown through the service, in order.
std::vector<RecordedBox> RecordedBoxes();
void ClearRecordedBoxes();
// The service itself: records the box and answers IDOK at once.
int WINAPI RecordingMessageBox(HANDLE host, HWND owner, LPWSTR text, LPWSTR title, UINT style);

// The host handle the fixture installs with the service.
extern const HANDLE kTestHost;

// The request datagram for `fields`, each ended by NUL, as the server records it.
std::string WireRequest(const std::vector<std::u16string>& fields);

// This computer's name as GetComputerNameW reports it.
std::u16string ComputerName();

// True when the executable runs as Windows 2000 or XP (the 1702-1710 dialog layout).
bool Uses2000Layout();

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Sets the server's script (UTF-8, see policy_script.h).
  void Script(const std::string& script);
  // Server list of the settings: one entry per domain, each naming the test server's host.
  void ServeDomains(const std::vector<std::string>& domains);

  // Starts the watcher with the real table; the dialog is then prepared by the real handler.
  void StartWatcher();
  // Waits until `dialog`'s window procedure is `procedure`: its handler has finished.
  bool WaitForSubclass(HWND dialog, WNDPROC procedure);

  TestPolicyServer server_;
  ClientSettings settings_;
  DialogWatcher watcher_;
};

}  // namespace hvn::test

#endif  // HVN_TESTS_DIALOGS_DIALOG_TEST_FIXTURE_WIN_H_
