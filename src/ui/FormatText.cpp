#include "ui/FormatText.h"

#include <cstdarg>
#include <cstdio>

int FormatText(char* text, size_t size, const char* format, ...) {
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
