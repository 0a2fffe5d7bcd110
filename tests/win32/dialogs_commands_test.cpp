// The three dialog commands of a real monitor window, set up on the simulated processor: what
// each hands its dialog, the greyed menu item while the dialog runs, and what OK and Cancel do to
// the settings, the sampling timer, the window's z-order and the scaling-window register.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Settings.h"
#include "monitor/MonitorDialog.h"
#include "processor/MsrRequest.h"
#include "resources/resource.h"
#include "sim/SimDriverPort.h"
#include "sim/SimProcessor.h"
#include "tray/SystemTray.h"
#include "ui/App.h"
#include "ui/Dialog.h"
#include "ui/StartUp.h"
#include "support/TestSupport.h"

namespace {

using support::CheckState;
using support::ComboItems;
using support::FieldText;
using support::ListRow;
using support::MemoryStore;

BOOL AcceptNotify(DWORD, NOTIFYICONDATAA*) {
  return TRUE;
}

VersionFields g_version = {2, 5, 1};
VersionFields TestVersion() {
  return g_version;
}
constexpr VersionFields kWindowsXp = {2, 5, 1};
constexpr VersionFields kWindows2000 = {2, 5, 0};

// What the test does inside a command's dialog once it is set up.
std::function<void(ui::Dialog&)> g_script;
void RunScript(ui::Dialog& dialog) {
  if (g_script) g_script(dialog);
}

// A press of a button, delivered by the dialog's own loop once it runs.
void PostClick(ui::Dialog& dialog, int id) {
  ::PostMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog.Hwnd(), id)));
}

// Four steps with levels 100, 66, 33, 0. The last runs at 600 MHz and 1.350 V with dividers 3
// and 6; the second at 1.1 V.
sim::SimConfig FourSteps() {
  sim::SimConfig c = sim::ProfileConfig(sim::Profile::Default);
  c.steps = {
      {100, 1000, 1600, 5, 10}, {66, 866, 1100, 4, 9}, {33, 733, 1400, 4, 8}, {0, 600, 1350, 3, 6}};
  c.reportedLastStep = 3;
  c.windowLower = 0;
  c.windowUpper = 100;
  return c;
}

class DialogCommandsTest : public ::testing::Test {
 protected:
  DialogCommandsTest() : processor(FourSteps()), port(processor), pci(processor) {}

  void SetUp() override {
    ui::StartUp();
    tray::CSystemTray::SetShellNotify(&AcceptNotify);
    settings = support::DefaultSettings();
  }

  void TearDown() override {
    ui::Dialog::SetInitHook(nullptr);
    g_script = nullptr;
    monitor.reset();
    ui::SetMainWindow(nullptr);
    tray::CSystemTray::SetShellNotify(nullptr);
    g_version = kWindowsXp;
  }

  void StartMonitor(VersionFields version = kWindowsXp) {
    g_version = version;
    platform = {&processor, &port, &pci, nullptr, &TestVersion};
    monitor = std::make_unique<monitor::MonitorDialog>(settings, store, platform);
    ASSERT_TRUE(monitor->Create());
    ASSERT_EQ(monitor->ExitCode(), 0u);
    ASSERT_EQ(monitor->steps.lastStep, 3);
    ASSERT_TRUE(support::Boxes().empty());
  }

  // Runs a command of the monitor window; `script` acts inside the dialog it opens.
  void Command(UINT id, std::function<void(ui::Dialog&)> script) {
    g_script = std::move(script);
    ui::Dialog::SetInitHook(&RunScript);
    ::SendMessageA(monitor->Hwnd(), WM_COMMAND, id, 0);
    ui::Dialog::SetInitHook(nullptr);
    g_script = nullptr;
  }

  bool Greyed(UINT id) const {
    return (::GetMenuState(monitor->tray.TrayMenu(), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
  }

  // Writes of the scaling-window register the driver saw.
  std::vector<MsrRequest> WindowWrites() const {
    std::vector<MsrRequest> writes;
    for (const auto& logged : port.Log()) {
      if (!logged.isRead && logged.request.msr == MsrScalingWindow)
        writes.push_back(logged.request);
    }
    return writes;
  }

  support::BoxRecording boxes;
  sim::SimProcessor processor;
  sim::SimDriverPort port;
  sim::SimPci pci;
  MemoryStore store;
  ui::AppSettings settings;
  monitor::ProcessorPlatform platform = {};
  std::unique_ptr<monitor::MonitorDialog> monitor;
};

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
  EXPECT_EQ(name, monitor->processorInfo.cpuName);
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(serial, monitor->processorInfo.serialNumber);
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
  StartMonitor(kWindowsXp);
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
  StartMonitor(kWindows2000);
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
  StartMonitor(kWindows2000);
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
  StartMonitor(kWindowsXp);
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
