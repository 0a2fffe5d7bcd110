// The CPU Information and Properties commands of a real monitor window: what each hands its
// dialog, the greyed menu item while the dialog runs, and what OK and Cancel do to the settings,
// the sampling timer and the window's z-order.
#include <commctrl.h>

#include <string>
#include <vector>

#include "dialogs_commands_fixture.h"

namespace {

using namespace dialogs_commands_test;
using support::CheckState;
using support::FieldText;
using support::ListRow;

// ---- CPU Information ----

TEST_F(DialogCommandsTest, CpuInformationShowsTheTableAndTextsWithTheItemGreyed) {
  StartMonitor();
  ASSERT_FALSE(Greyed(ID_CPU_INFORMATION));
  bool ran = false, greyed = false, ownedByMonitor = false;
  std::vector<std::string> last, second;
  int rows = -1;
  std::string name, serial;
  Command(ID_CPU_INFORMATION, [&](ui::Dialog& d) {
    ran = d.TemplateId() == IDD_CPUINFO;
    greyed = Greyed(ID_CPU_INFORMATION);
    ownedByMonitor = ::GetWindow(d.Hwnd(), GW_OWNER) == monitor->Hwnd();
    HWND list = ::GetDlgItem(d.Hwnd(), IDC_STEP_LIST);
    rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    last = ListRow(list, 3);
    second = ListRow(list, 1);
    name = FieldText(d.Hwnd(), IDC_CPU_NAME);
    serial = FieldText(d.Hwnd(), IDC_SERIAL_NUMBER);
    PostClick(d, IDC_CPUINFO_OK);
  });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(greyed);
  EXPECT_TRUE(ownedByMonitor);
  EXPECT_FALSE(Greyed(ID_CPU_INFORMATION));
  EXPECT_EQ(rows, 4);
  EXPECT_EQ(last, (std::vector<std::string>{"600MHz", "1.350V", "3", "200MHz", "6", "100MHz"}));
  EXPECT_EQ(second[1], "1.100V");
  EXPECT_EQ(name, monitor->processorInfo.cpuName.c_str());
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(serial, monitor->processorInfo.serialNumber.c_str());
  // Nothing reached the processor.
  EXPECT_TRUE(WindowWrites().empty());
}

TEST_F(DialogCommandsTest, CpuInformationPolicyTextFollowsThePolicyAtOpening) {
  StartMonitor();
  std::string policy;
  auto readPolicy = [&](ui::Dialog& d) {
    policy = FieldText(d.Hwnd(), IDC_POLICY);
    ::PostMessageA(d.Hwnd(), WM_CLOSE, 0, 0);
  };
  monitor->performancePolicy = FALSE;
  Command(ID_CPU_INFORMATION, readPolicy);
  EXPECT_EQ(policy, "Economy");
  monitor->performancePolicy = 5;
  Command(ID_CPU_INFORMATION, readPolicy);
  EXPECT_EQ(policy, "Performance");
  // Closed with the close box: the item is back as well.
  EXPECT_FALSE(Greyed(ID_CPU_INFORMATION));
}

// ---- Properties ----

TEST_F(DialogCommandsTest, PropertiesOpensWithTheSettingsAndOkRestartsSampling) {
  StartMonitor();
  ASSERT_NE(monitor->timerId, 0u);
  bool greyed = false;
  std::vector<LRESULT> states;
  std::string interval;
  Command(ID_PROPERTIES, [&](ui::Dialog& d) {
    greyed = Greyed(ID_PROPERTIES);
    states = {CheckState(d.Hwnd(), IDC_ALWAYS_ON_TOP), CheckState(d.Hwnd(), IDC_SPDSEN_ICON),
              CheckState(d.Hwnd(), IDC_ABOUT_BOX), CheckState(d.Hwnd(), IDC_START_MIN),
              CheckState(d.Hwnd(), IDC_SHOW_MIN_MAX)};
    interval = FieldText(d.Hwnd(), IDC_INTERVAL);
    ::SetDlgItemTextA(d.Hwnd(), IDC_INTERVAL, "250");
    ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_SHOW_MIN_MAX), BM_CLICK, 0, 0);
    PostClick(d, IDC_PROPERTIES_OK);
  });
  EXPECT_TRUE(greyed);
  EXPECT_FALSE(Greyed(ID_PROPERTIES));
  EXPECT_EQ(states, (std::vector<LRESULT>{BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED,
                                          BST_UNCHECKED}));
  EXPECT_EQ(interval, "100");
  EXPECT_EQ(settings.Timer, 250);
  EXPECT_EQ(settings.ShowMinMax, 1);
  EXPECT_EQ(settings.AlwaysOnTop, 1);
  EXPECT_NE(monitor->timerId, 0u);
  // The chart starts over at the next tick.
  EXPECT_EQ(monitor->chartModel.chartX, monitor->chartModel.chartWidth);
  // Settings reach the registry only when the program ends with OK, not here.
  EXPECT_TRUE(store.values.find("Timer") == store.values.end() || store.values["Timer"] != 250);
}

