// The Manual Selection dialog on its real template: both lists filled in step order, the members
// shown after set-up, and the four rules reached through the controls' own notifications.
#include "dialogs/ManualSelectionDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "processor/StepTable.h"
#include "resources/resource.h"
#include "ui/StartUp.h"
#include "support/TestSupport.h"

namespace {

using dialogs::ManualSelectionDialog;

class ManualSelectionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::StartUp();
    const int32_t mhz[4] = {1000, 866, 733, 600};
    for (int i = 0; i < 4; ++i) table.frequencyMHz[i] = mhz[i];
    for (int i = 4; i < MaxSteps; ++i) table.frequencyMHz[i] = 400 - i;
  }

  // The table with these steps and limits, as the monitor window hands it in.
  const StepTable& Table(int32_t lastStep, int32_t maxIndex, int32_t minIndex) {
    table.lastStep = lastStep;
    table.maxStep = maxIndex;
    table.minStep = minIndex;
    return table;
  }

  void Open(int32_t lastStep, int32_t maxIndex, int32_t minIndex) {
    Table(lastStep, maxIndex, minIndex);
    dialog.maxIndex = maxIndex;
    dialog.minIndex = minIndex;
    ASSERT_TRUE(dialog.Create());
    ::ShowWindow(dialog.Hwnd(), SW_SHOW);
  }

  HWND Item(int id) const { return ::GetDlgItem(dialog.Hwnd(), id); }
  int Selected(int id) const {
    return static_cast<int>(::SendMessageA(Item(id), CB_GETCURSEL, 0, 0));
  }
  LRESULT Checked(int id) const { return ::SendMessageA(Item(id), BM_GETCHECK, 0, 0); }

  // What the controls show: max list, min list, Lock Max, Lock Min.
  std::vector<int> Shown() const {
    return {Selected(IDC_MAX_COMBO), Selected(IDC_MIN_COMBO),
            static_cast<int>(Checked(IDC_LOCK_MAX)), static_cast<int>(Checked(IDC_LOCK_MIN))};
  }

  // Puts a list on `from` without a notification, as an earlier choice left it, then moves it to
  // `to` with one arrow key as a user would; the list reports that change itself.
  void Choose(int id, int from, int to) {
    ASSERT_EQ(to - from == 1 || from - to == 1, true);
    ::SendMessageA(Item(id), CB_SETCURSEL, static_cast<WPARAM>(from), 0);
    ::SetFocus(Item(id));
    ::SendMessageA(Item(id), WM_KEYDOWN, to > from ? VK_DOWN : VK_UP, 0);
  }

  void Click(int id) { ::SendMessageA(Item(id), BM_CLICK, 0, 0); }

  StepTable table;
  ManualSelectionDialog dialog{table};
};

TEST_F(ManualSelectionDialogTest, BothListsHoldTheStepsInOrderAndShowTheIndexes) {
  Open(3, 1, 2);
  const std::vector<std::string> steps = {"1000MHz", "866MHz", "733MHz", "600MHz"};
  EXPECT_EQ(support::ComboItems(Item(IDC_MAX_COMBO)), steps);
  EXPECT_EQ(support::ComboItems(Item(IDC_MIN_COMBO)), steps);
  EXPECT_EQ(dialog.maxCombo.Hwnd(), Item(IDC_MAX_COMBO));
  EXPECT_EQ(dialog.minCombo.Hwnd(), Item(IDC_MIN_COMBO));
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2, 0, 0}));
}

TEST_F(ManualSelectionDialogTest, OpensWithBothBoxesUncheckedEvenWhenLocked) {
  // Both limits on the highest step: the window is locked there, yet no box shows it.
  Open(3, 0, 0);
  EXPECT_EQ(Shown(), (std::vector<int>{0, 0, 0, 0}));
  ManualSelectionDialog bottom(Table(3, 3, 3));
  ASSERT_TRUE(bottom.Create());
  EXPECT_EQ(::SendMessageA(::GetDlgItem(bottom.Hwnd(), IDC_LOCK_MIN), BM_GETCHECK, 0, 0),
            BST_UNCHECKED);
  EXPECT_EQ(::SendMessageA(::GetDlgItem(bottom.Hwnd(), IDC_MIN_COMBO), CB_GETCURSEL, 0, 0), 3);
}

