#include "setup/dravin/dravin_session_win.h"

#include <algorithm>
#include <cstring>

#include "platform/unique_resource.h"

namespace hvn::test {
namespace {

struct HandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ::CloseHandle(handle); }
};
using UniqueHandle = platform::UniqueResource<HandleTraits>;

struct KeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle key) { ::RegCloseKey(key); }
};
using UniqueKey = platform::UniqueResource<KeyTraits>;

// The build's paths are host paths; Wine sees the host's root as drive Z:.
std::string WindowsPath(std::string host_path) {
  std::replace(host_path.begin(), host_path.end(), '/', '\\');
  return "Z:" + host_path;
}

void SetReportedVersion(const char* exe_name, const char* version) {
  UniqueKey key;
  std::string path = std::string("Software\\Wine\\AppDefaults\\") + exe_name;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.Receive(), nullptr) != 0) {
    return;
  }
  ::RegSetValueExA(key.Get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(std::strlen(version) + 1));
}

}  // namespace

std::string SystemDirectory() {
  char directory[MAX_PATH] = {};
  ::GetSystemDirectoryA(directory, MAX_PATH);
  return directory;
}

std::string DravinPath() {
  return WindowsPath(HVN_DRAVIN_PATH);
}

DravinRun RunDravin(const std::string& arguments, const std::string& directory,
                    const char* windows_version) {
  SetReportedVersion("Dravin.exe", windows_version);
  DravinRun run;
  run.exit_code = 0xFFFFFFFF;
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  UniqueHandle read_end, write_end;
  if (!::CreatePipe(read_end.Receive(), write_end.Receive(), &inheritable, 0)) return run;
  ::SetHandleInformation(read_end.Get(), HANDLE_FLAG_INHERIT, 0);

  std::string command = "\"" + DravinPath() + "\"";
  if (!arguments.empty()) command += " " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_end.Get();
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(),
                        &startup, &process)) {
    return run;
  }
  UniqueHandle process_handle(process.hProcess), thread_handle(process.hThread);
  write_end.Reset();  // the pipe ends when Dravin's copy closes
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(read_end.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    run.output.append(buffer, got);
  }
  ::WaitForSingleObject(process_handle.Get(), 60000);
  DWORD exit_code = 0;
  if (::GetExitCodeProcess(process_handle.Get(), &exit_code)) run.exit_code = exit_code;
  return run;
}

std::string TestLibraryPath(TestLibrary library) {
  const char* name = "";
  switch (library) {
    case TestLibrary::kNone:
      return "";
    case TestLibrary::kVersion3501:
      name = "hvn_test_client_3501.dll";
      break;
    case TestLibrary::kVersion3502:
      name = "hvn_test_client_3502.dll";
      break;
    case TestLibrary::kVersionWithoutSpaces:
      name = "hvn_test_client_nospaces.dll";
      break;
    case TestLibrary::kNoUsBlock:
      name = "hvn_test_client_german.dll";
      break;
  }
  return WindowsPath(HVN_TEST_LIBRARY_DIR) + "\\" + name;
}

SystemFile::SystemFile(const std::string& source, const char* name)
    : path_(SystemDirectory() + "\\" + name) {
  ::CopyFileA(source.c_str(), path_.c_str(), FALSE);
}

SystemFile::~SystemFile() {
  ::DeleteFileA(path_.c_str());
}

FileHold::FileHold(const std::string& path)
    : handle_(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}

FileHold::~FileHold() {
  if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
}

RegistryAccessDenial::RegistryAccessDenial(const char* subkey, REGSAM access) : subkey_(subkey) {
  UniqueKey key;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, READ_CONTROL | WRITE_DAC,
                        nullptr, key.Receive(), nullptr) != 0) {
    return;
  }
  DWORD size = 0;
  ::RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, nullptr, &size);
  saved_descriptor_.resize(size);
  if (size == 0 || ::RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION,
                                       saved_descriptor_.data(), &size) != 0) {
    saved_descriptor_.clear();
    return;
  }
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  alignas(DWORD) BYTE acl_bytes[256];
  PACL acl = reinterpret_cast<PACL>(acl_bytes);
  ::InitializeAcl(acl, sizeof(acl_bytes), ACL_REVISION);
  ::AddAccessDeniedAce(acl, ACL_REVISION, access, everyone);
  ::AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
  SECURITY_DESCRIPTOR descriptor;
  ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  ::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
  ::RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &descriptor);
  ::FreeSid(everyone);
}

RegistryAccessDenial::~RegistryAccessDenial() {
  if (saved_descriptor_.empty()) return;
  UniqueKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey_.c_str(), 0, WRITE_DAC, key.Receive()) == 0) {
    ::RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, saved_descriptor_.data());
  }
}

std::string ReadMachineString(const char* subkey, const char* name, bool* present) {
  if (present != nullptr) *present = false;
  UniqueKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_QUERY_VALUE, key.Receive()) != 0) {
    return "";
  }
  char value[1024] = {};
  DWORD size = sizeof(value) - 1;
  if (::RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                         &size) != 0) {
    return "";
  }
  if (present != nullptr) *present = true;
  return value;
}

void SetMachineString(const char* subkey, const char* name, const char* value) {
  UniqueKey key;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.Receive(), nullptr) == 0) {
    ::RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                     static_cast<DWORD>(std::strlen(value) + 1));
  }
}

void DeleteMachineValue(const char* subkey, const char* name) {
  UniqueKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_SET_VALUE, key.Receive()) == 0) {
    ::RegDeleteValueA(key.Get(), name);
  }
}

std::map<std::string, std::string> MachineValues(const char* subkey) {
  std::map<std::string, std::string> values;
  UniqueKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, key.Receive()) != 0) return values;
  for (DWORD index = 0;; ++index) {
    char name[256];
    BYTE data[4096];
    DWORD name_size = sizeof(name), data_size = sizeof(data), type = 0;
    if (::RegEnumValueA(key.Get(), index, name, &name_size, nullptr, &type, data, &data_size) !=
        0) {
      break;
    }
    values[name] =
        std::to_string(type) + ":" + std::string(reinterpret_cast<const char*>(data), data_size);
  }
  return values;
}

std::string ClientSettingsText() {
  UniqueKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Norvex\\Halvern Client\\3.5", 0, KEY_READ,
                      key.Receive()) != 0) {
    return "no key";
  }
  std::string text;
  auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
  char servers[4096] = {};
  DWORD size = sizeof(servers) - 2;
  if (::RegQueryValueExA(key.Get(), "HVServers", nullptr, nullptr, reinterpret_cast<BYTE*>(servers),
                         &size) == 0) {
    std::string joined;
    for (const char* entry = servers; *entry != '\0'; entry += std::strlen(entry) + 1) {
      joined += (joined.empty() ? "" : "|") + std::string(entry);
    }
    add("HVServers=" + joined);
  }
  for (const char* name : {"HVS_Port", "Timeout", "Retries"}) {
    DWORD number = 0;
    size = sizeof(number);
    if (::RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&number),
                           &size) == 0) {
      add(std::string(name) + "=" + std::to_string(number));
    }
  }
  return text;
}

}  // namespace hvn::test
