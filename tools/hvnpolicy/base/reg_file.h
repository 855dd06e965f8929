// Registry files in the text form the registry editor exports ("REGEDIT4", ANSI, or "Windows
// Registry Editor Version 5.00", UTF-16LE or UTF-8): the natively built tool keeps its
// policies in such a file, and on Windows the same file is imported with the system's tools.
#ifndef HVN_TOOLS_HVNPOLICY_BASE_REG_FILE_H_
#define HVN_TOOLS_HVNPOLICY_BASE_REG_FILE_H_

#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace hvn::tool {

// Splits "HKEY_LOCAL_MACHINE\path" (or "HKLM\path", "HKEY_CURRENT_USER", "HKCU") into its
// root and the path below it. Returns false for any other root.
bool SplitRegistryPath(const std::string& path, HKEY& root, std::string& subkey);

// Stores every key and value of the registry file `text` (its bytes) with RegCreateKeyExA
// and RegSetValueExA: strings ("..." with \\ and \" escapes), dword:, hex: and hex(N): values
// (continued over lines by a backslash), "@" for the default value, ';' comments, and
// [-KEY] to delete a key. Texts are stored in the ANSI code page. Returns false with
// "line N: ..." in `error` at the first malformed line; what came before it is stored.
bool ImportRegFile(const std::string& text, std::string& error);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_BASE_REG_FILE_H_
