#include "base/ParseUnsigned.h"

namespace base {

namespace {

constexpr int FieldLimit = 31;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

bool ParseUnsignedField(const char* text, uint32_t& value) {
  if (text == nullptr) return false;
  char field[FieldLimit + 1] = {};
  for (int i = 0; i < FieldLimit && text[i] != '\0'; ++i) field[i] = text[i];

  const char* p = field;
  while (IsBlank(*p)) ++p;
  if (*p == '-') return false;
  const char first = *p;
  if (*p == '+') ++p;
  uint64_t number = 0;
  for (; IsDigit(*p); ++p) {
    if (number <= UINT32_MAX) number = number * 10 + static_cast<uint64_t>(*p - '0');
  }
  const uint32_t result = number > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(number);
  // A zero only counts when it was typed as one; this also rejects an empty field.
  if (result == 0 && first != '0') return false;
  while (IsBlank(*p)) ++p;
  if (*p != '\0') return false;
  value = result;
  return true;
}

}  // namespace base
