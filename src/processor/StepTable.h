// The processor's scaling steps as parallel arrays: index 0 is the highest (fastest) step and
// lastStep the lowest. An empty table has lastStep = -1.
#pragma once

#include <cstdint>

constexpr int MaxSteps = 10;

struct StepTable {
  int32_t frequencyMHz[MaxSteps] = {};
  int32_t level[MaxSteps] = {};
  uint32_t cdDivider[MaxSteps] = {};
  uint32_t cdFrequencyMHz[MaxSteps] = {};
  uint32_t sdDivider[MaxSteps] = {};
  uint32_t sdFrequencyMHz[MaxSteps] = {};
  float voltage[MaxSteps] = {};

  int32_t initialUpperLevel = 0;
  int32_t initialLowerLevel = 0;
  int32_t lastStep = -1;
  int32_t initialMaxStep = 0;
  int32_t initialMinStep = 0;
  int32_t maxStep = 0;
  int32_t minStep = 0;

  // True when index names a filled step; every indexed read of the arrays should ask first.
  bool Contains(int index) const { return index >= 0 && index <= lastStep && index < MaxSteps; }

  int StepCount() const {
    if (lastStep < 0) return 0;
    return lastStep < MaxSteps ? lastStep + 1 : MaxSteps;
  }

  // Index of the first step running at mhz, or -1 when none does.
  int IndexOfFrequency(int32_t mhz) const {
    for (int i = 0; i < StepCount(); ++i) {
      if (frequencyMHz[i] == mhz) return i;
    }
    return -1;
  }
};
