// The sampling tick and the repaint on a live chart: ticks are sent by hand, the simulated
// processor is pinned to the step a test wants, and the chart's pixels are read back.
#include <cstring>
#include <string>
#include <vector>

#include "monitor_fixture.h"

namespace monitor_test {
namespace {

// Levels of the default profile's ten steps, fastest first.
const uint32_t Levels[10] = {100, 89, 78, 67, 56, 44, 33, 22, 11, 0};
// Step 5 (667 MHz, 1.300 V) sits at y 37 on the framed scale; the limits of the window 22..89
// are steps 7 (y 44) and 1 (y 23).
constexpr int StepY = 37;
constexpr int UpperY = 23;
constexpr int LowerY = 44;

class MonitorSampling : public MonitorFixture {
 protected:
  // Columns [0, end) of a row have the colour, and column end does not.
  void ExpectRowUpTo(int y, int end, COLORREF colour) {
    for (int x = 0; x < end; ++x) ASSERT_EQ(Pixel(x, y), colour) << "x " << x << " y " << y;
    EXPECT_NE(Pixel(end, y), colour) << "x " << end << " y " << y;
  }
};

TEST_F(MonitorSampling, SpeedIconFollowsTheStepsBand) {
  settings.SpdSenIcon = 7;  // any nonzero value is on
  ASSERT_TRUE(Open());
  const int bands[10] = {151, 151, 150, 149, 148, 148, 147, 146, 145, 152};
  for (int step = 0; step < 10; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    PinLevel(Levels[step]);
    size_t before = ShellSeen().calls.size();
    Tick();
    ASSERT_EQ(ShellSeen().calls.size(), before + 1);
    const ShellCall& call = ShellSeen().calls.back();
    EXPECT_EQ(call.message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_NE(call.uFlags & NIF_ICON, 0u);
    EXPECT_EQ(call.hIcon, SpeedIcon(bands[step]));
    EXPECT_NE(call.hIcon, nullptr);
    // The same step again leaves the icon alone.
    Ticks(2);
    EXPECT_EQ(ShellSeen().calls.size(), before + 1);
  }
  // The tooltip is never touched by the tick.
  EXPECT_EQ(ShellSeen().calls.back().tip, "Varistep Monitor");
}

TEST_F(MonitorSampling, SpeedIconOffKeepsTheIconItWasCreatedWith) {
  settings.SpdSenIcon = 0;
  ASSERT_TRUE(Open());
  size_t before = ShellSeen().calls.size();
  for (uint32_t level : Levels) {
    PinLevel(level);
    Tick();
  }
  EXPECT_EQ(ShellCount(NIM_MODIFY, before), 0u);
  EXPECT_EQ(dialog->tray.IconData().hIcon, dialog->icon);
}

TEST_F(MonitorSampling, SpeedIconSettingIsReadEveryTick) {
  settings.SpdSenIcon = 0;
  ASSERT_TRUE(Open());
  PinLevel(56);
  Tick();
  size_t before = ShellSeen().calls.size();
  settings.SpdSenIcon = 1;
  // Takes effect at the next label redraw, i.e. the next change of step.
  Tick();
  EXPECT_EQ(ShellCount(NIM_MODIFY, before), 0u);
  PinLevel(0);
  Tick();
  EXPECT_EQ(ShellCount(NIM_MODIFY, before), 1u);
  EXPECT_EQ(ShellSeen().calls.back().hIcon, SpeedIcon(152));
}

TEST_F(MonitorSampling, LimitReadOnlyWithShowMinMax) {
  settings.ShowMinMax = 0;
  ASSERT_TRUE(Open());
  uint32_t before = port->RequestCount();
  size_t leaves = Seen().cpuidLeaves.size();
  Ticks(5);
  EXPECT_EQ(port->RequestCount(), before);
  // One CPUID per tick, the current-state leaf.
  ASSERT_EQ(Seen().cpuidLeaves.size(), leaves + 5);
  for (size_t i = leaves; i < Seen().cpuidLeaves.size(); ++i) {
    EXPECT_EQ(Seen().cpuidLeaves[i], LeafCurrentState);
  }

  settings.ShowMinMax = 1;
  for (int tick = 1; tick <= 3; ++tick) {
    Tick();
    EXPECT_EQ(port->RequestCount(), before + static_cast<uint32_t>(tick));
    const auto& last = port->Log().back();
    EXPECT_TRUE(last.isRead);
    EXPECT_EQ(last.request.msr, MsrScalingWindow);
    EXPECT_EQ(last.request.low, 256u);
    EXPECT_EQ(last.request.high, 256u);
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MonitorSampling, RefusedLimitReadShowsOneBoxWhileTicksGoOn) {
  settings.ShowMinMax = 1;
  ASSERT_TRUE(Open());
  RunStepFiveInsideAWindow();
  Ticks(3);
  ASSERT_TRUE(Boxes().empty());
  ASSERT_EQ(dialog->chartModel.upperLine[2].y, UpperY);

  port->RefuseRegister(MsrScalingWindow);
  int nestedTicks = 0;
  int chartXInside = -1;
  support::WhileBoxOpen() = [&](const BoxCall&) {
    // The box's own message loop goes on delivering ticks; they fail too.
    for (int i = 0; i < 3; ++i) {
      ::SendMessageA(Window(), WM_TIMER, monitor::SampleTimer, 0);
      ++nestedTicks;
    }
    chartXInside = dialog->chartModel.chartX;
    EXPECT_EQ(dialog->LimitFailureBoxes(), 1);
  };
  Tick();
  EXPECT_EQ(nestedTicks, 3);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(support::NestedBoxes(), 0);
  const BoxCall& box = Boxes()[0];
  EXPECT_EQ(box.text, "Device does not support the requested API");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.owner, Window());
  EXPECT_EQ(box.type & 0xF, static_cast<UINT>(MB_OK));
  // The outer tick had finished its column before the box; the nested ones each added theirs.
  EXPECT_EQ(chartXInside, 7);
  EXPECT_EQ(dialog->chartModel.chartX, 7);
  EXPECT_EQ(dialog->LimitFailureBoxes(), 0);
  // The failed reads keep the previous limits.
  EXPECT_EQ(dialog->chartModel.upperLine[6].y, UpperY);
  EXPECT_EQ(dialog->chartModel.lowerLine[6].y, LowerY);

  // Not remembered: the next failing tick reports again.
  support::WhileBoxOpen() = nullptr;
  Tick();
  EXPECT_EQ(Boxes().size(), 2u);
  port->ClearFaults();
  Tick();
  EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(MonitorSampling, TraceIsDrawnInCyanAtTheStepsHeight) {
  ASSERT_TRUE(Open());
  RunStepFiveInsideAWindow();
  ASSERT_EQ(dialog->chartModel.chartY[5], StepY);
  Ticks(10);
  EXPECT_EQ(dialog->chartModel.chartX, 10);
  // Ten points written; the polyline over the first nine ends before its last point.
  ExpectRowUpTo(StepY, 8, TraceColour);
  // Nothing else below the label.
  const int height = ChartHeight();
  EXPECT_EQ(CountColour(TraceColour, 0, 18, ChartWidth(), height), 8);
  EXPECT_EQ(CountColour(LimitColour, 0, 0, ChartWidth(), height), 0);
  // The label, in the trace colour on black.
  EXPECT_GT(CountColour(TraceColour, 2, 2, ChartWidth(), 17), 20);
  EXPECT_STREQ(dialog->chartModel.chartLabel, "Freq: 667MHz Volt: 1.300V ");
}

TEST_F(MonitorSampling, NoTraceUntilTheThirdTick) {
  ASSERT_TRUE(Open());
  RunStepFiveInsideAWindow();
  const int width = ChartWidth();
  const int height = ChartHeight();
  Ticks(2);
  EXPECT_EQ(CountColour(TraceColour, 0, 18, width, height), 0);
  Tick();
  // The segment from point 0 to point 1.
  EXPECT_EQ(CountColour(TraceColour, 0, 18, width, height), 1);
  EXPECT_EQ(Pixel(0, StepY), TraceColour);
}

TEST_F(MonitorSampling, LimitsAreDrawnInYellowUnderTheTrace) {
  settings.ShowMinMax = -3;  // any nonzero value is on
  ASSERT_TRUE(Open());
  RunStepFiveInsideAWindow();
  Ticks(10);
  ExpectRowUpTo(UpperY, 8, LimitColour);
  ExpectRowUpTo(LowerY, 8, LimitColour);
  ExpectRowUpTo(StepY, 8, TraceColour);
  EXPECT_EQ(CountColour(LimitColour, 0, 18, ChartWidth(), ChartHeight()), 16);

  // Pinned to the upper limit's step: the cyan trace lies on top of the yellow one.
  PinLevel(89);
  processor->WriteMsr(MsrScalingWindow, 22, 89);
  Ticks(ChartWidth() - 10 + 12);
  ASSERT_EQ(dialog->chartModel.chartX, 12);
  ExpectRowUpTo(UpperY, 10, TraceColour);
  ExpectRowUpTo(LowerY, 10, LimitColour);
  EXPECT_EQ(::GetCurrentObject(dialog->painter.chartDC, OBJ_PEN), dialog->painter.tracePen);
}

TEST_F(MonitorSampling, SweepStartsAgainOnABlankChart) {
  ASSERT_TRUE(Open());
  RunStepFiveInsideAWindow();
  const int width = ChartWidth();
  ASSERT_GT(width, 10);
  Ticks(width);
  EXPECT_EQ(dialog->chartModel.chartX, width);
  ExpectRowUpTo(StepY, width - 2, TraceColour);
  // The tick that finds the chart full blanks it, writes point 0 and draws nothing.
  Tick();
  EXPECT_EQ(dialog->chartModel.chartX, 1);
  EXPECT_EQ(CountColour(TraceColour, 0, 18, width, ChartHeight()), 0);
  // The label is drawn again on the blank chart.
  EXPECT_GT(CountColour(TraceColour, 2, 2, width, 17), 20);
}

TEST_F(MonitorSampling, RepaintBlanksTheChartAndTheNextTickRestoresIt) {
  settings.SpdSenIcon = 1;
  ASSERT_TRUE(Open());
  RunStepFiveInsideAWindow();
  Ticks(10);
  const int width = ChartWidth();
  const int height = ChartHeight();
  ASSERT_GT(CountColour(TraceColour, 0, 0, width, height), 20);
  size_t shellBefore = ShellSeen().calls.size();

  ::RedrawWindow(Window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_EQ(CountColour(TraceColour, 0, 0, width, height), 0);
  EXPECT_EQ(dialog->chartModel.lastFrequency, 0);
  // Painting itself leaves the tray and the sweep column alone.
  EXPECT_EQ(ShellSeen().calls.size(), shellBefore);
  EXPECT_EQ(dialog->chartModel.chartX, 10);

  // Same frequency, but the label and the icon come back, and the traces in full.
  Tick();
  EXPECT_GT(CountColour(TraceColour, 2, 2, width, 17), 20);
  ExpectRowUpTo(StepY, 9, TraceColour);
  EXPECT_EQ(ShellCount(NIM_MODIFY, shellBefore), 1u);
  EXPECT_EQ(ShellSeen().calls.back().hIcon, SpeedIcon(148));
}

TEST_F(MonitorSampling, UnknownFrequencyOrLimitKeepsTheStepShownLast) {
  settings.ShowMinMax = 1;
  ASSERT_TRUE(Open());
  RunStepFiveInsideAWindow();
  Ticks(3);
  // A reading that is no step of the table.
  cpuid->frequencyOverride = 999;
  Tick();
  EXPECT_EQ(dialog->chartModel.currentStep, 5);
  EXPECT_STREQ(dialog->chartModel.chartLabel, "Freq: 999MHz Volt: 1.300V ");
  EXPECT_EQ(dialog->chartModel.frequencyLine[3].y, StepY);
  // Limits that are no step's level.
  processor->WriteMsr(MsrScalingWindow, 50, 50);
  Tick();
  EXPECT_EQ(dialog->chartModel.upperLine[4].y, UpperY);
  EXPECT_EQ(dialog->chartModel.lowerLine[4].y, LowerY);
  cpuid->frequencyOverride = 0;
  processor->WriteMsr(MsrScalingWindow, 22, 89);
  PinLevel(0);
  processor->WriteMsr(MsrScalingWindow, 0, 100);
  Tick();
  EXPECT_EQ(dialog->chartModel.currentStep, 9);
  EXPECT_EQ(dialog->chartModel.upperLine[5].y, 20);
  EXPECT_EQ(dialog->chartModel.lowerLine[5].y, 52);
}

TEST_F(MonitorSampling, TicksGoOnWhileTheWindowIsInTheTray) {
  settings.SpdSenIcon = 1;
  settings.StartMin = 1;
  ASSERT_TRUE(Open());
  ASSERT_FALSE(::IsWindowVisible(Window()));
  PinLevel(0);
  Tick();
  EXPECT_EQ(ShellSeen().calls.back().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(ShellSeen().calls.back().hIcon, SpeedIcon(152));
  PinLevel(100);
  Ticks(4);
  EXPECT_EQ(ShellSeen().calls.back().hIcon, SpeedIcon(151));
  EXPECT_EQ(dialog->chartModel.chartX, 5);

  // Back on the screen: the repaint blanks the chart, and the next tick draws the label again
  // and sets the icon once, although the step is the same.
  Command(ID_SHOW_HIDE);
  ASSERT_TRUE(::IsWindowVisible(Window()));
  EXPECT_EQ(CountColour(TraceColour, 2, 2, ChartWidth(), 17), 0);
  size_t before = ShellSeen().calls.size();
  Tick();
  EXPECT_GT(CountColour(TraceColour, 2, 2, ChartWidth(), 17), 20);
  EXPECT_EQ(ShellCount(NIM_MODIFY, before), 1u);
  EXPECT_EQ(ShellSeen().calls.back().hIcon, SpeedIcon(151));
  Tick();
  EXPECT_EQ(ShellCount(NIM_MODIFY, before), 1u);
}

TEST_F(MonitorSampling, OtherTimerIdsAreNotTicks) {
  ASSERT_TRUE(Open());
  Tick();
  EXPECT_EQ(dialog->chartModel.chartX, 1);
  ::SendMessageA(Window(), WM_TIMER, 17, 0);
  ::SendMessageA(Window(), WM_TIMER, 0, 0);
  EXPECT_EQ(dialog->chartModel.chartX, 1);
}
}  // namespace
}  // namespace monitor_test
