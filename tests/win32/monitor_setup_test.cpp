// The monitor window's set-up on the simulated processor: the driver requests it sends and their
// order, the about box before identification, the chart scale, policy mark and tray icon it
// leaves, and every way set-up can fail.
#include <string>
#include <vector>

#include "monitor_fixture.h"

namespace monitor_test {
namespace {

struct Expected {
  bool isRead;
  uint32_t msr;
  uint32_t low;
  uint32_t high;
};

std::vector<Expected> StepRegisterRequests(int lastStep) {
  std::vector<Expected> requests = {
      {true, MsrSerialControl, 256, 256},
      {true, MsrScalingWindow, 256, 256},
      {true, MsrStepSelect, 256, 0},
  };
  for (int i = 0; i <= lastStep; ++i) {
    requests.push_back({false, MsrStepSelect, static_cast<uint32_t>(i), 0});
    requests.push_back({true, MsrStepLevel, 256, 0});
    requests.push_back({true, MsrStepFrequencyVoltage, 256, 0});
    requests.push_back({true, MsrStepDividers, 256, 0});
  }
  requests.push_back({true, MsrScalingPolicy, 256, 0});
  return requests;
}

std::vector<Expected> SweepRequests(const std::vector<uint32_t>& stepLevels, uint32_t lower,
                                    uint32_t upper) {
  std::vector<Expected> requests = {
      {true, MsrSerialControl, 256, 256},
      {true, MsrScalingWindow, 256, 256},
  };
  for (uint32_t level = 101; level-- > 0;) {
    requests.push_back({false, MsrScalingWindow, level, level});
  }
  for (uint32_t level : stepLevels) requests.push_back({false, MsrScalingWindow, level, level});
  requests.push_back({false, MsrScalingWindow, lower, upper});
  requests.push_back({true, MsrScalingPolicy, 256, 0});
  return requests;
}

std::vector<uint32_t> TenLevels() {
  return {100, 89, 78, 67, 56, 44, 33, 22, 11, 0};
}

class MonitorSetup : public MonitorFixture {
 protected:
  void ExpectRequests(const std::vector<Expected>& expected) {
    const auto& log = port->Log();
    ASSERT_EQ(log.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE("request " + std::to_string(i + 1));
      EXPECT_EQ(log[i].isRead, expected[i].isRead);
      EXPECT_EQ(log[i].request.msr, expected[i].msr);
      EXPECT_EQ(log[i].request.low, expected[i].low);
      EXPECT_EQ(log[i].request.high, expected[i].high);
      EXPECT_TRUE(log[i].accepted);
    }
  }

  void ExpectWindowRequestPrepared() {
    EXPECT_EQ(dialog->driver.WindowRequest().low, 256u);
    EXPECT_EQ(dialog->driver.WindowRequest().high, 256u);
    EXPECT_EQ(dialog->driver.WindowRequest().msr, MsrScalingWindow);
  }

