// The monitor window's commands from the tray, its close button, the power broadcasts and the end
// of a session, on the simulated processor.
#include <string>
#include <vector>

#include "monitor_fixture.h"

namespace monitor_test {
namespace {

class MonitorCommands : public MonitorFixture {
 protected:
  LRESULT DoubleClickIcon() {
    return ::SendMessageA(dialog->tray.Hwnd(), tray::TrayNotifyMessage, IDR_TRAY_MENU,
                          WM_LBUTTONDBLCLK);
  }

  void ExpectHidden() {
    EXPECT_EQ(dialog->visible, FALSE);
    EXPECT_EQ(ItemText(Popup(), 0), "&Show Varistep Monitor");
    EXPECT_FALSE(::IsWindowVisible(Window()));
    EXPECT_EQ(::GetAncestor(Window(), GA_PARENT), tray::HiddenOwnerWindow.Hwnd());
    EXPECT_TRUE(dialog->HasWindow());
    EXPECT_EQ(dialog->Result(), 0);
  }

  void ExpectShown() {
    EXPECT_EQ(dialog->visible, TRUE);
    EXPECT_EQ(ItemText(Popup(), 0), "&Hide Varistep Monitor");
    EXPECT_TRUE(::IsWindowVisible(Window()));
    EXPECT_EQ(::GetAncestor(Window(), GA_PARENT), ::GetDesktopWindow());
  }

  // The timer is there exactly once: one kill succeeds, a second finds nothing.
  void ExpectOneTimer() {
    EXPECT_EQ(dialog->timerId, monitor::SampleTimer);
    EXPECT_TRUE(::KillTimer(Window(), monitor::SampleTimer));
    EXPECT_FALSE(::KillTimer(Window(), monitor::SampleTimer));
    dialog->timerId = 0;
  }

  void ExpectNoTimer() {
    EXPECT_EQ(dialog->timerId, 0u);
    EXPECT_FALSE(::KillTimer(Window(), monitor::SampleTimer));
  }

