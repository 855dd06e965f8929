#include "platform/ansi_text.h"
#include "platform/win.h"

namespace hvn::platform {

size_t WideToAnsi(const char16_t* text, size_t length, char* out, size_t capacity) {
  if (capacity == 0) return 0;
  size_t written = 0;
  // One character at a time, so a character that does not fit is left out whole.
  for (size_t i = 0; i < length;) {
    int units = 1;
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      units = 2;
    }
    char bytes[8];
    int produced = ::WideCharToMultiByte(CP_ACP, 0, AsWide(text + i), units, bytes,
                                         sizeof(bytes), nullptr, nullptr);
    if (produced <= 0) {
      bytes[0] = '?';
      produced = 1;
    }
    if (written + static_cast<size_t>(produced) + 1 > capacity) break;
    for (int k = 0; k < produced; ++k) out[written++] = bytes[k];
    i += static_cast<size_t>(units);
  }
  out[written] = '\0';
  return written;
}

size_t AnsiToWide(const char* text, size_t length, char16_t* out, size_t capacity) {
  if (capacity == 0) return 0;
  size_t written = 0;
  for (size_t i = 0; i < length;) {
    int bytes = (::IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < length) ? 2 : 1;
    wchar_t units[4];
    int produced = ::MultiByteToWideChar(CP_ACP, 0, text + i, bytes, units, 4);
    if (produced <= 0) {
      units[0] = L'?';
      produced = 1;
    }
    if (written + static_cast<size_t>(produced) + 1 > capacity) break;
    for (int k = 0; k < produced; ++k) out[written++] = static_cast<char16_t>(units[k]);
    i += static_cast<size_t>(bytes);
  }
  out[written] = u'\0';
  return written;
}

void AnsiToUpper(char* text, size_t length) {
  if (length > 0) ::CharUpperBuffA(text, static_cast<DWORD>(length));
}

bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

bool AnsiEqualIgnoreCase(const char* a, size_t a_length, const char* b, size_t b_length) {
  if (a_length == 0 || b_length == 0) return a_length == b_length;
  return ::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, static_cast<int>(a_length), b,
                          static_cast<int>(b_length)) == CSTR_EQUAL;
}

}  // namespace hvn::platform
