// HVNc9x: the Windows 9x client. The first process that loads it (the start-up program)
// installs a system-wide hook; the system then maps the library into every process whose
// windows raise hook events, and each such process recognises and prepares its own password
// dialogs.
#include "client9x/client9x.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) hvn::AttachProcess(instance);
  if (reason == DLL_PROCESS_DETACH) hvn::DetachProcess();
  // Always success: a process must never fail to start because of the client.
  return TRUE;
}
