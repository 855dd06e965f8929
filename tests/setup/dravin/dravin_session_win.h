// Runs the real Dravin.exe in the test prefix and prepares the machine it works on: the client
// files in the system directory, the Windows version Wine reports to it, registry keys that
// refuse access, a client library held open. Everything is put back when the owner goes.
#ifndef HVN_TESTS_SETUP_DRAVIN_DRAVIN_SESSION_WIN_H_
#define HVN_TESTS_SETUP_DRAVIN_DRAVIN_SESSION_WIN_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/win.h"

namespace hvn::test {

struct DravinRun {
  std::string output;  // the whole standard output, bytes as written
  uint32_t exit_code = 0;
};

// Runs Dravin.exe with `arguments` in `directory`, Wine reporting `windows_version` (nt40,
// win2k, winxp, win98) to it.
DravinRun RunDravin(const std::string& arguments, const std::string& directory,
                    const char* windows_version);

std::string SystemDirectory();
// Dravin.exe of this build, as a Windows path.
std::string DravinPath();

// Test libraries carrying version resources, by the FileVersion of their 040904B0 block.
enum class TestLibrary { kNone, kVersion3501, kVersion3502, kVersionWithoutSpaces, kNoUsBlock };
std::string TestLibraryPath(TestLibrary library);

// Copies `source` to `name` in the system directory; removes it again when the owner goes.
class SystemFile {
 public:
  SystemFile(const std::string& source, const char* name);
  ~SystemFile();
  SystemFile(const SystemFile&) = delete;
  SystemFile& operator=(const SystemFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Holds a file open for reading (others may read it, nobody may write it) until the owner
// goes, as a process that has loaded a library does.
class FileHold {
 public:
  explicit FileHold(const std::string& path);
  ~FileHold();
  FileHold(const FileHold&) = delete;
  FileHold& operator=(const FileHold&) = delete;
  bool IsHeld() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Denies `access` to everyone on HKEY_LOCAL_MACHINE `subkey` (created if missing) until the
// owner goes, then restores the key's own access list.
class RegistryAccessDenial {
 public:
  RegistryAccessDenial(const char* subkey, REGSAM access);
  ~RegistryAccessDenial();
  RegistryAccessDenial(const RegistryAccessDenial&) = delete;
  RegistryAccessDenial& operator=(const RegistryAccessDenial&) = delete;

 private:
  std::string subkey_;
  std::vector<BYTE> saved_descriptor_;
};

// HKEY_LOCAL_MACHINE string values: nullptr / "" for an absent value.
std::string ReadMachineString(const char* subkey, const char* name, bool* present = nullptr);
void SetMachineString(const char* subkey, const char* name, const char* value);
void DeleteMachineValue(const char* subkey, const char* name);

// Every value of HKEY_LOCAL_MACHINE `subkey` by name: type and data. Empty when the key is
// missing.
std::map<std::string, std::string> MachineValues(const char* subkey);

// The client settings as one text: "no key", or the values present among "HVServers" (entries
// joined by "|"), "HVS_Port", "Timeout", "Retries", as "name=value" joined by "; ".
std::string ClientSettingsText();

}  // namespace hvn::test

#endif  // HVN_TESTS_SETUP_DRAVIN_DRAVIN_SESSION_WIN_H_
