#include "base/FormatText.h"

#include <cstdarg>
#include <cstdio>

int FormatLoadedText(char* text, size_t size, const char* format, ...) {
  if (size == 0) return 0;
  va_list arguments;
  va_start(arguments, format);
#ifdef _WIN32
  // msvcrt has no snprintf; its _vsnprintf neither terminates a text that fills the buffer nor
  // tells how long the whole text would be (-1), so the last byte is kept for the terminator.
  int length = _vsnprintf(text, size - 1, format, arguments);
  text[size - 1] = '\0';
  if (length < 0) length = static_cast<int>(size - 1);
#else
  int length = std::vsnprintf(text, size, format, arguments);
  if (length < 0) text[0] = '\0';
  if (length < 0) length = 0;
  if (static_cast<size_t>(length) >= size) length = static_cast<int>(size - 1);
#endif
  va_end(arguments);
  return length;
}

int FormatVolts(char* text, size_t size, float volts) {
  // Below 2^20 the thousandths of a float are exact in a double, and fit a long. Above, a float
  // is a multiple of 1/8 with no tie to round; zero, negatives and the rest go to printf as well.
  if (!(volts > 0.0f && volts < 1048576.0f)) {
    return FormatText(text, size, "%.3f", static_cast<double>(volts));
  }
  const double thousandths = static_cast<double>(volts) * 1000.0;
  long rounded = static_cast<long>(thousandths);
  const double rest = thousandths - static_cast<double>(rounded);
  if (rest > 0.5 || (rest == 0.5 && rounded % 2 != 0)) ++rounded;
  return FormatText(text, size, "%ld.%03ld", rounded / 1000, rounded % 1000);
}
