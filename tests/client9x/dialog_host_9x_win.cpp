// hvn_9x_dialog_host.exe ROW: shows, modally and activated, the 9x password dialog that
// built-in recognition row ROW (1-21) recognises, laid out as the system's. Exit status 1
// when an OK reached the dialog's own procedure (which then ends it), 2 when it was cancelled
// or closed, 3 for a bad argument.
#include <cstdlib>

#include "client9x/recognition_table_9x.h"
#include "dialogs/test_dialog_host_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  int row = std::atoi(command_line);
  if (row < 1 || row > static_cast<int>(hvn::kBuiltIn9xRowCount)) return 3;
  const hvn::BuiltIn9xRow& builtin = hvn::kBuiltIn9xRows[row - 1];
  hvn::test::TestDialogLayout layout;
  layout.Title = builtin.Title;
  layout.RecognitionText = builtin.ControlText;
  switch (builtin.Kind) {
    case hvn::Dialog9xKind::Change9x3:
      layout.Kind = hvn::test::TestDialogKind::Change9x3;
      break;
    case hvn::Dialog9xKind::Change9x4911:
      layout.Kind = hvn::test::TestDialogKind::Change9x4911;
      break;
    case hvn::Dialog9xKind::ExpiredNW:
      layout.Kind = hvn::test::TestDialogKind::ExpiredNW;
      break;
  }
  layout.CloseOnOk = true;
  return hvn::test::RunTestDialog(layout, nullptr, nullptr) == IDOK ? 1 : 2;
}
