// A library that only carries a version resource: the console installer's tests put it in the
// system directory in place of the client library.
#include "platform/win.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}
