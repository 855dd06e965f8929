// The registry API the system uses (the ANSI Reg*A calls and HKEY). The Windows build takes
// them from the system; the portable build gets the same names from a small in-memory
// registry, so registry logic also runs natively under the sanitizers.
#ifndef HVN_PLATFORM_REGISTRY_H_
#define HVN_PLATFORM_REGISTRY_H_

#ifdef _WIN32
#include "platform/win.h"
#else
struct HKEY__;
typedef HKEY__* HKEY;
#endif

#endif  // HVN_PLATFORM_REGISTRY_H_
