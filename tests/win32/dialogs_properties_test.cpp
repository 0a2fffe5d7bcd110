// The Properties dialog on its real template: the check boxes and the interval field as the
// members give them, the spin control's range, the interval parser's refusal box with the focus
// left on the field, and the buttons 3 and 4 as confirm and cancel.
#include "dialogs/PropertiesDialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/App.h"
#include "ui/StartUp.h"
#include "support/TestShell.h"
#include "support/TestSupport.h"

namespace {

using dialogs::PropertiesDialog;
using support::CheckState;
using support::FieldText;

void Click(HWND dialog, int id) {
  ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// What a user sees and does: the dialog is on screen, the field is typed into, OK is pressed.
class PropertiesDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ui::StartUp(); }

  void Open() {
    ASSERT_TRUE(dialog.Create());
    ::ShowWindow(dialog.Hwnd(), SW_SHOW);
    ::SetForegroundWindow(dialog.Hwnd());
  }
  HWND Field() const { return ::GetDlgItem(dialog.Hwnd(), IDC_INTERVAL); }
  void Type(const char* text) { ::SetWindowTextA(Field(), text); }

  support::BoxRecording boxes;
  PropertiesDialog dialog{support::DefaultSettings(), nullptr, &support::TestShell()};
};

TEST_F(PropertiesDialogTest, OpensWithTheCurrentValues) {
  Open();
  HWND h = dialog.Hwnd();
  EXPECT_EQ(CheckState(h, IDC_ALWAYS_ON_TOP), BST_CHECKED);
  EXPECT_EQ(CheckState(h, IDC_ABOUT_BOX), BST_UNCHECKED);
  EXPECT_EQ(CheckState(h, IDC_SHOW_MIN_MAX), BST_UNCHECKED);
  EXPECT_EQ(CheckState(h, IDC_SPDSEN_ICON), BST_UNCHECKED);
  EXPECT_EQ(CheckState(h, IDC_START_MIN), BST_UNCHECKED);
  EXPECT_EQ(FieldText(h, IDC_INTERVAL), "100");

  HWND spin = ::GetDlgItem(h, IDC_INTERVAL_SPIN);
  EXPECT_EQ(dialog.intervalSpin.Hwnd(), spin);
  int low = -1, high = -1;
  ::SendMessageA(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 10000);
  UDACCEL accel[2] = {};
  EXPECT_EQ(::SendMessageA(spin, UDM_GETACCEL, 2, reinterpret_cast<LPARAM>(accel)), 1);
  EXPECT_EQ(accel[0].nSec, 1u);
  EXPECT_EQ(accel[0].nInc, 10u);
  EXPECT_EQ(LOWORD(::SendMessageA(spin, UDM_GETPOS, 0, 0)), 100);
}

TEST_F(PropertiesDialogTest, EverySwitchGoesBothWaysThroughItsOwnBox) {
  dialog.AlwaysOnTop = 0;
  dialog.AboutBox = 1;
  dialog.ShowMinMax = 0;
  dialog.SpdSenIcon = 1;
  dialog.StartMin = 0;
  Open();
  HWND h = dialog.Hwnd();
  EXPECT_EQ(CheckState(h, IDC_ALWAYS_ON_TOP), BST_UNCHECKED);
  EXPECT_EQ(CheckState(h, IDC_ABOUT_BOX), BST_CHECKED);
  EXPECT_EQ(CheckState(h, IDC_SPDSEN_ICON), BST_CHECKED);
  Click(h, IDC_ALWAYS_ON_TOP);
  Click(h, IDC_ABOUT_BOX);
  Click(h, IDC_SHOW_MIN_MAX);
  Click(h, IDC_START_MIN);
  Click(h, IDC_PROPERTIES_OK);
  EXPECT_FALSE(dialog.HasWindow());
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(dialog.AlwaysOnTop, 1);
  EXPECT_EQ(dialog.AboutBox, 0);
  EXPECT_EQ(dialog.ShowMinMax, 1);
  EXPECT_EQ(dialog.SpdSenIcon, 1);
  EXPECT_EQ(dialog.StartMin, 1);
  EXPECT_EQ(dialog.Timer, 100u);
  EXPECT_TRUE(support::Boxes().empty());
}

TEST_F(PropertiesDialogTest, AStoredSwitchOutsideTheRuleShowsUncheckedAndBecomesZero) {
  dialog.SpdSenIcon = 5;
  dialog.StartMin = -1;
  Open();
  EXPECT_EQ(CheckState(dialog.Hwnd(), IDC_SPDSEN_ICON), BST_UNCHECKED);
  EXPECT_EQ(CheckState(dialog.Hwnd(), IDC_START_MIN), BST_UNCHECKED);
  Click(dialog.Hwnd(), IDC_PROPERTIES_OK);
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(dialog.SpdSenIcon, 0);
  EXPECT_EQ(dialog.StartMin, 0);
}