TEST_F(DialogCommandsTest, PropertiesOkRestartsSamplingUnlessTheIntervalStopsIt) {
  StartMonitor();
  struct Case {
    const char* typed;  // null: nothing changed
    int32_t stored;
    bool running;
  };
  for (Case c :
       {Case{nullptr, 100, true}, Case{"0", 0, false}, Case{"20000", 20000, true},
        Case{"2147483648", static_cast<int32_t>(0x80000000u), false}, Case{"40", 40, true}}) {
    SCOPED_TRACE(c.typed != nullptr ? c.typed : "unchanged");
    // Sampling stopped by a suspend query and the chart mid-sweep: OK must start both afresh.
    ::SendMessageA(monitor->Hwnd(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
    monitor->chartModel.chartX = 3;
    Command(ID_PROPERTIES, [&](ui::Dialog& d) {
      if (c.typed != nullptr) ::SetDlgItemTextA(d.Hwnd(), IDC_INTERVAL, c.typed);
      PostClick(d, IDC_PROPERTIES_OK);
    });
    EXPECT_EQ(settings.Timer, c.stored);
    EXPECT_EQ(monitor->timerId != 0, c.running);
    EXPECT_EQ(monitor->chartModel.chartX, monitor->chartModel.chartWidth);
  }
}

TEST_F(DialogCommandsTest, PropertiesAlwaysOnTopTakesEffectAtOnceWithoutMovingTheWindow) {
  StartMonitor();
  HWND window = monitor->Hwnd();
  ASSERT_NE(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  RECT before;
  ::GetWindowRect(window, &before);
  Command(ID_PROPERTIES, [&](ui::Dialog& d) {
    ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_ALWAYS_ON_TOP), BM_CLICK, 0, 0);
    PostClick(d, IDC_PROPERTIES_OK);
  });
  EXPECT_EQ(settings.AlwaysOnTop, 0);
  EXPECT_EQ(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  RECT after;
  ::GetWindowRect(window, &after);
  EXPECT_TRUE(::EqualRect(&before, &after));

  Command(ID_PROPERTIES, [&](ui::Dialog& d) {
    ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_ALWAYS_ON_TOP), BM_CLICK, 0, 0);
    PostClick(d, IDC_PROPERTIES_OK);
  });
  EXPECT_EQ(settings.AlwaysOnTop, 1);
  EXPECT_NE(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(DialogCommandsTest, PropertiesStoredFiveShowsUncheckedAndBecomesZero) {
  settings.SpdSenIcon = 5;
  StartMonitor();
  LRESULT shown = -1;
  Command(ID_PROPERTIES, [&](ui::Dialog& d) {
    shown = CheckState(d.Hwnd(), IDC_SPDSEN_ICON);
    PostClick(d, IDC_PROPERTIES_OK);
  });
  EXPECT_EQ(shown, BST_UNCHECKED);
  EXPECT_EQ(settings.SpdSenIcon, 0);
}

TEST_F(DialogCommandsTest, PropertiesRefusedTextKeepsTheDialogOpenAndCancelChangesNothing) {
  StartMonitor();
  UINT_PTR timerBefore = monitor->timerId;
  monitor->chartModel.chartX = 3;
  bool stillOpen = false;
  bool focusOnField = false;
  HWND properties = nullptr;
  Command(ID_PROPERTIES, [&](ui::Dialog& d) {
    properties = d.Hwnd();
    ::SetDlgItemTextA(d.Hwnd(), IDC_INTERVAL, "250ms");
    ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_ALWAYS_ON_TOP), BM_CLICK, 0, 0);
    ::SendMessageA(::GetDlgItem(d.Hwnd(), IDC_PROPERTIES_OK), BM_CLICK, 0, 0);
    stillOpen = d.HasWindow() && d.Result() == 0;
    focusOnField = ::GetFocus() == ::GetDlgItem(d.Hwnd(), IDC_INTERVAL);
    PostClick(d, IDC_PROPERTIES_CANCEL);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(focusOnField);
  ASSERT_EQ(support::Boxes().size(), 1u);
  EXPECT_EQ(support::Boxes()[0].text, "Please enter a positive integer.");
  // Owned by Properties, so that the box holds it: the main window is disabled already.
  EXPECT_EQ(support::Boxes()[0].owner, properties);
  EXPECT_EQ(settings.Timer, 100);
  EXPECT_EQ(settings.AlwaysOnTop, 1);
  EXPECT_EQ(monitor->timerId, timerBefore);
  EXPECT_EQ(monitor->chartModel.chartX, 3);
  EXPECT_FALSE(Greyed(ID_PROPERTIES));
}

}  // namespace
