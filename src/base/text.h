// Bounded text copies and the conversions between the module's UTF-16 texts and
// the dock's 8-bit texts, which are always in the system's ANSI code page.
#pragma once

#include <windows.h>

#include <cstddef>

// Copies src into dst (capacity characters, terminator included), cutting it to
// fit. A null src copies as empty.
void CopyText(wchar_t* dst, size_t capacity, const wchar_t* src) noexcept;
void CopyText(char* dst, size_t capacity, const char* src) noexcept;

template <size_t N>
void CopyText(wchar_t (&dst)[N], const wchar_t* src) noexcept { CopyText(dst, N, src); }
template <size_t N>
void CopyText(char (&dst)[N], const char* src) noexcept { CopyText(dst, N, src); }

// Whole conversions: true only when all of src fits dst with its terminator
// (and, to 8-bit, the text converts back unchanged: no default or best-fit
// character stood in). On false dst is empty. Correct in every ANSI code page,
// UTF-8 included.
bool AnsiToWide(const char* src, wchar_t* dst, size_t capacity) noexcept;
bool WideToAnsi(const wchar_t* src, char* dst, size_t capacity) noexcept;

// Converts to 8-bit, cutting at a character boundary when src does not fit.
// Characters without an ANSI form become the code page's default character.
void WideToAnsiCut(const wchar_t* src, char* dst, size_t capacity) noexcept;
