#include "monitor/ChartModel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using monitor::ChartModel;

StepTable MakeTable(int steps) {
  StepTable table{};
  table.lastStep = steps - 1;
  for (int i = 0; i < steps && i < MaxSteps; ++i) {
    table.frequencyMHz[i] = 1000 - 100 * i;
    table.level[i] = 100 - 10 * i;
    table.voltage[i] = 1.5f - 0.05f * static_cast<float>(i);
  }
  return table;
}

std::vector<int32_t> Scale(int steps, monitor::ViewMode mode) {
  StepTable table = MakeTable(steps);
  int32_t chartY[MaxSteps] = {};
  monitor::FillScale(table, mode, chartY);
  return std::vector<int32_t>(chartY, chartY + steps);
}

TEST(ChartScale, FramedAndStripScalesMatchTheDrawnTables) {
  EXPECT_EQ(Scale(10, monitor::FramedView),
            (std::vector<int32_t>{20, 23, 27, 30, 34, 37, 41, 44, 48, 52}));
  EXPECT_EQ(Scale(10, monitor::StripView),
            (std::vector<int32_t>{1, 2, 4, 6, 8, 9, 11, 13, 15, 17}));
  EXPECT_EQ(Scale(5, monitor::FramedView), (std::vector<int32_t>{20, 28, 36, 44, 52}));
  EXPECT_EQ(Scale(5, monitor::StripView), (std::vector<int32_t>{1, 5, 9, 13, 17}));
  EXPECT_EQ(Scale(2, monitor::FramedView), (std::vector<int32_t>{20, 52}));
  // One step: no division by zero, the step sits at the top.
  EXPECT_EQ(Scale(1, monitor::FramedView), (std::vector<int32_t>{20}));
  EXPECT_EQ(Scale(1, monitor::StripView), (std::vector<int32_t>{1}));
}

TEST(ChartScale, SpeedBandsForFiveAndTenSteps) {
  std::vector<int> ten, five;
  for (int i = 0; i < 10; ++i) ten.push_back(monitor::SpeedBandFor(i, 9));
  for (int i = 0; i < 5; ++i) five.push_back(monitor::SpeedBandFor(i, 4));
  EXPECT_EQ(ten, (std::vector<int>{0, 0, 1, 2, 3, 3, 4, 5, 6, 7}));
  EXPECT_EQ(five, (std::vector<int>{0, 1, 3, 5, 7}));
  EXPECT_EQ(monitor::SpeedBandFor(0, 0), 0);
}

class ChartTick : public ::testing::Test {
 protected:
  void SetUp() override {
    table = MakeTable(10);
    model.SetUp({0, 0, 163, 52}, table);
  }
  // One whole tick as the window runs it; returns the points drawn for the frequency trace.
  int32_t Tick(int32_t frequency, bool speedIcon = false) {
    last = model.BeginTick(frequency, table, speedIcon);
    int32_t drawn = model.PointsToDraw();
    model.EndTick();
    return drawn;
  }
  StepTable table;
  ChartModel model;
  ChartModel::TickStart last{};
};

TEST_F(ChartTick, SetUpLaysOutTheFramedView) {
  EXPECT_EQ(model.chartWidth, 163);
  EXPECT_EQ(model.chartX, 163);
  EXPECT_EQ(model.frequencyLine[0].x, 0);
  EXPECT_EQ(model.upperLine[162].x, 162);
  EXPECT_EQ(model.chartY[9], 52);
}

TEST_F(ChartTick, FirstTickBlanksAndTracesNeedTwoPoints) {
  EXPECT_EQ(Tick(1000), 0);
  EXPECT_TRUE(last.blank);
  EXPECT_TRUE(last.label);
  EXPECT_EQ(Tick(1000), 1);
  EXPECT_FALSE(last.blank);
  EXPECT_EQ(Tick(1000), 2);  // the segment from point 0 to point 1
  EXPECT_EQ(model.frequencyLine[0].y, 20);
  EXPECT_EQ(model.frequencyLine[1].y, 20);
}

TEST_F(ChartTick, UnchangedFrequencyGivesNoLabelAndNoIcon) {
  Tick(900, true);
  EXPECT_TRUE(last.label);
  EXPECT_EQ(last.speedBand, 0);
  Tick(900, true);
  EXPECT_FALSE(last.label);
  EXPECT_EQ(last.speedBand, monitor::NoSpeedBand);
  Tick(100, true);
  EXPECT_EQ(last.speedBand, 7);
  EXPECT_EQ(model.frequencyLine[2].y, 52);
}

TEST_F(ChartTick, LabelFormatsPerView) {
  Tick(700);
  EXPECT_STREQ(model.chartLabel, "Freq: 700MHz Volt: 1.350V ");
  EXPECT_EQ(model.chartLabelLength, static_cast<int>(std::strlen(model.chartLabel)));
  model.viewMode = monitor::StripView;
  model.Relayout(monitor::StripView, table);
  Tick(700);
  EXPECT_STREQ(model.chartLabel, "700MHz ");
}

