// The view cycle a click on the chart steps through: the framed window, the bare chart and the
// strip, with and without sampling, and the window each leaves.
#include "monitor_fixture.h"

namespace monitor_test {
namespace {

class MonitorViews : public MonitorFixture {};

TEST_F(MonitorViews, ThreeChartClicksCycleTheViewsAndComeBack) {
  ASSERT_TRUE(Open());
  RunStepFiveInsideAWindow();
  const RECT full = dialog->fullWindowRect;
  const int fullWidth = full.right - full.left;
  const int fullHeight = full.bottom - full.top;
  const int width = ChartWidth();
  const int height = ChartHeight();
  const LONG frame = WS_CAPTION | WS_SYSMENU;
  ASSERT_NE(dialog->timerId, 0u);
  Ticks(5);

  RECT rect;
  ClickChart();
  EXPECT_EQ(dialog->viewMode(), 1);
  EXPECT_EQ(::GetWindowLongA(Window(), GWL_STYLE) & frame, 0);
  ::GetWindowRect(Window(), &rect);
  EXPECT_EQ(rect.left, full.left);
  EXPECT_EQ(rect.top, full.top);
  EXPECT_EQ(rect.right - rect.left, fullWidth - 7);
  EXPECT_EQ(rect.bottom - rect.top, height);
  // The bare view keeps the layout and the traces go on.
  EXPECT_EQ(dialog->chartModel.chartWidth, width);
  Tick();
  EXPECT_EQ(dialog->chartModel.chartX, 6);
  EXPECT_STREQ(dialog->chartModel.chartLabel, "Freq: 667MHz Volt: 1.300V ");

  ClickChart();
  EXPECT_EQ(dialog->viewMode(), 2);
  EXPECT_EQ(::GetWindowLongA(Window(), GWL_STYLE) & frame, 0);
  ::GetWindowRect(Window(), &rect);
  EXPECT_EQ(rect.right - rect.left, fullWidth - 7);
  EXPECT_EQ(rect.bottom - rect.top, height - 37);
  EXPECT_EQ(dialog->chartModel.chartWidth, width - 56);
  EXPECT_EQ(dialog->chartModel.chartX, width - 56);
  EXPECT_EQ(dialog->chartModel.frequencyLine[0].x, 56);
  EXPECT_EQ(dialog->chartModel.upperLine[width - 57].x, width - 1);
  EXPECT_EQ(dialog->chartModel.chartY[0], 1);
  EXPECT_EQ(dialog->chartModel.chartY[4], 8);
  EXPECT_EQ(dialog->chartModel.chartY[9], 17);
  EXPECT_EQ(dialog->timerId, monitor::SampleTimer);
  Tick();
  EXPECT_EQ(dialog->chartModel.chartX, 1);
  EXPECT_STREQ(dialog->chartModel.chartLabel, "667MHz ");

  // The framed view comes back at the size taken at set-up, where the window is now.
  ::SetWindowPos(Window(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ClickChart();
  EXPECT_EQ(dialog->viewMode(), 0);
  EXPECT_EQ(::GetWindowLongA(Window(), GWL_STYLE) & frame, frame);
  ::GetWindowRect(Window(), &rect);
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.top, 40);
  EXPECT_EQ(rect.right - rect.left, fullWidth);
  EXPECT_EQ(rect.bottom - rect.top, fullHeight);
  EXPECT_EQ(dialog->chartModel.chartWidth, width);
  EXPECT_EQ(dialog->chartModel.chartX, width);
  EXPECT_EQ(dialog->chartModel.frequencyLine[0].x, 0);
  EXPECT_EQ(dialog->chartModel.chartY[0], 20);
  EXPECT_EQ(dialog->chartModel.chartY[9], 52);
  EXPECT_EQ(dialog->timerId, monitor::SampleTimer);
  Tick();
  EXPECT_STREQ(dialog->chartModel.chartLabel, "Freq: 667MHz Volt: 1.300V ");
  RECT client;
  ::GetClientRect(dialog->chart.Hwnd(), &client);
  EXPECT_EQ(client.right, width);
  EXPECT_EQ(client.bottom, height);
}

TEST_F(MonitorViews, WithoutATimerTheViewsChangeOnlyTheirFrame) {
  settings.Timer = 0;
  ASSERT_TRUE(Open());
  const RECT full = dialog->fullWindowRect;
  const int width = ChartWidth();
  ClickChart();
  ClickChart();
  EXPECT_EQ(dialog->viewMode(), 2);
  RECT rect;
  ::GetWindowRect(Window(), &rect);
  EXPECT_EQ(rect.bottom - rect.top, ChartHeight() - 37);
  EXPECT_EQ(dialog->timerId, 0u);
  EXPECT_FALSE(::KillTimer(Window(), monitor::SampleTimer));
  EXPECT_EQ(dialog->chartModel.chartWidth, width);
  EXPECT_EQ(dialog->chartModel.frequencyLine[0].x, 0);
  EXPECT_EQ(dialog->chartModel.chartY[9], 52);
  ClickChart();
  EXPECT_EQ(dialog->viewMode(), 0);
  ::GetWindowRect(Window(), &rect);
  EXPECT_EQ(rect.right - rect.left, full.right - full.left);
  EXPECT_EQ(rect.bottom - rect.top, full.bottom - full.top);
  EXPECT_EQ(dialog->timerId, 0u);
}

TEST_F(MonitorViews, ADoubleClickNotificationDoesNotAdvanceTheView) {
  ASSERT_TRUE(Open());
  ClickChart();
  ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDC_CHART, STN_DBLCLK),
                 reinterpret_cast<LPARAM>(dialog->chart.Hwnd()));
  EXPECT_EQ(dialog->viewMode(), 1);
}

TEST_F(MonitorViews, WithoutVaristepTheViewCycleKeepsASensibleWindow) {
  UseProfile(sim::Profile::VaristepAbsent);
  ASSERT_TRUE(Open());
  const RECT full = dialog->fullWindowRect;
  RECT client;
  ::GetClientRect(dialog->chart.Hwnd(), &client);
  ClickChart();
  RECT rect;
  ::GetWindowRect(Window(), &rect);
  EXPECT_EQ(rect.bottom - rect.top, client.bottom);
  ClickChart();
  ::GetWindowRect(Window(), &rect);
  EXPECT_EQ(rect.bottom - rect.top, client.bottom - 37);
  ClickChart();
  ::GetWindowRect(Window(), &rect);
  EXPECT_EQ(rect.right - rect.left, full.right - full.left);
  EXPECT_EQ(rect.bottom - rect.top, full.bottom - full.top);
  EXPECT_EQ(dialog->timerId, 0u);
}

}  // namespace
}  // namespace monitor_test
