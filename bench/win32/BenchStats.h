// Medians with their spread, and the one-line figures every benchmark program prints. A figure
// line starts with "FIGURE " so scripts/bench can pick it out of the rest of the output.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

struct Summary {
  double median = 0;
  double min = 0;
  double max = 0;
  int runs = 0;
};

inline Summary Summarize(std::vector<double> values) {
  Summary s;
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  s.median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  s.min = values.front();
  s.max = values.back();
  s.runs = static_cast<int>(n);
  return s;
}

inline double Seconds(LONGLONG ticks) {
  static LONGLONG frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  return static_cast<double>(ticks) / static_cast<double>(frequency);
}

inline LONGLONG Now() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

// "FIGURE <name>: <median> <unit> median (min <min>, max <max>; <runs> runs)<tail>"
inline void PrintFigure(const char* name, const Summary& s, const char* unit, const char* format,
                        const char* tail = "") {
  char median[32], low[32], high[32];
  std::snprintf(median, sizeof median, format, s.median);
  std::snprintf(low, sizeof low, format, s.min);
  std::snprintf(high, sizeof high, format, s.max);
  std::printf("FIGURE %s: %s %s median (min %s, max %s; %d runs)%s\n", name, median, unit, low,
              high, s.runs, tail);
  std::fflush(stdout);
}

}  // namespace bench
