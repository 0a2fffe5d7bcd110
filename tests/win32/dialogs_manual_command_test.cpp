// The Manual Selection command of a real monitor window: the steps its lists offer, the notice
// on Windows XP, and what OK and Cancel do to the scaling-window register.
#include <string>
#include <vector>

#include "dialogs_commands_fixture.h"

namespace {

using namespace dialogs_commands_test;
using support::ComboItems;

// ---- Manual Selection ----

TEST_F(DialogCommandsTest, ManualSelectionListsTheStepsAndCancelLeavesEverything) {
  StartMonitor();
  ASSERT_EQ(monitor->steps.maxStep, 0);
  ASSERT_EQ(monitor->steps.minStep, 3);
  const size_t requestsBefore = port.Log().size();
  bool greyed = false;
  std::vector<std::string> maxItems, minItems;
  int maxShown = -2, minShown = -2;
  Command(ID_MANUAL_SELECTION, [&](ui::Dialog& d) {
    greyed = Greyed(ID_MANUAL_SELECTION);
    HWND maxCombo = ::GetDlgItem(d.Hwnd(), IDC_MAX_COMBO);
    HWND minCombo = ::GetDlgItem(d.Hwnd(), IDC_MIN_COMBO);
    maxItems = ComboItems(maxCombo);
    minItems = ComboItems(minCombo);
    maxShown = static_cast<int>(::SendMessageA(maxCombo, CB_GETCURSEL, 0, 0));
    minShown = static_cast<int>(::SendMessageA(minCombo, CB_GETCURSEL, 0, 0));
    ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_LOCK_MIN), BM_CLICK, 0, 0);
    PostClick(d, IDCANCEL);
  });
  const std::vector<std::string> steps = {"1000MHz", "866MHz", "733MHz", "600MHz"};
  EXPECT_TRUE(greyed);
  EXPECT_EQ(maxItems, steps);
  EXPECT_EQ(minItems, steps);
  EXPECT_EQ(maxShown, 0);
  EXPECT_EQ(minShown, 3);
  EXPECT_EQ(monitor->steps.maxStep, 0);
  EXPECT_EQ(monitor->steps.minStep, 3);
  EXPECT_TRUE(support::Boxes().empty());
  EXPECT_FALSE(Greyed(ID_MANUAL_SELECTION));
  // No request of any kind went to the register; sampling is off (ShowMinMax 0).
  for (size_t i = requestsBefore; i < port.Log().size(); ++i) {
    EXPECT_NE(port.Log()[i].request.msr, MsrScalingWindow);
  }
}

TEST_F(DialogCommandsTest, ManualSelectionOkOnXpShowsTheNoticeThenWrites) {
  StartMonitor(WindowsXp);
  support::BoxAnswer() = IDCANCEL;  // the answer is not consulted
  Command(ID_MANUAL_SELECTION, [&](ui::Dialog& d) {
    HWND minCombo = ::GetDlgItem(d.Hwnd(), IDC_MIN_COMBO);
    ::SendMessageA(minCombo, CB_SETCURSEL, 2, 0);
    ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_MAX_COMBO), CB_SETCURSEL, 1, 0);
    PostClick(d, IDOK);
  });
  ASSERT_EQ(support::Boxes().size(), 1u);
  EXPECT_EQ(support::Boxes()[0].owner, monitor->Hwnd());
  EXPECT_EQ(support::Boxes()[0].text,
            "In order to change the Varistep minimum or maximum setting,\n"
            "you must first change the Power Scheme to 'Always On'\n"
            "using the 'Power Options' Control Panel.\n\n");
  EXPECT_EQ(support::Boxes()[0].caption, "Notice for Windows XP Users");
  EXPECT_EQ(support::Boxes()[0].type, static_cast<UINT>(MB_OKCANCEL));
  EXPECT_EQ(monitor->steps.maxStep, 1);
  EXPECT_EQ(monitor->steps.minStep, 2);
  std::vector<MsrRequest> writes = WindowWrites();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].low, 33u);   // the lower limit's level
  EXPECT_EQ(writes[0].high, 66u);  // the upper limit's level
  EXPECT_EQ(processor.WindowLower(), 33u);
  EXPECT_EQ(processor.WindowUpper(), 66u);
  EXPECT_FALSE(Greyed(ID_MANUAL_SELECTION));
}

TEST_F(DialogCommandsTest, ManualSelectionOkElsewhereWritesWithoutANotice) {
  StartMonitor(Windows2000);
  // First lock onto the lowest step, then back to the full window: low = 0, high = 100.
  Command(ID_MANUAL_SELECTION, [&](ui::Dialog& d) {
    ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_LOCK_MIN), BM_CLICK, 0, 0);
    PostClick(d, IDOK);
  });
  EXPECT_EQ(monitor->steps.maxStep, 3);
  EXPECT_EQ(monitor->steps.minStep, 3);
  Command(ID_MANUAL_SELECTION, [&](ui::Dialog& d) {
    ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_MAX_COMBO), CB_SETCURSEL, 0, 0);
    PostClick(d, IDOK);
  });
  EXPECT_TRUE(support::Boxes().empty());
  std::vector<MsrRequest> writes = WindowWrites();
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].low, 0u);
  EXPECT_EQ(writes[0].high, 0u);
  EXPECT_EQ(writes[1].low, 0u);
  EXPECT_EQ(writes[1].high, 100u);
  EXPECT_EQ(monitor->steps.maxStep, 0);
  EXPECT_EQ(monitor->steps.minStep, 3);
}

TEST_F(DialogCommandsTest, ManualSelectionRefusedWriteKeepsTheNewIndexesAndShowsError) {
  StartMonitor(Windows2000);
  port.RefuseRegister(MsrScalingWindow);
  Command(ID_MANUAL_SELECTION, [&](ui::Dialog& d) {
    ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_LOCK_MAX), BM_CLICK, 0, 0);
    PostClick(d, IDOK);
  });
  ASSERT_EQ(support::Boxes().size(), 1u);
  EXPECT_EQ(support::Boxes()[0].owner, monitor->Hwnd());
  EXPECT_EQ(support::Boxes()[0].text, "Device does not support the requested API");
  EXPECT_EQ(support::Boxes()[0].caption, "Error");
  EXPECT_EQ(support::Boxes()[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(monitor->steps.maxStep, 0);
  EXPECT_EQ(monitor->steps.minStep, 0);
  EXPECT_EQ(processor.WindowLower(), 0u);  // the register kept the old window
  EXPECT_EQ(processor.WindowUpper(), 100u);
  EXPECT_FALSE(Greyed(ID_MANUAL_SELECTION));
}

// On Windows XP too: no notice announces a write that will not be made.
TEST_F(DialogCommandsTest, ManualSelectionWithoutAChosenStepWritesNothing) {
  StartMonitor(WindowsXp);
  struct Case {
    int32_t maxStep, minStep;
  };
  for (Case c : {Case{-1, 3}, Case{0, -1}, Case{0, 7}}) {
    monitor->steps.maxStep = c.maxStep;
    monitor->steps.minStep = c.minStep;
    Command(ID_MANUAL_SELECTION, [&](ui::Dialog& d) { PostClick(d, IDOK); });
    EXPECT_EQ(monitor->steps.maxStep, c.maxStep);
    EXPECT_EQ(monitor->steps.minStep, c.minStep);
  }
  EXPECT_TRUE(WindowWrites().empty());
  EXPECT_TRUE(support::Boxes().empty());
  EXPECT_FALSE(Greyed(ID_MANUAL_SELECTION));
}

}  // namespace