  // One failing set-up: the single box it shows, the window gone before it was ever shown, the
  // tray icon taken back, and exit status 1.
  void ExpectFailedSetUp(const std::string& text, const std::string& caption) {
    ASSERT_FALSE(Open());
    EXPECT_FALSE(dialog->HasWindow());
    EXPECT_EQ(dialog->ExitCode(), 1u);
    EXPECT_EQ(dialog->Result(), monitor::SetupFailedResult);
    EXPECT_EQ(dialog->timerId, 0u);
    ASSERT_NO_FATAL_FAILURE(ExpectSetUpBox(text, caption));
    // Both kinds of box are owned by the window being set up (the application box through the
    // main window).
    EXPECT_NE(Boxes()[0].owner, nullptr);
    ASSERT_GE(ShellSeen().calls.size(), 2u);
    EXPECT_EQ(ShellSeen().calls.front().message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(ShellSeen().calls.back().message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(ShellCount(NIM_DELETE), 1u);
  }
};

TEST_F(MonitorSetup, StepRegisterProfileSendsTheRequestTableInOrder) {
  ASSERT_TRUE(Open());
  ExpectRequests(StepRegisterRequests(9));
  ExpectWindowRequestPrepared();
  EXPECT_EQ(port->OpenFlags(), OpenFlagsNt);
  EXPECT_EQ(dialog->driver.ControlCode(), ControlCodeNt);
  EXPECT_EQ(dialog->processor.osKind, OsKind::WindowsXp);
  EXPECT_EQ(dialog->steps.lastStep, 9);
  EXPECT_EQ(dialog->steps.frequencyMHz[0], 1000);
  EXPECT_EQ(dialog->steps.frequencyMHz[9], 400);
  EXPECT_EQ(dialog->ExitCode(), 0u);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MonitorSetup, SweepProfileSendsTheSweepAndRestoresTheWindow) {
  sim::SimConfig config = sim::ProfileConfig(sim::Profile::SweepOnly);
  config.windowLower = 22;
  config.windowUpper = 89;
  UseConfig(config);
  ASSERT_TRUE(Open());
  // Pinning overrides the window found at start, so the sweep reaches steps outside it too.
  ExpectRequests(SweepRequests(TenLevels(), 22, 89));
  ExpectWindowRequestPrepared();
  EXPECT_EQ(dialog->steps.lastStep, 9);
  EXPECT_EQ(processor->WindowLower(), 22u);
  EXPECT_EQ(processor->WindowUpper(), 89u);
  EXPECT_EQ(dialog->steps.maxStep, 1);
  EXPECT_EQ(dialog->steps.minStep, 7);
}

TEST_F(MonitorSetup, AboutBoxComesBeforeIdentification) {
  settings.AboutBox = 1;
  uint32_t requestsWhileOpen = 99;
  size_t leavesWhileOpen = 99;
  Seen().onDialog = [&](ui::Dialog& about) {
    requestsWhileOpen = port->RequestCount();
    leavesWhileOpen = Seen().cpuidLeaves.size();
    ::PostMessageA(about.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  };
  ASSERT_TRUE(Open());
  ASSERT_EQ(Seen().dialogs, std::vector<int>{IDD_ABOUTBOX});
  EXPECT_EQ(requestsWhileOpen, 0u);
  EXPECT_EQ(leavesWhileOpen, 0u);
  ASSERT_GE(Seen().events.size(), 2u);
  EXPECT_EQ(Seen().events[0], "about");
  EXPECT_EQ(Seen().events[1], "cpuid");
}

TEST_F(MonitorSetup, AboutBoxStillComesFirstOnAnotherMakersProcessor) {
  settings.AboutBox = 1;
  UseProfile(sim::Profile::WrongVendor);
  ExpectFailedSetUp("A Corvalith CPU was not found.", "Checking for a Corvalith CPU?");
  EXPECT_EQ(Seen().dialogs, std::vector<int>{IDD_ABOUTBOX});
  const std::vector<std::string> order = {"about", "cpuid", "box"};
  EXPECT_EQ(Seen().events, order);
  EXPECT_EQ(port->RequestCount(), 0u);
}

sim::SimConfig WithLevels(const std::vector<int32_t>& levels, bool stepRegisters) {
  sim::SimConfig config = sim::ProfileConfig(sim::Profile::Default);
  config.steps.clear();
  const int32_t mhz[] = {1000, 866, 733, 600, 400};
  for (size_t i = 0; i < levels.size(); ++i) {
    config.steps.push_back(
        sim::SimStep{levels[i], mhz[i], 1600u - 100u * static_cast<uint32_t>(i), 4, 6});
  }
  config.reportedLastStep = static_cast<uint32_t>(levels.size() - 1);
  config.stepRegisters = stepRegisters;
  return config;
}

TEST_F(MonitorSetup, ChartScaleRunsFrom20To52) {
  for (bool registers : {true, false}) {
    SCOPED_TRACE(registers ? "step registers" : "sweep");
    UseConfig(WithLevels({100, 0}, registers));
    ASSERT_TRUE(Open());
    ASSERT_EQ(dialog->steps.lastStep, 1);
    EXPECT_EQ(dialog->chartModel.chartY[0], 20);
    EXPECT_EQ(dialog->chartModel.chartY[1], 52);

    UseConfig(WithLevels({100, 75, 50, 25, 0}, registers));
    ASSERT_TRUE(Open());
    ASSERT_EQ(dialog->steps.lastStep, 4);
    const int32_t expected[] = {20, 28, 36, 44, 52};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(dialog->chartModel.chartY[i], expected[i]) << i;
  }
  UseProfile(sim::Profile::Default);
  ASSERT_TRUE(Open());
  const int32_t ten[] = {20, 23, 27, 30, 34, 37, 41, 44, 48, 52};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(dialog->chartModel.chartY[i], ten[i]) << i;
}

TEST_F(MonitorSetup, OneStepSitsAtTheTopAndTooManyStepsStayInTheTable) {
  UseProfile(sim::Profile::OneStep);
  ASSERT_TRUE(Open());
  ASSERT_EQ(dialog->steps.lastStep, 0);
  EXPECT_EQ(dialog->chartModel.chartY[0], 20);
  Ticks(3);
  EXPECT_EQ(dialog->chartModel.chartX, 3);
  EXPECT_STREQ(dialog->chartModel.chartLabel, "Freq: 600MHz Volt: 1.200V ");

  UseProfile(sim::Profile::TooManySteps);
  if (Open()) {
    EXPECT_LE(dialog->steps.lastStep, MaxSteps - 1);
    Ticks(3);
  } else {
    EXPECT_EQ(dialog->ExitCode(), 1u);
  }
}

TEST_F(MonitorSetup, ChartIsPreparedForTheFirstTickToClear) {
  ASSERT_TRUE(Open());
  const monitor::ChartModel& chart = dialog->chartModel;
  RECT client;
  ::GetClientRect(dialog->chart.Hwnd(), &client);
  EXPECT_EQ(chart.chartRect.right, client.right);
  EXPECT_EQ(chart.chartRect.bottom, client.bottom);
  EXPECT_EQ(chart.chartWidth,
            client.right < monitor::ChartPoints ? client.right : monitor::ChartPoints);
  EXPECT_EQ(chart.chartX, chart.chartWidth);
  for (int i = 0; i < chart.chartWidth; ++i) {
    ASSERT_EQ(chart.frequencyLine[i].x, i);
    ASSERT_EQ(chart.lowerLine[i].x, i);
    ASSERT_EQ(chart.upperLine[i].x, i);
  }
  EXPECT_NE(dialog->painter.chartDC, nullptr);
  EXPECT_EQ(::GetTextColor(dialog->painter.chartDC), TraceColour);
  EXPECT_EQ(::GetCurrentObject(dialog->painter.chartDC, OBJ_PEN), dialog->painter.tracePen);
  EXPECT_EQ(::GetCurrentObject(dialog->painter.chartDC, OBJ_FONT), dialog->painter.chartFont);
  EXPECT_EQ(dialog->viewMode(), 0);
  RECT window;
  ::GetWindowRect(Window(), &window);
  EXPECT_TRUE(::EqualRect(&window, &dialog->fullWindowRect));
}

TEST_F(MonitorSetup, PolicyMarkNamesThePolicyTheProcessorRuns) {
  for (bool performance : {true, false}) {
    SCOPED_TRACE(performance ? "Performance" : "Economy");
    sim::SimConfig config = sim::ProfileConfig(sim::Profile::Default);
    config.performance = performance;
    UseConfig(config);
    ASSERT_TRUE(Open());
    const UINT command = performance ? ID_PERFORMANCE : ID_ECONOMY;
    EXPECT_EQ(dialog->performancePolicy, performance ? TRUE : FALSE);
    EXPECT_EQ(dialog->policyCommand, command);
    EXPECT_EQ(Checked(), std::vector<UINT>{command});
  }
}

TEST_F(MonitorSetup, TrayIconIsCreatedWithTheApplicationIconAndTooltip) {
  ASSERT_TRUE(Open());
  ASSERT_FALSE(ShellSeen().calls.empty());
  const ShellCall& add = ShellSeen().calls.front();
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.tip, "Varistep Monitor");
  EXPECT_EQ(add.hIcon, dialog->icon);
  EXPECT_EQ(dialog->tray.IconData().uCallbackMessage, tray::TrayNotifyMessage);
  EXPECT_EQ(dialog->tray.IconData().uID, static_cast<UINT>(IDR_TRAY_MENU));
  EXPECT_EQ(dialog->tray.CommandWindow(), Window());
  EXPECT_EQ(::SendMessageA(Window(), WM_GETICON, ICON_SMALL, 0),
            reinterpret_cast<LRESULT>(dialog->icon));
  EXPECT_EQ(ShellCount(NIM_ADD), 1u);
  EXPECT_EQ(ShellCount(NIM_DELETE), 0u);
}

// ---- Failures ----

TEST_F(MonitorSetup, EveryRefusedStepRegisterRequestEndsSetUp) {
  const size_t total = StepRegisterRequests(9).size();
  for (uint32_t k = 1; k <= total; ++k) {
    SCOPED_TRACE("refused request " + std::to_string(k));
    ForgetAll();
    UseProfile(sim::Profile::Default);
    port->RefuseRequest(k);
    ExpectFailedSetUp("Device does not support the requested API", "Error");
    // Nothing after the refused request is sent.
    EXPECT_EQ(port->RequestCount(), k);
  }
}

TEST_F(MonitorSetup, EveryRefusedSweepRequestEndsSetUp) {
  const size_t total = SweepRequests(TenLevels(), 0, 100).size();
  for (uint32_t k = 1; k <= total; ++k) {
    SCOPED_TRACE("refused request " + std::to_string(k));
    ForgetAll();
    UseProfile(sim::Profile::SweepOnly);
    port->RefuseRequest(k);
    ExpectFailedSetUp("Device does not support the requested API", "Error");
    // Once the window has been read, the only request after the refused one gives it back; a
    // refused write-back, the request before the policy read, is not sent again.
    const bool sweeping = k > 2 && k < total - 1;
    EXPECT_EQ(port->RequestCount(), sweeping ? k + 1 : k);
  }
}

TEST_F(MonitorSetup, OpenFailureTextsDependOnTheError) {
  const std::pair<uint32_t, const char*> cases[] = {
      {50, "Unable to open VxD, \n device does not support DeviceIOCTL\n"},
      {2, "Unable to open VxD, Error code: 2\n"},
      {0x1F, "Unable to open VxD, Error code: 1f\n"},
      {0xC0000022, "Unable to open VxD, Error code: c0000022\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.second);
    ForgetAll();
    UseProfile(sim::Profile::Default);
    port->FailOpen(c.first);
    ExpectFailedSetUp(c.second, ui::AppName().c_str());
    EXPECT_EQ(port->RequestCount(), 0u);
  }
}

TEST_F(MonitorSetup, WrongVendorEndsSetUpBeforeTheDriverIsOpened) {
  UseProfile(sim::Profile::WrongVendor);
  ExpectFailedSetUp("A Corvalith CPU was not found.", "Checking for a Corvalith CPU?");
  EXPECT_EQ(port->RequestCount(), 0u);
  EXPECT_EQ(dialog->driver.Device(), InvalidDevice());
}

TEST_F(MonitorSetup, FailureWhileStartingMinimisedIsNeverShownEither) {
  settings.StartMin = 1;
  port->RefuseRegister(MsrScalingPolicy);
  ExpectFailedSetUp("Device does not support the requested API", "Error");
}

TEST_F(MonitorSetup, VaristepAbsentKeepsTheWindowUpWithoutData) {
  UseProfile(sim::Profile::VaristepAbsent);
  ASSERT_TRUE(Open());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Varistep is absent from your system.");
  EXPECT_EQ(Boxes()[0].caption, "Checking for Varistep on your system?");
  EXPECT_EQ(Boxes()[0].owner, Window());
  EXPECT_TRUE(dialog->HasWindow());
  EXPECT_TRUE(::IsWindowVisible(Window()));
  EXPECT_EQ(dialog->Result(), 0);
  EXPECT_EQ(dialog->ExitCode(), 0u);
  EXPECT_EQ(dialog->timerId, 0u);
  EXPECT_EQ(dialog->painter.chartDC, nullptr);
  EXPECT_EQ(dialog->viewMode(), 0);
  EXPECT_EQ(dialog->steps.lastStep, -1);
  EXPECT_EQ(dialog->driver.Device(), InvalidDevice());
  EXPECT_EQ(port->RequestCount(), 0u);
  RECT window;
  ::GetWindowRect(Window(), &window);
  EXPECT_TRUE(::EqualRect(&window, &dialog->fullWindowRect));
  EXPECT_EQ(ShellCount(NIM_DELETE), 0u);
  // A tick another part might start finds nothing to draw.
  Ticks(3);
  EXPECT_EQ(port->RequestCount(), 0u);
}

}  // namespace
}  // namespace monitor_test
