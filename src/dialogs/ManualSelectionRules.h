// The Manual Selection dialog's index rules, as plain integer logic. Index 0 is the highest step,
// so a valid window has the upper limit's index no larger than the lower limit's.
#pragma once

#include <cstdint>

#include "processor/StepTable.h"

namespace dialogs {

struct ManualSelection {
  int32_t lastStep = -1;
  int32_t minIndex = -1;
  int32_t lockMax = 0;
  int32_t lockMin = 0;
  int32_t maxIndex = -1;
};

// Each rule runs after the controls were saved into the members; the caller loads them back.
void OnLockMax(ManualSelection& s);
void OnLockMin(ManualSelection& s);
void OnMinLimitChanged(ManualSelection& s);
void OnMaxLimitChanged(ManualSelection& s);

// The scaling-window words for the chosen steps: low = level of the lower limit, high = level of
// the upper limit. False, and nothing written, when either index names no step of the table.
bool WindowWords(const StepTable& steps, int32_t minStep, int32_t maxStep, uint32_t& low,
                 uint32_t& high);

}  // namespace dialogs