TEST_F(PropertiesDialogTest, TextThatIsNoNumberIsRefusedAndTheFieldKeepsTheFocus) {
  Open();
  for (const char* text : {"250ms", "-5", "abc", "", "1 2"}) {
    support::Boxes().clear();
    Type(text);
    Click(dialog.Hwnd(), IDC_PROPERTIES_OK);
    ASSERT_TRUE(dialog.HasWindow()) << text;
    EXPECT_EQ(dialog.Result(), 0) << text;
    EXPECT_EQ(dialog.Timer, 100u) << text;
    ASSERT_EQ(support::Boxes().size(), 1u) << text;
    EXPECT_EQ(support::Boxes()[0].text, "Please enter a positive integer.");
    EXPECT_EQ(support::Boxes()[0].caption, ui::AppName().c_str());
    EXPECT_EQ(support::Boxes()[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(::GetFocus(), Field()) << text;
    DWORD start = 1, end = 0;
    ::SendMessageA(Field(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u) << text;
    EXPECT_EQ(end, static_cast<DWORD>(std::string(text).size())) << text;
  }
  // After all those refusals a good number still goes through.
  Type("250");
  Click(dialog.Hwnd(), IDC_PROPERTIES_OK);
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(dialog.Timer, 250u);
}

TEST_F(PropertiesDialogTest, NumbersWithBlanksZeroAndValuesPastTheSpinRangeAreTaken) {
  struct Case {
    const char* text;
    uint32_t timer;
  };
  for (Case c :
       {Case{" 42 ", 42u}, Case{"\t7\t", 7u}, Case{"0", 0u}, Case{"20000", 20000u},
        Case{"+15", 15u}, Case{"2147483648", 2147483648u}, Case{"99999999999", 4294967295u}}) {
    PropertiesDialog d(nullptr, &support::TestShell());
    d.Timer = 100;
    ASSERT_TRUE(d.Create());
    ::SetDlgItemTextA(d.Hwnd(), IDC_INTERVAL, c.text);
    Click(d.Hwnd(), IDC_PROPERTIES_OK);
    EXPECT_EQ(d.Result(), IDOK) << c.text;
    EXPECT_EQ(d.Timer, c.timer) << c.text;
  }
  EXPECT_TRUE(support::Boxes().empty());
}

TEST_F(PropertiesDialogTest, AStoredIntervalPastTheSpinRangeIsShownAndKeptUnchanged) {
  for (uint32_t stored : {20000u, 70000u, 10000u}) {
    PropertiesDialog d(nullptr, &support::TestShell());
    d.Timer = stored;
    ASSERT_TRUE(d.Create());
    EXPECT_EQ(FieldText(d.Hwnd(), IDC_INTERVAL), std::to_string(stored));
    Click(d.Hwnd(), IDC_PROPERTIES_OK);
    EXPECT_EQ(d.Timer, stored);
  }
}

TEST_F(PropertiesDialogTest, EnterConfirmsAndCancelEscapeAndTheCloseBoxKeepTheMembers) {
  Open();
  Type("300");
  Click(dialog.Hwnd(), IDC_ALWAYS_ON_TOP);
  MSG enter = {dialog.Hwnd(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  ::IsDialogMessageA(dialog.Hwnd(), &enter);
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(dialog.Timer, 300u);
  EXPECT_EQ(dialog.AlwaysOnTop, 0);

  for (int way = 0; way < 3; ++way) {
    PropertiesDialog d(nullptr, &support::TestShell());
    d.Timer = 100;
    d.AlwaysOnTop = 1;
    ASSERT_TRUE(d.Create());
    ::SetDlgItemTextA(d.Hwnd(), IDC_INTERVAL, "555");
    Click(d.Hwnd(), IDC_ALWAYS_ON_TOP);
    if (way == 0) {
      Click(d.Hwnd(), IDC_PROPERTIES_CANCEL);
    } else if (way == 1) {
      MSG escape = {d.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
      ::IsDialogMessageA(d.Hwnd(), &escape);
    } else {
      ::SendMessageA(d.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
      support::Pump();
    }
    EXPECT_EQ(d.Result(), IDCANCEL) << way;
    EXPECT_EQ(d.Timer, 100u) << way;
    EXPECT_EQ(d.AlwaysOnTop, 1) << way;
  }
}

}  // namespace
