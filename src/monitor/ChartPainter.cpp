#include "monitor/ChartPainter.h"

#include <cstddef>

namespace monitor {

static_assert(sizeof(ChartPoint) == sizeof(POINT), "chart points are handed to Polyline");
static_assert(offsetof(ChartPoint, y) == offsetof(POINT, y), "chart points are handed to Polyline");

namespace {

constexpr COLORREF TraceColour = RGB(0, 255, 255);
constexpr COLORREF LimitColour = RGB(255, 255, 70);
constexpr COLORREF Black = RGB(0, 0, 0);

const POINT* AsPoints(const ChartPoint* points) {
  return reinterpret_cast<const POINT*>(points);
}

}  // namespace

ChartPainter::~ChartPainter() {
  Release();
}

void ChartPainter::Release() {
  if (chartDC != nullptr) {
    ::SelectObject(chartDC, originalPen_);
    ::SelectObject(chartDC, originalFont_);
    ::ReleaseDC(chartWindow_, chartDC);
    chartDC = nullptr;
  }
  if (tracePen != nullptr) ::DeleteObject(tracePen);
  if (limitPen != nullptr) ::DeleteObject(limitPen);
  if (chartFont != nullptr) ::DeleteObject(chartFont);
  tracePen = nullptr;
  limitPen = nullptr;
  chartFont = nullptr;
}

void ChartPainter::SetUp(HWND chartWindow) {
  tracePen = ::CreatePen(PS_SOLID, 0, TraceColour);
  limitPen = ::CreatePen(PS_SOLID, 0, LimitColour);
  chartFont = ::CreateFontA(-11, 0, 0, 0, 600, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                            CLIP_TT_ALWAYS, DEFAULT_QUALITY, FF_SWISS, "Arial");
  chartWindow_ = chartWindow;
  chartDC = ::GetDC(chartWindow);
  if (chartDC == nullptr) return;
  ::SetTextColor(chartDC, TraceColour);
  originalFont_ = ::SelectObject(chartDC, chartFont);
  originalPen_ = ::SelectObject(chartDC, tracePen);
}

void ChartPainter::Blank(const Rect& rect) {
  if (chartDC == nullptr) return;
  RECT area = {rect.left, rect.top, rect.right, rect.bottom};
  // Leaves the background black, which is also the label's background.
  ::SetBkColor(chartDC, Black);
  ::ExtTextOutA(chartDC, 0, 0, ETO_OPAQUE, &area, "", 0, nullptr);
  labelWidth_ = 0;
}

void ChartPainter::Label(const char* text, int length) {
  if (chartDC == nullptr) return;
  // Opaque over the wider of this label and the last one, so a shorter label (1000MHz, then
  // 400MHz) leaves no stale characters behind.
  SIZE extent = {0, 0};
  ::GetTextExtentPoint32A(chartDC, text, length, &extent);
  LONG width = extent.cx > labelWidth_ ? extent.cx : labelWidth_;
  RECT area = {LabelX, LabelY, LabelX + width, LabelY + extent.cy};
  ::ExtTextOutA(chartDC, LabelX, LabelY, ETO_OPAQUE, &area, text, static_cast<UINT>(length),
                nullptr);
  labelWidth_ = extent.cx;
}

void ChartPainter::Limits(const ChartPoint* upper, const ChartPoint* lower, int count) {
  if (chartDC == nullptr || count < 2) return;
  ::SelectObject(chartDC, limitPen);
  ::Polyline(chartDC, AsPoints(upper), count);
  ::Polyline(chartDC, AsPoints(lower), count);
  ::SelectObject(chartDC, tracePen);
}

void ChartPainter::Trace(const ChartPoint* points, int count) {
  // A polyline needs two points.
  if (chartDC == nullptr || count < 2) return;
  ::Polyline(chartDC, AsPoints(points), count);
}

}  // namespace monitor
