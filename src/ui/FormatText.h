// printf into a fixed buffer, through the C runtime's own printf family on every platform. On
// Windows that is msvcrt's, so the formats are checked against it: %d, %u, %ld, %lx and %f with
// their flags and widths are in; %zu and %lld are not.
#pragma once

#include <cstddef>

// Writes at most size - 1 characters and the terminator; returns how many characters it wrote.
int FormatText(char* text, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
