// printf into a fixed buffer, through the C runtime's own printf family on every platform. On
// Windows that is msvcrt's, so the formats are checked against it: %d, %u, %ld, %lx and %f with
// their flags and widths are in; %zu and %lld are not.
#pragma once

#include <cstddef>

// Writes at most size - 1 characters and the terminator; returns how many characters it wrote.
int FormatText(char* text, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// A voltage as "%.3f", rounded as MinGW's printf and glibc round: to nearest, a tie to the even
// neighbour. msvcrt rounds a tie away from zero, and a float has ties at the third decimal from
// 16384 V up (a faulty reading); written here, the text is the same on every platform.
int FormatVolts(char* text, size_t size, float volts);
