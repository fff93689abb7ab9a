// UTF-16 string helpers of the device runtime, and UTF-8 conversion at the host boundary.
#pragma once

#include <platform/types.h>

#include <cstdarg>
#include <string>
#include <string_view>

int lstrlenW(LPCWSTR text);
// Copies at most count - 1 units and always terminates (count > 0).
LPWSTR lstrcpynW(LPWSTR destination, LPCWSTR source, int count);
int lstrcmpW(LPCWSTR a, LPCWSTR b);
int lstrcmpiW(LPCWSTR a, LPCWSTR b);
// Upper case of one UTF-16 unit (Latin-1, Latin Extended-A, Greek and Cyrillic letters).
WCHAR towupper(WCHAR unit);

// printf-style formatting into a buffer of capacity units (always terminated): flags - + 0 space #,
// width, precision and the conversions d i u x X c s S (wide strings) and %%.
// Returns the number of units written, terminator excluded.
int wsprintfW(LPWSTR buffer, LPCWSTR format, ...);
int wvsprintfW(LPWSTR buffer, std::size_t capacity, LPCWSTR format, std::va_list args);
int FormatW(LPWSTR buffer, std::size_t capacity, LPCWSTR format, ...);

// Host boundary: invalid sequences become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
