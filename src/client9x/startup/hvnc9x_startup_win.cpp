// HVNc9x.exe: the 9x client's start-up program. Started once when the system starts, it loads
// HVNc9x.dll (which installs the system-wide hook on load) and keeps running with no visible
// window, because the hook lives as long as the process that installed it; it registers as a
// service process so that a log-off does not end it. It ends when the system shuts down; a
// second copy started by mistake ends at once and loads nothing.
//
// Exit status: 0 after a normal run, 183 when a copy was already running, 126 when the library
// was found neither beside the program nor in the system directory.
#include <cstring>

#include "platform/win.h"

namespace {

constexpr char kLibraryName[] = "HVNc9x.dll";
constexpr char kWindowClass[] = "HVNc9x";
// Names the running copy; a second copy finds it and ends.
constexpr char kRunningMutex[] = "Halvern Client 9x start-up";
constexpr int kAlreadyRunning = 183;                                   // ERROR_ALREADY_EXISTS
constexpr int kLibraryMissing = 126;                                   // ERROR_MOD_NOT_FOUND
constexpr LPARAM kEndSessionLogoff = static_cast<LPARAM>(0x80000000);  // ENDSESSION_LOGOFF
constexpr DWORD kRegisterSimpleService = 1;                            // RSP_SIMPLE_SERVICE

// Loads the library from `folder` (ending without a separator); nullptr when absent.
HMODULE LoadFrom(const char* folder, size_t length) {
  char path[MAX_PATH];
  if (length == 0 || length + 1 + sizeof(kLibraryName) > sizeof(path)) return nullptr;
  std::memcpy(path, folder, length);
  path[length] = '\\';
  std::memcpy(path + length + 1, kLibraryName, sizeof(kLibraryName));
  return ::LoadLibraryA(path);
}

// The program's own folder first, then the system directory: never the current directory
// or the search path, which a user could plant a library in.
HMODULE LoadClientLibrary() {
  char folder[MAX_PATH] = {};
  DWORD length = ::GetModuleFileNameA(nullptr, folder, sizeof(folder));
  if (length > 0 && length < sizeof(folder)) {
    char* slash = std::strrchr(folder, '\\');
    if (slash != nullptr) {
      if (HMODULE library = LoadFrom(folder, static_cast<size_t>(slash - folder))) return library;
    }
  }
  length = ::GetSystemDirectoryA(folder, sizeof(folder));
  if (length == 0 || length >= sizeof(folder)) return nullptr;
  return LoadFrom(folder, length);
}

// Asks the system to keep this program running when the user logs off: on Windows 95, 98 and
// Me a process that is not a service process ends with the session, and the hook with it.
// RegisterServiceProcess exists only in those systems' KERNEL32, so it is looked up at run time;
// where it is absent (NT, where a log-off never ends the start-up services) nothing is needed.
void RegisterAsServiceProcess() {
  using RegisterServiceProcessFunction = DWORD(WINAPI*)(DWORD process_id, DWORD type);
  HMODULE kernel = ::GetModuleHandleA("KERNEL32.DLL");
  if (kernel == nullptr) return;
  auto register_service_process = reinterpret_cast<RegisterServiceProcessFunction>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "RegisterServiceProcess")));
  // Process id 0: this process.
  if (register_service_process != nullptr) register_service_process(0, kRegisterSimpleService);
}

LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_QUERYENDSESSION:
      return TRUE;  // never holds up a shutdown
    case WM_ENDSESSION:
      // A log-off alone keeps the hook for the next user; a shutdown ends the program.
      if (wparam != FALSE && (lparam & kEndSessionLogoff) == 0) ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HANDLE running = ::CreateMutexA(nullptr, FALSE, kRunningMutex);
  if (running != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(running);
    return kAlreadyRunning;
  }
  HMODULE library = LoadClientLibrary();
  if (library == nullptr) {
    if (running != nullptr) ::CloseHandle(running);
    return kLibraryMissing;
  }
  // The hook is in place: from now on it must outlive a log-off.
  RegisterAsServiceProcess();

  // A window that is never shown, so the program hears of the end of the session.
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = SessionWindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kWindowClass;
  HWND window = nullptr;
  if (::RegisterClassA(&window_class) != 0) {
    window = ::CreateWindowExA(0, kWindowClass, kWindowClass, WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                               nullptr, instance, nullptr);
  }
  if (window != nullptr) {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  } else {
    // Without a window the program cannot hear the session end; it still holds the hook
    // until the system ends it.
    ::Sleep(INFINITE);
  }

  ::FreeLibrary(library);  // the library removes the hook as it is unloaded
  if (running != nullptr) ::CloseHandle(running);
  return 0;
}
