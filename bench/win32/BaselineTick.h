// The least a sampling tick can do on this platform: one CPUID, the label drawn with one TextOutA
// and one Polyline of 200 points, on a chart DC kept for the window's life with the same pen and
// font as the monitor's. The handler benchmark and the baseline dialog both run it.
#pragma once

#include <windows.h>

#include "processor/Win32Platform.h"

namespace bench {

class BaselineTick {
 public:
  BaselineTick() = default;
  ~BaselineTick();
  BaselineTick(const BaselineTick&) = delete;
  BaselineTick& operator=(const BaselineTick&) = delete;

  void SetUp(HWND chart);
  void Tick();

 private:
  HardwareCpuid cpuid_;
  HWND chart_ = nullptr;
  HDC dc_ = nullptr;
  HPEN pen_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ oldPen_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  POINT points_[200] = {};
  volatile unsigned sink_ = 0;
};

}  // namespace bench
