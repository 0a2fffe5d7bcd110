// Data exchange between members and the controls of real templates, both ways, and the refusal
// of a bad number in an interval field.
#include "ui/DataExchange.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/App.h"
#include "ui/Dialog.h"
#include "ui/StartUp.h"
#include "support/TestShell.h"
#include "support/TestSupport.h"

namespace {

// A modeless dialog whose exchange is whatever the test sets.
class ExchangeDialog : public ui::Dialog {
 public:
  explicit ExchangeDialog(int templateId)
      : ui::Dialog(templateId, nullptr, &support::TestShell()) {}
  std::function<void(ui::DataExchange&)> exchange;

 protected:
  void DoDataExchange(ui::DataExchange& dx) override {
    if (exchange) exchange(dx);
  }
};

HWND Item(const ui::Dialog& dialog, int id) {
  return ::GetDlgItem(dialog.Hwnd(), id);
}

int CheckState(const ui::Dialog& dialog, int id) {
  return static_cast<int>(::SendMessageA(Item(dialog, id), BM_GETCHECK, 0, 0));
}

void SetCheckState(const ui::Dialog& dialog, int id, int state) {
  ::SendMessageA(Item(dialog, id), BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

std::string TextOf(HWND hwnd) {
  std::string text(static_cast<size_t>(::GetWindowTextLengthA(hwnd)) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(hwnd, &text[0], static_cast<int>(text.size()))));
  return text;
}

class UiExchange : public ::testing::Test {
 protected:
  void SetUp() override { ui::StartUp(); }
};

TEST_F(UiExchange, CheckBoxShowsZeroOneTwoAndReadsBackOneOrZero) {
  ExchangeDialog dialog(IDD_PROPERTIES);
  int onTop = 1, about = 0, startMin = 5, minMax = -1, spdSen = 2;
  dialog.exchange = [&](ui::DataExchange& dx) {
    dx.Check(IDC_ALWAYS_ON_TOP, onTop);
    dx.Check(IDC_ABOUT_BOX, about);
    dx.Check(IDC_START_MIN, startMin);
    dx.Check(IDC_SHOW_MIN_MAX, minMax);
    dx.Check(IDC_SPDSEN_ICON, spdSen);
  };
  // A three-state box can show the indeterminate state; the template's are two-state.
  ASSERT_TRUE(dialog.Create());
  HWND spd = Item(dialog, IDC_SPDSEN_ICON);
  ::SetWindowLongA(spd, GWL_STYLE, (::GetWindowLongA(spd, GWL_STYLE) & ~0xF) | BS_AUTO3STATE);
  ASSERT_TRUE(dialog.UpdateData(false));
  EXPECT_EQ(CheckState(dialog, IDC_ALWAYS_ON_TOP), BST_CHECKED);
  EXPECT_EQ(CheckState(dialog, IDC_ABOUT_BOX), BST_UNCHECKED);
  EXPECT_EQ(CheckState(dialog, IDC_START_MIN), BST_UNCHECKED);
  EXPECT_EQ(CheckState(dialog, IDC_SHOW_MIN_MAX), BST_UNCHECKED);
  EXPECT_EQ(CheckState(dialog, IDC_SPDSEN_ICON), BST_INDETERMINATE);
  // Values out of range become 0 already on the way in.
  EXPECT_EQ(startMin, 0);
  EXPECT_EQ(minMax, 0);
  EXPECT_EQ(spdSen, 2);

  SetCheckState(dialog, IDC_ALWAYS_ON_TOP, BST_UNCHECKED);
  SetCheckState(dialog, IDC_ABOUT_BOX, BST_CHECKED);
  startMin = 9;
  ASSERT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(onTop, 0);
  EXPECT_EQ(about, 1);
  EXPECT_EQ(startMin, 0);
  EXPECT_EQ(spdSen, 0);  // indeterminate is not checked
}

TEST_F(UiExchange, ComboIndexOutsideTheListShowsNoSelection) {
  ExchangeDialog dialog(IDD_MANUALSELECTION);
  int maxIndex = 1, minIndex = 0;
  dialog.exchange = [&](ui::DataExchange& dx) {
    dx.ComboIndex(IDC_MAX_COMBO, maxIndex);
    dx.ComboIndex(IDC_MIN_COMBO, minIndex);
  };
  ASSERT_TRUE(dialog.Create());  // empty lists: nothing can be selected
  EXPECT_EQ(::SendMessageA(Item(dialog, IDC_MAX_COMBO), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(::SendMessageA(Item(dialog, IDC_MIN_COMBO), CB_GETCURSEL, 0, 0), CB_ERR);
  for (int id : {IDC_MAX_COMBO, IDC_MIN_COMBO}) {
    for (const char* text : {"600MHz", "500MHz", "400MHz"}) {
      ::SendMessageA(Item(dialog, id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
  }
  ASSERT_TRUE(dialog.UpdateData(false));
  EXPECT_EQ(::SendMessageA(Item(dialog, IDC_MAX_COMBO), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(::SendMessageA(Item(dialog, IDC_MIN_COMBO), CB_GETCURSEL, 0, 0), 0);

  // Each load replaces a selection the combo already shows.
  maxIndex = 3;   // one past the end
  minIndex = -1;  // none
  ASSERT_TRUE(dialog.UpdateData(false));
  EXPECT_EQ(::SendMessageA(Item(dialog, IDC_MAX_COMBO), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(::SendMessageA(Item(dialog, IDC_MIN_COMBO), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(maxIndex, 3);
  ASSERT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(maxIndex, -1);
  EXPECT_EQ(minIndex, -1);

  ::SendMessageA(Item(dialog, IDC_MIN_COMBO), CB_SETCURSEL, 2, 0);
  ASSERT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(minIndex, 2);
}

TEST_F(UiExchange, TextGoesBothWaysCutToTheMemberAndControlsAreBound) {
  ExchangeDialog dialog(IDD_CPUINFO);
  ShortText name = std::string(ShortText::Capacity(), 'x').c_str(), policy;
  FixedText<8> type = "ZN2730";
  ui::Window stepList;
  dialog.exchange = [&](ui::DataExchange& dx) {
    dx.Control(IDC_STEP_LIST, stepList);
    dx.Text(IDC_CPU_NAME, name);
    dx.Text(IDC_POLICY, policy);
    dx.Text(IDC_CPU_TYPE, type);
  };
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(stepList.Hwnd(), Item(dialog, IDC_STEP_LIST));
  EXPECT_EQ(TextOf(Item(dialog, IDC_CPU_NAME)), name.c_str());
  EXPECT_EQ(TextOf(Item(dialog, IDC_POLICY)), "");

  ::SetWindowTextA(Item(dialog, IDC_CPU_NAME), "");
  ::SetWindowTextA(Item(dialog, IDC_POLICY), "Performance");
  // Longer than the member: cut at its capacity and terminated.
  ::SetWindowTextA(Item(dialog, IDC_CPU_TYPE), "ZN2730-extra");
  ASSERT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(name, "");
  EXPECT_EQ(policy, "Performance");
  EXPECT_EQ(type, "ZN2730-");

  // The bound member lets go of the control when the dialog goes.
  dialog.EndDialog(IDOK);
  EXPECT_EQ(stepList.Hwnd(), nullptr);
}

TEST_F(UiExchange, AMissingControlFailsTheExchangeAndSkipsTheRest) {
  ExchangeDialog dialog(IDD_ABOUTBOX);
  ShortText missing = "a", after = "before";
  dialog.exchange = [&](ui::DataExchange& dx) {
    dx.Text(4242, missing);
    dx.Text(IDOK, after);
  };
  ASSERT_TRUE(dialog.Create());
  EXPECT_FALSE(dialog.UpdateData(true));
  EXPECT_EQ(after, "before");
}

TEST_F(UiExchange, UIntShowsDecimalAndReadsTheFieldBack) {
  ExchangeDialog dialog(IDD_PROPERTIES);
  uint32_t timer = 4294967295u;
  dialog.exchange = [&](ui::DataExchange& dx) { dx.UInt(IDC_INTERVAL, timer); };
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(TextOf(Item(dialog, IDC_INTERVAL)), "4294967295");
  timer = 0;
  ASSERT_TRUE(dialog.UpdateData(false));
  EXPECT_EQ(TextOf(Item(dialog, IDC_INTERVAL)), "0");

  support::BoxRecording boxes;
  for (const char* text : {"  250 ", "\t+100", "00", "12000", "99999999999"}) {
    ::SetWindowTextA(Item(dialog, IDC_INTERVAL), text);
    ASSERT_TRUE(dialog.UpdateData(true)) << text;
  }
  EXPECT_EQ(timer, 4294967295u);
  EXPECT_TRUE(support::Boxes().empty());
}

TEST_F(UiExchange, ABadNumberIsRefusedAndTheDialogStaysOpenWithTheFieldSelected) {
  ExchangeDialog dialog(IDD_PROPERTIES);
  int onTop = 0, minMax = 0;
  uint32_t timer = 100;
  dialog.exchange = [&](ui::DataExchange& dx) {
    dx.Check(IDC_ALWAYS_ON_TOP, onTop);
    dx.UInt(IDC_INTERVAL, timer);
    dx.Check(IDC_SHOW_MIN_MAX, minMax);
  };
  ASSERT_TRUE(dialog.Create());
  ::ShowWindow(dialog.Hwnd(), SW_SHOW);
  SetCheckState(dialog, IDC_ALWAYS_ON_TOP, BST_CHECKED);
  SetCheckState(dialog, IDC_SHOW_MIN_MAX, BST_CHECKED);
  HWND field = Item(dialog, IDC_INTERVAL);
  ::SetFocus(Item(dialog, IDC_ALWAYS_ON_TOP));

  support::BoxRecording boxes;
  for (const char* text : {"250ms", "-5", "", "   "}) {
    SCOPED_TRACE(text);
    support::Boxes().clear();
    ::SetFocus(Item(dialog, IDC_ALWAYS_ON_TOP));
    ::SetWindowTextA(field, text);
    // OK runs the standard confirm handling.
    ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_EQ(support::Boxes().size(), 1u);
    EXPECT_EQ(support::Boxes()[0].text, "Please enter a positive integer.");
    EXPECT_EQ(support::Boxes()[0].caption, ui::AppName().c_str());
    EXPECT_EQ(support::Boxes()[0].type, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(dialog.HasWindow());
    EXPECT_EQ(dialog.Result(), 0);
    EXPECT_EQ(::GetFocus(), field);
    DWORD start = 1, end = 0;
    ::SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(::GetWindowTextLengthA(field)));
    EXPECT_EQ(timer, 100u);
    EXPECT_EQ(onTop, 1);   // saved before the field
    EXPECT_EQ(minMax, 0);  // after it: skipped
  }

  ::SetWindowTextA(field, "300");
  ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_FALSE(dialog.HasWindow());
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(timer, 300u);
  EXPECT_EQ(minMax, 1);
}

}  // namespace
