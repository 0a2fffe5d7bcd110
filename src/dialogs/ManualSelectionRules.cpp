#include "dialogs/ManualSelectionRules.h"

namespace dialogs {

void OnLockMax(ManualSelection& s) {
  if (s.lockMax == 1) {
    s.minIndex = 0;
    s.maxIndex = 0;
  }
  s.lockMin = 0;
}

void OnLockMin(ManualSelection& s) {
  if (s.lockMin == 1) {
    s.minIndex = s.lastStep;
    s.maxIndex = s.lastStep;
  }
  s.lockMax = 0;
}

void OnMinLimitChanged(ManualSelection& s) {
  // The lower limit may not sit above the upper limit's step.
  if (s.minIndex < s.maxIndex) s.minIndex = s.maxIndex;
  bool bothOnTop = s.minIndex == 0 && s.maxIndex == 0;
  s.lockMax = bothOnTop ? 1 : 0;
  s.lockMin = 0;
}

void OnMaxLimitChanged(ManualSelection& s) {
  if (s.maxIndex > s.minIndex) s.maxIndex = s.minIndex;
  bool bothOnBottom = s.minIndex == s.lastStep && s.maxIndex == s.lastStep;
  s.lockMin = bothOnBottom ? 1 : 0;
  s.lockMax = 0;
}

bool WindowWords(const StepTable& steps, int32_t minStep, int32_t maxStep, uint32_t& low,
                 uint32_t& high) {
  if (!steps.Contains(minStep) || !steps.Contains(maxStep)) return false;
  low = static_cast<uint32_t>(steps.level[minStep]);
  high = static_cast<uint32_t>(steps.level[maxStep]);
  return true;
}

}  // namespace dialogs
