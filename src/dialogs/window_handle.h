// The window handle type for code that is portable but passes windows along (the recognition
// table stores handlers that take windows). The Windows build takes HWND from the system; the
// portable build declares the same opaque pointer type, so tables can be tested natively.
#ifndef HVN_DIALOGS_WINDOW_HANDLE_H_
#define HVN_DIALOGS_WINDOW_HANDLE_H_

#ifdef _WIN32
#include "platform/win.h"
#else
struct HWND__;
typedef HWND__* HWND;
#endif

#endif  // HVN_DIALOGS_WINDOW_HANDLE_H_
