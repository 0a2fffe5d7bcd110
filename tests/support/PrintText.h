// A failing check shows a FixedText as its text, not as the bytes of its buffer.
#pragma once

#include <ostream>

#include "base/FixedText.h"

template <size_t N>
void PrintTo(const FixedText<N>& text, std::ostream* out) {
  *out << '"' << text.c_str() << '"';
}