TEST_F(ChartTick, TheTickThatReachesTheWidthBlanksAndDrawsNothing) {
  for (int i = 0; i < 163; ++i) Tick(1000);
  EXPECT_EQ(model.chartX, 163);
  EXPECT_EQ(Tick(800), 0);
  EXPECT_TRUE(last.blank);
  EXPECT_EQ(model.chartX, 1);
  EXPECT_EQ(model.frequencyLine[0].y, model.chartY[2]);
}

TEST_F(ChartTick, RepaintMakesTheNextTickRedrawTheLabel) {
  Tick(1000, true);
  model.Blanked();
  Tick(1000, true);
  EXPECT_TRUE(last.label);
  EXPECT_EQ(last.speedBand, 0);
  EXPECT_FALSE(last.blank);
}

TEST_F(ChartTick, UnknownFrequencyKeepsThePreviousStep) {
  Tick(600);
  Tick(12345);
  EXPECT_EQ(model.currentStep, 4);
  EXPECT_EQ(model.frequencyLine[1].y, model.chartY[4]);
  EXPECT_EQ(model.lastFrequency, 12345);
}

TEST_F(ChartTick, LimitsFollowTheWindowAndUnknownLevelsKeepThePreviousStep) {
  model.BeginTick(1000, table, false);
  model.PlaceLimits(10, 90, table);  // lower = step 9, upper = step 1
  EXPECT_EQ(model.upperLine[0].y, model.chartY[1]);
  EXPECT_EQ(model.lowerLine[0].y, model.chartY[9]);
  model.EndTick();
  model.BeginTick(1000, table, false);
  model.PlaceLimits(0xFFFFFFFFu, 555, table);
  EXPECT_EQ(model.upperLine[1].y, model.chartY[1]);
  EXPECT_EQ(model.lowerLine[1].y, model.chartY[9]);
}

TEST_F(ChartTick, EmptyTableDoesNothing) {
  StepTable empty{};
  empty.lastStep = -1;
  ChartModel idle;
  idle.SetUp({0, 0, 163, 52}, empty);
  auto start = idle.BeginTick(1000, empty, true);
  EXPECT_FALSE(start.blank);
  EXPECT_FALSE(start.label);
  EXPECT_EQ(start.speedBand, monitor::NoSpeedBand);
}

TEST(ChartLayout, WideAndNarrowChartsStayInsideTheArrays) {
  StepTable table = MakeTable(3);
  ChartModel model;
  model.SetUp({0, 0, 640, 52}, table);
  EXPECT_EQ(model.chartWidth, monitor::ChartPoints);
  for (int i = 0; i < 1000; ++i) {
    model.BeginTick(1000, table, false);
    EXPECT_LE(model.PointsToDraw(), monitor::ChartPoints);
    model.EndTick();
  }
  model.SetUp({0, 0, 40, 52}, table);
  model.viewMode = monitor::StripView;
  model.Relayout(monitor::StripView, table);
  EXPECT_EQ(model.chartWidth, 0);
  for (int i = 0; i < 5; ++i) {
    auto start = model.BeginTick(900, table, false);
    EXPECT_TRUE(start.blank);
    EXPECT_EQ(model.PointsToDraw(), 0);
    model.EndTick();
  }
}

TEST(ChartLayout, StripViewShiftsColumnsAndUsesTheStripScale) {
  StepTable table = MakeTable(10);
  ChartModel model;
  model.SetUp({0, 0, 163, 52}, table);
  model.Relayout(monitor::StripView, table);
  EXPECT_EQ(model.chartWidth, 107);
  EXPECT_EQ(model.chartX, 107);
  EXPECT_EQ(model.frequencyLine[0].x, 56);
  EXPECT_EQ(model.lowerLine[106].x, 162);
  EXPECT_EQ(model.chartY[9], 17);
}

TEST(ViewCycle, ThreeClicksReturnToTheFramedSize) {
  monitor::Rect full{100, 50, 100 + 171, 50 + 77};
  auto bare = monitor::NextView(monitor::FramedView, full, 52);
  EXPECT_EQ(bare.mode, monitor::BareView);
  EXPECT_FALSE(bare.frame);
  EXPECT_FALSE(bare.relayout);
  EXPECT_EQ(bare.width, 164);
  EXPECT_EQ(bare.height, 52);
  auto strip = monitor::NextView(bare.mode, full, 52);
  EXPECT_EQ(strip.mode, monitor::StripView);
  EXPECT_FALSE(strip.frame);
  EXPECT_TRUE(strip.relayout);
  EXPECT_EQ(strip.height, 15);
  auto framed = monitor::NextView(strip.mode, full, 52);
  EXPECT_EQ(framed.mode, monitor::FramedView);
  EXPECT_TRUE(framed.frame);
  EXPECT_TRUE(framed.relayout);
  EXPECT_EQ(framed.width, 171);
  EXPECT_EQ(framed.height, 77);
}

}  // namespace
