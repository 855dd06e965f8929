#include <cstring>

#include "dialogs/dialog_window_ops.h"
#include "platform/ansi_text.h"

namespace hvn {
namespace {

constexpr size_t kTitleBufferSize = 1024;

struct NthChildSearch {
  uint32_t Wanted;
  uint32_t Visited;
  HWND Found;
};

BOOL CALLBACK CountChild(HWND window, LPARAM param) {
  NthChildSearch& search = *reinterpret_cast<NthChildSearch*>(param);
  if (++search.Visited < search.Wanted) return TRUE;
  search.Found = window;
  return FALSE;
}

}  // namespace

void MarkDialogTitle(HWND window) {
  char title[kTitleBufferSize];
  std::memset(title, 0, sizeof(title));
  const size_t mark_length = sizeof(kDialogTitleMark) - 1;
  ::GetWindowTextA(window, title, static_cast<int>(kTitleBufferSize - 1 - mark_length));
  size_t length = platform::BoundedLength(title, kTitleBufferSize - 1 - mark_length);
  std::memcpy(title + length, kDialogTitleMark, sizeof(kDialogTitleMark));
  ::SetWindowTextA(window, title);
}

HWND FindNthChildWindow(HWND parent, uint32_t n) {
  if (n == 0) return nullptr;
  NthChildSearch search{n, 0, nullptr};
  ::EnumChildWindows(parent, CountChild, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

void CopyText(char16_t* out, size_t capacity, const char16_t* text) {
  if (capacity == 0) return;
  size_t length = text != nullptr ? platform::BoundedLength(text, capacity - 1) : 0;
  if (length > 0) std::memcpy(out, text, length * sizeof(char16_t));
  out[length] = u'\0';
}

void ReadWindowTextW(HWND window, char16_t* out, size_t capacity) {
  out[0] = u'\0';
  if (window == nullptr) return;
  int length = ::GetWindowTextW(window, platform::AsWide(out), static_cast<int>(capacity));
  if (length < 0) length = 0;
  if (static_cast<size_t>(length) >= capacity) length = static_cast<int>(capacity - 1);
  out[length] = u'\0';
}

}  // namespace hvn
