// Runs Kestrin's custom actions the only way they are ever run: inside a real installer
// session. A package is built around Kestrin.dll with each export as a custom action of type 1
// (a DLL stored in the Binary table), and every user message the session receives is caught by
// an external record handler.
#ifndef HVN_TESTS_SETUP_KESTRIN_INSTALLER_SESSION_WIN_H_
#define HVN_TESTS_SETUP_KESTRIN_INSTALLER_SESSION_WIN_H_

#include <string>
#include <vector>

namespace hvn::test {

struct ActionRun {
  unsigned result = 0;                // what the installer got back from the action
  std::vector<std::string> messages;  // field 1 of each user message, in order
  std::vector<unsigned> types;        // the message type of each, as the session received it
};

class InstallerPackage {
 public:
  // Builds the package from `dll_path` in `folder`. failure() names the step that failed, and
  // is empty when the package was built.
  InstallerPackage(const std::string& dll_path, const std::string& folder);
  const std::string& failure() const { return failure_; }

  // Opens a session on the package with Wine reporting `windows_version` (nt40, win2k, winxp,
  // win98) to the process that runs the actions, and runs `action` in it.
  ActionRun Run(const std::string& action, const std::string& windows_version) const;

 private:
  std::string path_;
  std::string failure_;
};

}  // namespace hvn::test

#endif  // HVN_TESTS_SETUP_KESTRIN_INSTALLER_SESSION_WIN_H_
