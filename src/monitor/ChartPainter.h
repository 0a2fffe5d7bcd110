// Draws what the chart model decides on the chart control's device context, which is taken once
// at set-up and kept with its pen, font and text colour selected.
#pragma once

#include <windows.h>

#include "monitor/ChartModel.h"

namespace monitor {

class ChartPainter {
 public:
  ChartPainter() = default;
  ~ChartPainter();
  ChartPainter(const ChartPainter&) = delete;
  ChartPainter& operator=(const ChartPainter&) = delete;

  // Creates the trace pen, the limit pen and the font, takes the chart's device context and
  // selects them into it.
  void SetUp(HWND chartWindow);
  bool Ready() const { return chartDC != nullptr; }
  // Gives the device context back and deletes the pens and the font; the chart draws no more.
  void Release();

  void Blank(const Rect& rect);
  void Label(const char* text, int length);
  // Both limit traces in the limit pen, then the trace pen again.
  void Limits(const ChartPoint* upper, const ChartPoint* lower, int count);
  void Trace(const ChartPoint* points, int count);

  HDC chartDC = nullptr;
  HPEN tracePen = nullptr;
  HPEN limitPen = nullptr;
  HFONT chartFont = nullptr;

 private:
  HWND chartWindow_ = nullptr;
  HGDIOBJ originalPen_ = nullptr;
  HGDIOBJ originalFont_ = nullptr;
  LONG labelWidth_ = 0;
};

}  // namespace monitor
