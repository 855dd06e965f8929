// Loaded by the start-up program in place of HVNc9x.dll (both copied into a folder of the
// test's own), it takes over the program's import of GetProcAddress. Asked for
// RegisterServiceProcess, it writes "asked" to service.log beside the program and answers with
// a function that writes "registered <process> <type>", or with none when HVN_TEST_KERNEL is
// "lacks it" (as on NT). Every other name goes to the real GetProcAddress.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

void Log(const char* line) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::strcpy(std::strrchr(path, '\\') + 1, "service.log");
  HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  ::CloseHandle(file);
}

DWORD WINAPI RecordRegistration(DWORD process, DWORD type) {
  char line[64];
  std::snprintf(line, sizeof(line), "registered %lu %lu\r\n", process, type);
  Log(line);
  return 1;
}

FARPROC WINAPI AnswerLookup(HMODULE module, LPCSTR name) {
  if (HIWORD(name) == 0 || std::strcmp(name, "RegisterServiceProcess") != 0) {
    return ::GetProcAddress(module, name);
  }
  Log("asked\r\n");
  char kernel[16] = {};
  ::GetEnvironmentVariableA("HVN_TEST_KERNEL", kernel, sizeof(kernel));
  if (std::strcmp(kernel, "lacks it") == 0) return nullptr;
  return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordRegistration));
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  // The program's import slots that hold GetProcAddress now hold AnswerLookup.
  auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
  auto* slots = reinterpret_cast<FARPROC*>(base + table.VirtualAddress);
  DWORD protection = 0;
  ::VirtualProtect(slots, table.Size, PAGE_READWRITE, &protection);
  for (size_t i = 0; i < table.Size / sizeof(FARPROC); ++i) {
    if (slots[i] == reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&::GetProcAddress))) {
      slots[i] = reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&AnswerLookup));
    }
  }
  ::VirtualProtect(slots, table.Size, protection, &protection);
  return TRUE;
}
