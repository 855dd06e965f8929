// A test library that the start-up program loads in place of HVNc9x.dll (both copied into a
// folder of the test's own). As it is loaded it takes over the program's import of
// KERNEL32!GetProcAddress: asked for RegisterServiceProcess, it writes "asked" to service.log
// beside the program and answers with a recording function, or with none when the test set
// HVN_TEST_KERNEL to "lacks it" (a kernel without the function, as on NT); the recording
// function writes "registered <process> <type>". Every other name goes to the real one.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

using GetProcAddressFunction = FARPROC(WINAPI*)(HMODULE, LPCSTR);
GetProcAddressFunction g_real_get_proc_address = nullptr;
bool g_kernel_lacks_it = false;

void Log(const char* line) {
  char path[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* slash = std::strrchr(path, '\\');
  if (length == 0 || slash == nullptr) return;
  std::strcpy(slash + 1, "service.log");
  HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  ::CloseHandle(file);
}

DWORD WINAPI RecordRegistration(DWORD process, DWORD type) {
  char line[64];
  std::snprintf(line, sizeof(line), "registered %lu %lu\r\n", static_cast<unsigned long>(process),
                static_cast<unsigned long>(type));
  Log(line);
  return 1;
}

FARPROC WINAPI AnswerLookup(HMODULE module, LPCSTR name) {
  if (reinterpret_cast<UINT_PTR>(name) > 0xFFFF &&
      std::strcmp(name, "RegisterServiceProcess") == 0) {
    Log("asked\r\n");
    return g_kernel_lacks_it
               ? nullptr
               : reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordRegistration));
  }
  return g_real_get_proc_address(module, name);
}

// Points the program's import slot of KERNEL32!GetProcAddress at AnswerLookup.
void TakeOverGetProcAddress(HMODULE program) {
  auto* base = reinterpret_cast<BYTE*>(program);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       entry->Name != 0; ++entry) {
    if (::lstrcmpiA(reinterpret_cast<char*>(base + entry->Name), "KERNEL32.DLL") != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char*>(by_name->Name), "GetProcAddress") != 0) continue;
      DWORD protection = 0;
      ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                       &protection);
      g_real_get_proc_address = reinterpret_cast<GetProcAddressFunction>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<DWORD_PTR>(&AnswerLookup);
      ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
    }
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char kernel[32] = {};
  ::GetEnvironmentVariableA("HVN_TEST_KERNEL", kernel, sizeof(kernel));
  g_kernel_lacks_it = std::strcmp(kernel, "lacks it") == 0;
  TakeOverGetProcAddress(::GetModuleHandleA(nullptr));
  return TRUE;
}
