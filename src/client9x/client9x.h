// The 9x client: the state it keeps (shared between processes and per process), the library
// entry's work, and the system-wide hook that recognises the 9x password dialogs when they
// are activated. Windows build only.
#ifndef HVN_CLIENT9X_CLIENT9X_H_
#define HVN_CLIENT9X_CLIENT9X_H_

#include <cstdint>

#include "client9x/recognition_table_9x.h"
#include "config/client_settings.h"
#include "platform/win.h"

namespace hvn {

// Shared by every process that has the library loaded (a data section marked shared in the
// image, 8 bytes): the hook handle (none until a process installs the hook) and the row count.
struct SharedHookState {
  HHOOK Hook;
  uint32_t RowCount;
};
static_assert(sizeof(SharedHookState) == 8, "the shared section holds 8 bytes");

SharedHookState& SharedHook();

// This process's own state; it lives as long as the library stays loaded in the process.
struct Client9xProcess {
  DialogRecognitionEntry Table[k9xRowCapacity];
  bool Installer;  // this process installed the hook
  HINSTANCE Library;
  bool Pinned;  // the library holds a reference to itself (a dialog here runs our procedure)
  ClientSettings Settings;
};

Client9xProcess& ProcessState();

// The handlers of the three 9x kinds.
Dialog9xHandlerSet Win9xDialogHandlers();

// Fills this process's table from its settings' WaitParams and sets the shared row count.
void Build9xRecognitionTable();

// The library entry's work on process attach: no thread notifications, the earlier settings
// moved, the 9x message-box service installed, the settings loaded, the table built, and the
// hook installed when no process has installed it. No exception leaves it.
void AttachProcess(HINSTANCE library);

// On process detach: the process that installed the hook removes it and empties the shared
// handle; any other process leaves it alone.
void DetachProcess();

// The CBT hook: passes every event on; when a window is about to be activated, compares its
// title with each row's title and, for a match, looks for a descendant whose text is the row's
// control text. A dialog is prepared at most once per activation, and never when its title
// already carries " (HVN)". Returns 0: the activation goes ahead. No exception leaves it.
LRESULT CALLBACK ActivationHook(int code, WPARAM wparam, LPARAM lparam);

}  // namespace hvn

#endif  // HVN_CLIENT9X_CLIENT9X_H_
