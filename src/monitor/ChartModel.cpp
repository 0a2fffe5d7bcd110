#include "monitor/ChartModel.h"

#include "base/FormatText.h"

namespace monitor {

namespace {

// First step whose value matches, or `fallback` when none does; never looks past the table.
template <typename T, typename V>
int32_t FindStep(const T (&values)[MaxSteps], int lastStep, V wanted, int32_t fallback) {
  int count = lastStep + 1 < MaxSteps ? lastStep + 1 : MaxSteps;
  for (int i = 0; i < count; ++i) {
    if (static_cast<V>(values[i]) == wanted) return i;
  }
  return fallback >= 0 && fallback < count ? fallback : 0;
}

int32_t Clamp(int32_t value, int32_t low, int32_t high) {
  return value < low ? low : (value > high ? high : value);
}

}  // namespace

int32_t ScaleY(int step, int lastStep, int32_t top, int32_t span) {
  if (lastStep <= 0) return top;
  // top - trunc((j / lastStep) * -span): truncation toward zero, as the scale was always drawn.
  double fraction = static_cast<double>(step) / static_cast<double>(lastStep);
  return top - static_cast<int32_t>(fraction * -static_cast<double>(span));
}

void FillScale(const StepTable& steps, ViewMode mode, int32_t (&chartY)[MaxSteps]) {
  bool strip = mode == StripView;
  int count = steps.lastStep + 1 < MaxSteps ? steps.lastStep + 1 : MaxSteps;
  for (int j = 0; j < count; ++j) {
    chartY[j] = strip ? ScaleY(j, steps.lastStep, StripTop, StripSpan)
                      : ScaleY(j, steps.lastStep, FramedTop, FramedSpan);
  }
}

int SpeedBandFor(int step, int lastStep) {
  if (lastStep <= 0) return 0;
  return Clamp(step * 7 / lastStep, 0, SpeedBandCount - 1);
}

ViewChange NextView(int32_t viewMode, const Rect& fullWindowRect, int32_t chartHeight) {
  int32_t next = viewMode + 1;
  ViewChange change = {};
  if (next == BareView) {
    change = {BareView, false, fullWindowRect.Width() - 7, chartHeight, false};
  } else if (next == StripView) {
    change = {StripView, false, fullWindowRect.Width() - 7, chartHeight - 37, true};
  } else {
    change = {FramedView, true, fullWindowRect.Width(), fullWindowRect.Height(), true};
  }
  return change;
}

ChartModel::ChartModel()
    : chartRect{0, 0, 0, 0},
      chartWidth(0),
      chartX(ChartPoints),
      lastFrequency(0),
      currentStep(0),
      upperStep(0),
      lowerStep(0),
      viewMode(FramedView),
      chartY{},
      frequencyLine{},
      lowerLine{},
      upperLine{},
      chartLabel{},
      chartLabelLength(0) {}

void ChartModel::SetUp(const Rect& chartClient, const StepTable& steps) {
  chartRect = chartClient;
  viewMode = FramedView;
  Relayout(FramedView, steps);
  lowerStep = steps.lastStep > 0 ? steps.lastStep : 0;
}

void ChartModel::Relayout(ViewMode mode, const StepTable& steps) {
  // The arrays hold 200 columns: a wider chart draws its first 200, a narrow strip none.
  bool strip = mode == StripView;
  int32_t columns = strip ? chartRect.Width() - StripLeft : chartRect.Width();
  chartWidth = Clamp(columns, 0, ChartPoints);
  chartX = chartWidth;
  LayOutColumns(strip ? StripLeft : 0);
  FillScale(steps, mode, chartY);
}

void ChartModel::LayOutColumns(int32_t firstX) {
  for (int32_t k = 0; k < chartWidth; ++k) {
    frequencyLine[k].x = firstX + k;
    lowerLine[k].x = firstX + k;
    upperLine[k].x = firstX + k;
  }
}

ChartModel::TickStart ChartModel::BeginTick(int32_t frequency, const StepTable& steps,
                                            bool speedIcon) {
  TickStart start = {false, false, NoSpeedBand};
  if (steps.lastStep < 0) return start;
  if (chartX >= chartWidth) {
    chartX = 0;
    lastFrequency = 0;
    start.blank = true;
  }
  if (frequency != lastFrequency) {
    // A reading that matches no step keeps the step shown last.
    currentStep = FindStep(steps.frequencyMHz, steps.lastStep, frequency, currentStep);
    lastFrequency = frequency;
    int length;
    if (viewMode == StripView) {
      length = FormatText(chartLabel, sizeof chartLabel, "%dMHz ", frequency);
    } else {
      char volts[sizeof chartLabel];
      FormatVolts(volts, sizeof volts, steps.voltage[currentStep]);
      length =
          FormatText(chartLabel, sizeof chartLabel, "Freq: %dMHz Volt: %sV ", frequency, volts);
    }
    chartLabelLength = Clamp(length, 0, static_cast<int32_t>(sizeof chartLabel) - 1);
    start.label = true;
    if (speedIcon) start.speedBand = SpeedBandFor(currentStep, steps.lastStep);
  }
  if (chartX < ChartPoints) frequencyLine[chartX].y = chartY[currentStep];
  return start;
}

void ChartModel::PlaceLimits(uint32_t lowLevel, uint32_t highLevel, const StepTable& steps) {
  if (steps.lastStep < 0) return;
  upperStep = FindStep(steps.level, steps.lastStep, static_cast<int64_t>(highLevel), upperStep);
  lowerStep = FindStep(steps.level, steps.lastStep, static_cast<int64_t>(lowLevel), lowerStep);
  if (chartX < ChartPoints) {
    upperLine[chartX].y = chartY[upperStep];
    lowerLine[chartX].y = chartY[lowerStep];
  }
}

}  // namespace monitor
