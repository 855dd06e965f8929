// Test helper: loads the library named on the command line and keeps it loaded, as Winlogon
// keeps its logon provider, until the test signals the release event (at most a minute).
#include "platform/win.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HMODULE library = ::LoadLibraryA(argv[1]);
  if (library == nullptr) return 1;
  HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, "hvn_setup_test_holder_ready");
  HANDLE release = ::OpenEventA(SYNCHRONIZE, FALSE, "hvn_setup_test_holder_release");
  if (ready == nullptr || release == nullptr) return 3;
  ::SetEvent(ready);
  ::WaitForSingleObject(release, 60000);
  ::FreeLibrary(library);
  return 0;
}
