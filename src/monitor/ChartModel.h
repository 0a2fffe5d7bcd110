// The stripchart's state and arithmetic, apart from any drawing: the sweep column, the three
// traces, the label, the speed band and the layout of each view, including where each step sits.
// The window layer carries out what a tick returns; nothing here allocates after construction.
#pragma once

#include <cstdint>

#include "processor/StepTable.h"

namespace monitor {

constexpr int ChartPoints = 200;
constexpr unsigned SampleTimer = 16;
// Speed bands, 0 for the fastest step to 7 for the slowest; the window shows one icon per band.
constexpr int SpeedBandCount = 8;
constexpr int NoSpeedBand = -1;

// Columns left free for the short label in the strip view.
constexpr int32_t StripLeft = 56;
// WS_CAPTION | WS_SYSMENU: removed for the bare and strip views, restored for the framed one.
constexpr uint32_t FrameStyle = 0x00C80000;
constexpr int32_t FramedTop = 20;
constexpr int32_t FramedSpan = 32;
constexpr int32_t StripTop = 1;
constexpr int32_t StripSpan = 16;
constexpr int32_t LabelX = 2;
constexpr int32_t LabelY = 2;

enum ViewMode : int32_t { FramedView = 0, BareView = 1, StripView = 2 };

struct ChartPoint {
  int32_t x;
  int32_t y;
};

struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
};

// y of step j on a scale from top (fastest step) to top + span (slowest). One step sits at top.
int32_t ScaleY(int step, int lastStep, int32_t top, int32_t span);
// The y of every step of the table in the view's scale.
void FillScale(const StepTable& steps, ViewMode mode, int32_t (&chartY)[MaxSteps]);

// The speed band of a step: (step * 7) div lastStep; a single step is band 0.
int SpeedBandFor(int step, int lastStep);

// What one click on the chart does to the window.
struct ViewChange {
  ViewMode mode;
  bool frame;     // true: add the caption and system menu back; false: remove them
  int32_t width;  // MoveWindow size; the window keeps its current left and top
  int32_t height;
  bool relayout;  // re-lay the chart out (only done while the timer runs)
};
ViewChange NextView(int32_t viewMode, const Rect& fullWindowRect, int32_t chartHeight);

class ChartModel {
 public:
  struct TickStart {
    bool blank;     // fill chartRect black before anything else
    bool label;     // draw chartLabel at (2, 2)
    int speedBand;  // speed band whose icon to show, NoSpeedBand for none
  };

  ChartModel();

  // Set-up: the chart's client rectangle, the framed layout and scale.
  void SetUp(const Rect& chartClient, const StepTable& steps);
  // Lays the traces out for the framed/bare (x = k) or strip (x = 56 + k) view and refills the
  // scale; the next tick starts on a blank chart.
  void Relayout(ViewMode mode, const StepTable& steps);

  // One sampling tick, in three parts: the frequency point, the optional limit points, then the
  // trace is drawn over PointsToDraw() points and EndTick() moves to the next column.
  TickStart BeginTick(int32_t frequency, const StepTable& steps, bool speedIcon);
  void PlaceLimits(uint32_t lowLevel, uint32_t highLevel, const StepTable& steps);
  int32_t PointsToDraw() const { return chartX < ChartPoints ? chartX : ChartPoints; }
  void EndTick() { ++chartX; }

  // A repaint blanked the chart: the next tick redraws the label and re-sends the icon.
  void Blanked() { lastFrequency = 0; }
  // The next tick starts again at the left edge (Properties, re-layout).
  void Restart() { chartX = chartWidth; }

  Rect chartRect;
  int32_t chartWidth;
  int32_t chartX;
  int32_t lastFrequency;
  int32_t currentStep;
  int32_t upperStep;
  int32_t lowerStep;
  ViewMode viewMode;
  int32_t chartY[MaxSteps];  // where each step sits in the current view
  ChartPoint frequencyLine[ChartPoints];
  ChartPoint lowerLine[ChartPoints];
  ChartPoint upperLine[ChartPoints];
  char chartLabel[64];
  int chartLabelLength;

 private:
  void LayOutColumns(int32_t firstX);
};

}  // namespace monitor