TEST_F(ManualSelectionDialogTest, ListsStayWithinTheTable) {
  struct Case {
    int32_t lastStep;
    int items;
  };
  for (Case c : {Case{0, 1}, Case{-1, 0}, Case{9, 10}, Case{25, 10}}) {
    ManualSelectionDialog d(Table(c.lastStep, 0, c.lastStep));
    ASSERT_TRUE(d.Create());
    EXPECT_EQ(::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_MAX_COMBO), CB_GETCOUNT, 0, 0), c.items);
    EXPECT_EQ(::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_MIN_COMBO), CB_GETCOUNT, 0, 0), c.items);
    if (c.lastStep > 9) {
      // Lock Min goes to the last step the lists really hold.
      ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_LOCK_MIN), BM_CLICK, 0, 0);
      EXPECT_EQ(::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_MIN_COMBO), CB_GETCURSEL, 0, 0), 9);
      EXPECT_EQ(::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_MAX_COMBO), CB_GETCURSEL, 0, 0), 9);
    }
  }
  const StepTable empty;
  ManualSelectionDialog none(empty);
  ASSERT_TRUE(none.Create());
  EXPECT_EQ(::SendMessageA(::GetDlgItem(none.Hwnd(), IDC_MAX_COMBO), CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(::SendMessageA(::GetDlgItem(none.Hwnd(), IDC_MAX_COMBO), CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(ManualSelectionDialogTest, TheLocksPinBothLimitsToOneEnd) {
  Open(3, 1, 2);
  Click(IDC_LOCK_MAX);
  EXPECT_EQ(Shown(), (std::vector<int>{0, 0, 1, 0}));
  Click(IDC_LOCK_MIN);
  EXPECT_EQ(Shown(), (std::vector<int>{3, 3, 0, 1}));
  Click(IDC_LOCK_MAX);
  EXPECT_EQ(Shown(), (std::vector<int>{0, 0, 1, 0}));
  // Unchecking changes no index.
  Click(IDC_LOCK_MAX);
  EXPECT_EQ(Shown(), (std::vector<int>{0, 0, 0, 0}));
}

TEST_F(ManualSelectionDialogTest, ALimitChosenPastTheOtherSnapsBack) {
  Open(3, 2, 3);
  // Upper limit on step 2: choosing step 1 as the lower limit is undone.
  Choose(IDC_MIN_COMBO, 2, 1);
  EXPECT_EQ(Shown(), (std::vector<int>{2, 2, 0, 0}));
  EXPECT_EQ(dialog.minIndex, 2);

  // Lower limit on step 1: choosing step 3 as the upper limit raises it back to step 1.
  ::SendMessageA(Item(IDC_MIN_COMBO), CB_SETCURSEL, 1, 0);
  Choose(IDC_MAX_COMBO, 2, 3);
  EXPECT_EQ(Shown(), (std::vector<int>{1, 1, 0, 0}));
  EXPECT_EQ(dialog.maxIndex, 1);
}

TEST_F(ManualSelectionDialogTest, AChangeThatLeavesBothOnOneEndChecksItsLock) {
  Open(3, 0, 2);
  Choose(IDC_MIN_COMBO, 1, 0);
  EXPECT_EQ(Shown(), (std::vector<int>{0, 0, 1, 0}));

  Choose(IDC_MIN_COMBO, 2, 3);
  EXPECT_EQ(Shown(), (std::vector<int>{0, 3, 0, 0}));
  Choose(IDC_MAX_COMBO, 2, 3);
  EXPECT_EQ(Shown(), (std::vector<int>{3, 3, 0, 1}));
  // Both on the last step: another lower limit is undone and both boxes clear.
  Choose(IDC_MIN_COMBO, 3, 2);
  EXPECT_EQ(Shown(), (std::vector<int>{3, 3, 0, 0}));
}

TEST_F(ManualSelectionDialogTest, OkSavesTheIndexesAndCancelSavesNothing) {
  Open(3, 0, 3);
  Choose(IDC_MIN_COMBO, 3, 2);
  ::SendMessageA(Item(IDOK), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(dialog.maxIndex, 0);
  EXPECT_EQ(dialog.minIndex, 2);

  ManualSelectionDialog d(Table(3, 0, 3));
  ASSERT_TRUE(d.Create());
  ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_MIN_COMBO), CB_SETCURSEL, 1, 0);
  ::SendMessageA(::GetDlgItem(d.Hwnd(), IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_EQ(d.Result(), IDCANCEL);
  EXPECT_EQ(d.minIndex, 3);
}

}  // namespace
