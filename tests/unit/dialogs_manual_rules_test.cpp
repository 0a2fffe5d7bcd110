#include "dialogs/ManualSelectionRules.h"

#include <gtest/gtest.h>

namespace {

using dialogs::ManualSelection;

ManualSelection Make(int lastStep, int maxIndex, int minIndex, int lockMax = 0, int lockMin = 0) {
  ManualSelection s;
  s.lastStep = lastStep;
  s.maxIndex = maxIndex;
  s.minIndex = minIndex;
  s.lockMax = lockMax;
  s.lockMin = lockMin;
  return s;
}

TEST(ManualSelectionRules, LockMaxAndLockMinPinBothLimitsToOneEnd) {
  ManualSelection s = Make(3, 1, 2, 1, 1);
  dialogs::OnLockMax(s);
  EXPECT_EQ(s.maxIndex, 0);
  EXPECT_EQ(s.minIndex, 0);
  EXPECT_EQ(s.lockMin, 0);
  EXPECT_EQ(s.lockMax, 1);

  s = Make(3, 1, 2, 1, 1);
  dialogs::OnLockMin(s);
  EXPECT_EQ(s.maxIndex, 3);
  EXPECT_EQ(s.minIndex, 3);
  EXPECT_EQ(s.lockMax, 0);

  // Unchecking changes no index and leaves both boxes clear.
  s = Make(3, 0, 0, 0, 0);
  dialogs::OnLockMax(s);
  EXPECT_EQ(s.maxIndex, 0);
  EXPECT_EQ(s.minIndex, 0);
  EXPECT_EQ(s.lockMin, 0);
}

TEST(ManualSelectionRules, LimitsSnapBackToEachOther) {
  // Upper on step 2, lower chosen as step 1: the lower limit returns to step 2.
  ManualSelection s = Make(3, 2, 1);
  dialogs::OnMinLimitChanged(s);
  EXPECT_EQ(s.minIndex, 2);
  EXPECT_EQ(s.maxIndex, 2);
  // Lower on step 1, upper chosen as step 3: the upper limit returns to step 1.
  s = Make(3, 3, 1);
  dialogs::OnMaxLimitChanged(s);
  EXPECT_EQ(s.maxIndex, 1);
  EXPECT_EQ(s.minIndex, 1);
}

TEST(ManualSelectionRules, CombosTurnOnOnlyTheLockTheirOwnChangeProduces) {
  ManualSelection s = Make(3, 0, 0);  // upper on 0, lower just chosen as 0
  dialogs::OnMinLimitChanged(s);
  EXPECT_EQ(s.lockMax, 1);
  EXPECT_EQ(s.lockMin, 0);

  s = Make(3, 3, 3);  // lower on the last step, upper just chosen as the last
  dialogs::OnMaxLimitChanged(s);
  EXPECT_EQ(s.lockMin, 1);
  EXPECT_EQ(s.lockMax, 0);

  // Both on the last step and another lower entry chosen: snaps back, both
  // boxes cleared.
  s = Make(3, 3, 1, 0, 1);
  dialogs::OnMinLimitChanged(s);
  EXPECT_EQ(s.minIndex, 3);
  EXPECT_EQ(s.maxIndex, 3);
  EXPECT_EQ(s.lockMax, 0);
  EXPECT_EQ(s.lockMin, 0);
}

TEST(ManualSelectionRules, WindowWordsCarryLowerThenUpperLevel) {
  StepTable steps;
  steps.lastStep = 3;
  const int32_t levels[] = {100, 66, 33, 0};
  for (int i = 0; i < 4; ++i) steps.level[i] = levels[i];
  uint32_t low = 7, high = 7;
  ASSERT_TRUE(dialogs::WindowWords(steps, 3, 0, low, high));
  EXPECT_EQ(low, 0u);
  EXPECT_EQ(high, 100u);
}

TEST(ManualSelectionRules, IndexesOutsideTheTableWriteNothing) {
  StepTable steps;
  steps.lastStep = 3;
  uint32_t low = 7, high = 9;
  EXPECT_FALSE(dialogs::WindowWords(steps, -1, 0, low, high));
  EXPECT_FALSE(dialogs::WindowWords(steps, 2, 4, low, high));
  StepTable empty;
  EXPECT_FALSE(dialogs::WindowWords(empty, 0, 0, low, high));
  StepTable huge;
  huge.lastStep = 40;
  EXPECT_FALSE(dialogs::WindowWords(huge, 12, 0, low, high));
  EXPECT_EQ(low, 7u);
  EXPECT_EQ(high, 9u);
}

}  // namespace