  const sim::SimDriverPort::Logged& LastRequest() const { return port->Log().back(); }
};

TEST_F(MonitorCommands, CloseButtonHidesInsteadOfEnding) {
  ASSERT_TRUE(Open());
  ExpectShown();
  ::SendMessageA(Window(), WM_CLOSE, 0, 0);
  ExpectHidden();
  // The icon stays in the tray.
  EXPECT_EQ(ShellCount(NIM_DELETE), 0u);
  // A second close while hidden keeps it hidden.
  ::SendMessageA(Window(), WM_CLOSE, 0, 0);
  ExpectHidden();
}

TEST_F(MonitorCommands, DoubleClicksOnTheIconHideAndShow) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(DoubleClickIcon(), 1);
  ExpectHidden();
  EXPECT_EQ(DoubleClickIcon(), 1);
  ExpectShown();
  EXPECT_NE(::GetWindowLongA(Window(), GWL_STYLE) & WS_VISIBLE, 0);
}

// With the system's animation on, only a window that was on the screen flies to the tray: the
// one that starts there was never seen.
TEST_F(MonitorCommands, ShowCommandBringsBackAWindowThatStartedMinimised) {
  settings.StartMin = 1;
  ShellSeen().minAnimate = 1;
  ASSERT_TRUE(Open());
  ExpectHidden();
  EXPECT_EQ(ShellSeen().animations.size(), 0u);
  Command(ID_SHOW_HIDE);
  ExpectShown();
  ShellSeen().animations.clear();
  Command(ID_SHOW_HIDE);
  ExpectHidden();
  EXPECT_EQ(ShellSeen().animations.size(), 1u);
}

TEST_F(MonitorCommands, AboutGreysItsItemWhileOpen) {
  ASSERT_TRUE(Open());
  for (UINT ending : {UINT{IDOK}, UINT{IDCANCEL}, UINT{0}}) {
    SCOPED_TRACE(ending);
    bool greyedWhileOpen = false;
    int ticksInside = -1;
    Seen().onDialog = [&](ui::Dialog& about) {
      greyedWhileOpen = IsGreyed(Popup(), ID_ABOUT);
      // Sampling goes on under the box.
      const monitor::ChartModel& chart = dialog->chartModel;
      const int expected = chart.chartX >= chart.chartWidth ? 1 : chart.chartX + 1;
      Tick();
      ticksInside = chart.chartX == expected ? 1 : 0;
      if (ending == 0) {
        ::PostMessageA(about.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
      } else {
        ::PostMessageA(about.Hwnd(), WM_COMMAND, MAKEWPARAM(ending, BN_CLICKED), 0);
      }
    };
    size_t before = Seen().dialogs.size();
    Command(ID_ABOUT);
    ASSERT_EQ(Seen().dialogs.size(), before + 1);
    EXPECT_EQ(Seen().dialogs.back(), IDD_ABOUTBOX);
    EXPECT_TRUE(greyedWhileOpen);
    EXPECT_EQ(ticksInside, 1);
    EXPECT_FALSE(IsGreyed(Popup(), ID_ABOUT));
    EXPECT_TRUE(dialog->HasWindow());
  }
}

TEST_F(MonitorCommands, HelpAsksTheShellToOpenTheReadmeAndReportsNothing) {
  ASSERT_TRUE(Open());
  Command(ID_HELP);
  ASSERT_EQ(ShellSeen().opened.size(), 1u);
  const ShellOpenCall& call = ShellSeen().opened[0];
  EXPECT_EQ(call.owner, nullptr);
  EXPECT_EQ(call.verb, "open");
  // No path: looked up in the current directory, the program's folder when started from there.
  EXPECT_EQ(call.file, "readme.htm");
  EXPECT_EQ(call.parameters, nullptr);
  EXPECT_EQ(call.directory, nullptr);
  EXPECT_EQ(call.show, SW_SHOWNORMAL);
  // The shell answered that the page is missing: still no message.
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MonitorCommands, PerformanceMovesTheMarkAndWritesThePolicy) {
  sim::SimConfig config = sim::ProfileConfig(sim::Profile::Default);
  config.performance = false;
  UseConfig(config);
  ASSERT_TRUE(Open());
  ASSERT_EQ(Checked(), std::vector<UINT>{ID_ECONOMY});
  ASSERT_FALSE(processor->Performance());

  uint32_t before = port->RequestCount();
  Command(ID_PERFORMANCE);
  EXPECT_EQ(Checked(), std::vector<UINT>{ID_PERFORMANCE});
  EXPECT_EQ(dialog->policyCommand, static_cast<UINT>(ID_PERFORMANCE));
  EXPECT_EQ(dialog->performancePolicy, TRUE);
  ASSERT_EQ(port->RequestCount(), before + 1);
  EXPECT_FALSE(LastRequest().isRead);
  EXPECT_EQ(LastRequest().request.msr, MsrScalingPolicy);
  EXPECT_EQ(LastRequest().request.low, 1u);
  EXPECT_EQ(LastRequest().request.high, 0u);
  EXPECT_TRUE(processor->Performance());

  // Again: written again, still one mark.
  Command(ID_PERFORMANCE);
  EXPECT_EQ(port->RequestCount(), before + 2);
  EXPECT_EQ(LastRequest().request.low, 1u);
  EXPECT_EQ(Checked(), std::vector<UINT>{ID_PERFORMANCE});

  Command(ID_ECONOMY);
  EXPECT_EQ(Checked(), std::vector<UINT>{ID_ECONOMY});
  EXPECT_EQ(dialog->performancePolicy, FALSE);
  EXPECT_EQ(port->RequestCount(), before + 3);
  EXPECT_FALSE(LastRequest().isRead);
  EXPECT_EQ(LastRequest().request.low, 0u);
  EXPECT_EQ(LastRequest().request.high, 0u);
  EXPECT_FALSE(processor->Performance());
  EXPECT_TRUE(Boxes().empty());
  // The menu texts survive the marks.
  int position = -1;
  HMENU mode = FindCommand(Popup(), ID_PERFORMANCE, &position);
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(ItemText(mode, static_cast<UINT>(position)), "Per&formance");
  EXPECT_EQ(ItemText(mode, static_cast<UINT>(position + 1)), "&Economy");
}

TEST_F(MonitorCommands, RefusedPolicyWriteShowsTheApplicationBoxOnce) {
  ASSERT_TRUE(Open());
  ASSERT_EQ(Checked(), std::vector<UINT>{ID_PERFORMANCE});
  port->RefuseRegister(MsrScalingPolicy);
  Command(ID_ECONOMY);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Device does not support the requested API");
  EXPECT_EQ(Boxes()[0].caption, ui::AppName().c_str());
  EXPECT_EQ(Boxes()[0].owner, Window());
  EXPECT_EQ(Boxes()[0].type & 0xF, static_cast<UINT>(MB_OK));
  // The new mark and policy stay.
  EXPECT_EQ(Checked(), std::vector<UINT>{ID_ECONOMY});
  EXPECT_EQ(dialog->performancePolicy, FALSE);
  EXPECT_TRUE(processor->Performance());
}

TEST_F(MonitorCommands, PolicyWithoutVaristepLeavesOneMark) {
  UseProfile(sim::Profile::VaristepAbsent);
  ASSERT_TRUE(Open());
  Boxes().clear();
  EXPECT_TRUE(Checked().empty());
  Command(ID_PERFORMANCE);
  Command(ID_ECONOMY);
  EXPECT_EQ(Checked(), std::vector<UINT>{ID_ECONOMY});
  EXPECT_EQ(port->RequestCount(), 0u);
}

TEST_F(MonitorCommands, SuspendQueryStopsAndResumeRestartsOneTimer) {
  ASSERT_TRUE(Open());
  ASSERT_EQ(dialog->timerId, monitor::SampleTimer);
  // Resume with the timer running starts no second one.
  EXPECT_EQ(Power(PBT_APMRESUMESUSPEND), TRUE);
  EXPECT_EQ(dialog->timerId, monitor::SampleTimer);

  EXPECT_EQ(Power(PBT_APMQUERYSUSPEND), TRUE);
  ExpectNoTimer();
  // A second query with nothing running does nothing.
  EXPECT_EQ(Power(PBT_APMQUERYSUSPEND), TRUE);
  ExpectNoTimer();
  // None of the other events restarts sampling.
  for (WPARAM event : {WPARAM{PBT_APMQUERYSUSPENDFAILED}, WPARAM{PBT_APMSUSPEND},
                       WPARAM{PBT_APMPOWERSTATUSCHANGE}, WPARAM{PBT_APMRESUMEAUTOMATIC}}) {
    EXPECT_EQ(Power(event), TRUE);
    ExpectNoTimer();
  }
  EXPECT_EQ(Power(PBT_APMRESUMESUSPEND), TRUE);
  ExpectOneTimer();
}

TEST_F(MonitorCommands, HundredSuspendCyclesLeaveExactlyOneTimer) {
  ASSERT_TRUE(Open());
  Ticks(3);
  for (int i = 0; i < 100; ++i) {
    Power(PBT_APMQUERYSUSPEND);
    Power(PBT_APMSUSPEND);
    Power(PBT_APMRESUMESUSPEND);
    Power(PBT_APMRESUMEAUTOMATIC);
  }
  ExpectOneTimer();
  // Sampling goes on from the column where it stopped.
  EXPECT_EQ(dialog->chartModel.chartX, 3);
}

TEST_F(MonitorCommands, WithTimerZeroPowerEventsStartNothing) {
  settings.Timer = 0;
  ASSERT_TRUE(Open());
  ExpectNoTimer();
  EXPECT_EQ(Power(PBT_APMQUERYSUSPEND), TRUE);
  ExpectNoTimer();
  EXPECT_EQ(Power(PBT_APMRESUMESUSPEND), TRUE);
  ExpectNoTimer();
  for (int i = 0; i < 100; ++i) {
    Power(PBT_APMQUERYSUSPEND);
    Power(PBT_APMRESUMESUSPEND);
  }
  ExpectNoTimer();
  // The period is read at the resume: a period set meanwhile starts the timer then.
  settings.Timer = QuietTimer;
  Power(PBT_APMRESUMESUSPEND);
  ExpectOneTimer();
}

TEST_F(MonitorCommands, CloseReleasesTheDriverAndTimerAndEndsWithOk) {
  ASSERT_TRUE(Open());
  DeviceHandle device = dialog->driver.Device();
  ASSERT_NE(device, InvalidDevice());
  HWND window = Window();
  Command(ID_CLOSE);
  EXPECT_EQ(dialog->Result(), IDOK);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(dialog->timerId, 0u);
  EXPECT_FALSE(dialog->driver.IsOpen());
  // The member keeps the handle it had; the device itself is closed.
  EXPECT_EQ(dialog->driver.Device(), device);
  EXPECT_FALSE(port->Close(device));
  // Close itself writes no settings: start-up does that on the OK result.
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(MonitorCommands, CloseWithoutADriverStillEnds) {
  UseProfile(sim::Profile::VaristepAbsent);
  ASSERT_TRUE(Open());
  HWND window = Window();
  Command(ID_CLOSE);
  EXPECT_EQ(dialog->Result(), IDOK);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(dialog->ExitCode(), 0u);
  EXPECT_EQ(port->RequestCount(), 0u);
}

TEST_F(MonitorCommands, EnterAndEscapeEndTheWindowWithTheirResults) {
  ASSERT_TRUE(Open());
  ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(dialog->Result(), IDCANCEL);
  EXPECT_FALSE(dialog->HasWindow());
  ASSERT_TRUE(Open());
  ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(dialog->Result(), IDOK);
  EXPECT_FALSE(dialog->HasWindow());
}

TEST_F(MonitorCommands, DestroyingTheWindowGivesBackTheChartsDrawingObjects) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(dialog->painter.Ready());
  HPEN pen = dialog->painter.tracePen;
  ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_FALSE(dialog->painter.Ready());
  EXPECT_EQ(dialog->painter.tracePen, nullptr);
  EXPECT_EQ(::GetObjectType(pen), 0u);  // deleted, not merely forgotten
  EXPECT_EQ(dialog->timerId, 0u);
}

TEST_F(MonitorCommands, EndOfSessionWritesTheSixSettings) {
  settings.SpdSenIcon = 1;
  settings.Timer = 250;
  ASSERT_TRUE(Open());
  ::SendMessageA(Window(), WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(store.writes.empty());
  ::SendMessageA(Window(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(store.WrittenNames(), SixSettings());
  EXPECT_EQ(store.values["SpdSenIcon"], 1);
  EXPECT_EQ(store.values["Timer"], 250);
  EXPECT_EQ(store.values["AlwaysOnTop"], 1);
  EXPECT_EQ(store.values.count("Advanced"), 0u);
}

TEST_F(MonitorCommands, DragIconIsTheApplicationIcon) {
  ASSERT_TRUE(Open());
  ASSERT_NE(dialog->icon, nullptr);
  EXPECT_EQ(::SendMessageA(Window(), WM_QUERYDRAGICON, 0, 0),
            reinterpret_cast<LRESULT>(dialog->icon));
}

}  // namespace
}  // namespace monitor_test
