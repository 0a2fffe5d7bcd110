// printf into a fixed buffer, through the C runtime's own printf family on every platform. On
// Windows that is msvcrt's, and the msvcrt of Windows 98 and 2000 knows no ll, hh, z, j, t or L
// length: FormatText refuses a literal format with one at compile time, and the compiler checks
// the arguments against it as for printf. A format loaded from the string table goes through
// FormatLoadedText; a unit test checks every string-table format the same way.
#pragma once

#include <cstddef>

// Writes at most size - 1 characters and the terminator; returns how many characters it wrote.
int FormatLoadedText(char* text, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Whether every conversion of the format is one that msvcrt of Windows 98 and 2000 reads.
constexpr bool MsvcrtFormat(const char* format) {
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') continue;
    ++p;
    while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0') ++p;
    while ((*p >= '0' && *p <= '9') || *p == '*' || *p == '.') ++p;
    if ((p[0] == 'l' && p[1] == 'l') || (p[0] == 'h' && p[1] == 'h')) return false;
    if (*p == 'z' || *p == 'j' || *p == 't' || *p == 'L') return false;
    if (*p == '\0') return false;  // a lone % at the end
  }
  return true;
}

template <bool Ok>
struct MsvcrtFormatCheck {
  static_assert(Ok, "msvcrt of Windows 98 and 2000 reads no ll, hh, z, j, t or L in a format");
  static constexpr int value = 0;
};

#define VS_FORMAT_OF(format, ...) format
// A format that is not a literal does not compile here: use FormatLoadedText.
#define FormatText(text, size, ...)                                                          \
  (static_cast<void>(MsvcrtFormatCheck<MsvcrtFormat(VS_FORMAT_OF(__VA_ARGS__, ""))>::value), \
   FormatLoadedText(text, size, __VA_ARGS__))

// A voltage as "%.3f", rounded as MinGW's printf and glibc round: to nearest, a tie to the even
// neighbour. msvcrt rounds a tie away from zero, and a float has ties at the third decimal from
// 16384 V up (a faulty reading); written here, the text is the same on every platform.
int FormatVolts(char* text, size_t size, float volts);
