#include "BaselineTick.h"

#include "processor/Cpuid.h"

namespace bench {

namespace {
constexpr char Label[] = "Freq: 1000MHz Volt: 1.500V ";
}  // namespace

BaselineTick::~BaselineTick() {
  if (dc_ != nullptr) {
    ::SelectObject(dc_, oldPen_);
    ::SelectObject(dc_, oldFont_);
    ::ReleaseDC(chart_, dc_);
  }
  if (pen_ != nullptr) ::DeleteObject(pen_);
  if (font_ != nullptr) ::DeleteObject(font_);
}

void BaselineTick::SetUp(HWND chart) {
  chart_ = chart;
  pen_ = ::CreatePen(PS_SOLID, 0, RGB(0, 255, 255));
  font_ = ::CreateFontA(-11, 0, 0, 0, 600, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                        CLIP_TT_ALWAYS, DEFAULT_QUALITY, FF_SWISS, "Arial");
  dc_ = ::GetDC(chart);
  if (dc_ == nullptr) return;
  ::SetTextColor(dc_, RGB(0, 255, 255));
  ::SetBkColor(dc_, RGB(0, 0, 0));
  oldPen_ = ::SelectObject(dc_, pen_);
  oldFont_ = ::SelectObject(dc_, font_);
  // A trace that moves over the chart's rows like a real one.
  for (int k = 0; k < 200; ++k) points_[k] = {k, 20 + (k / 10 % 2) * 32};
}

void BaselineTick::Tick() {
  if (dc_ == nullptr) return;
  sink_ = cpuid_.Query(LeafCurrentState).eax;
  ::TextOutA(dc_, 2, 2, Label, sizeof Label - 1);
  ::Polyline(dc_, points_, 200);
}

}  // namespace bench
