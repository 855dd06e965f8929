// Texts in the system's ANSI code page: conversion to and from UTF-16 and case mapping.
// The Windows build calls the system (WideCharToMultiByte, MultiByteToWideChar,
// CharUpperBuffA, CompareStringA); the portable build implements Windows-1252, the ANSI
// code page of the systems we test on, so the same tests hold in both builds.
#ifndef HVN_PLATFORM_ANSI_TEXT_H_
#define HVN_PLATFORM_ANSI_TEXT_H_

#include <cstddef>
#include <cstdint>

namespace hvn::platform {

// Converts `length` UTF-16 units of `text` to the ANSI code page into `out`. Writes at most
// `capacity` - 1 bytes and always a terminating NUL (when `capacity` > 0); a character that
// does not fit is left out whole, never split. Characters the code page cannot represent
// become the code page's default character ('?'). Returns the bytes written without the NUL.
size_t WideToAnsi(const char16_t* text, size_t length, char* out, size_t capacity);

// Converts `length` bytes of ANSI `text` to UTF-16 into `out`: at most `capacity` - 1 units
// and always a terminating NUL (when `capacity` > 0); a double-byte character is never split.
// Returns the units written without the NUL.
size_t AnsiToWide(const char* text, size_t length, char16_t* out, size_t capacity);

// Converts `length` bytes of `text` to capitals in place in the ANSI code page: every
// lower-case letter of the code page, accented letters included.
void AnsiToUpper(char* text, size_t length);

// True when `byte` starts a double-byte character in the ANSI code page (never in 1252).
bool IsAnsiLeadByte(unsigned char byte);

// Compares two ANSI texts of the given lengths ignoring letter case, double-byte characters
// taken whole. Returns true when they are equal.
bool AnsiEqualIgnoreCase(const char* a, size_t a_length, const char* b, size_t b_length);

// Length of a NUL-terminated text, but never more than `capacity` (for fields that may be
// full without a terminator).
size_t BoundedLength(const char* text, size_t capacity);
size_t BoundedLength(const char16_t* text, size_t capacity);

}  // namespace hvn::platform

#endif  // HVN_PLATFORM_ANSI_TEXT_H_
