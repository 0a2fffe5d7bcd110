#include "resources/StringTable.h"

LongText LoadText(UINT id) {
  // The longest text of the table is under 200 characters.
  LongText text;
  int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, text.data(),
                             static_cast<int>(LongText::Capacity() + 1));
  if (length <= 0) text.clear();
  return text;
}
