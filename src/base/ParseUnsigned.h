// Portable: reading an unsigned decimal number typed into an edit field.
#pragma once

#include <cstdint>

namespace base {

// Accepts blanks and tabs around one unsigned decimal number with an optional plus sign; only the
// first 31 characters of the text are read. A minus sign, other characters and a text without a
// number are rejected, and then `value` is left alone. A number too large for 32 bits reads as
// 4294967295.
bool ParseUnsignedField(const char* text, uint32_t& value);

}  // namespace base
