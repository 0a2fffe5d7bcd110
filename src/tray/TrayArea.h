// Portable rules for finding the notification area on the screen: the walk over the taskbar's
// windows, the taskbar-edge guess and the work-area fallback. The Win32 side only gathers the
// rectangles and class names.
#pragma once

#include <cstdint>

namespace tray {

// A screen rectangle, as the platform's RECT (right and bottom exclusive).
struct AreaRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

inline bool operator==(const AreaRect& a, const AreaRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The clock sits inside the notification area: when it ends clearly above the area's bottom the
// icons are below it (a tall, vertical taskbar); otherwise they are to its left.
AreaRect ApplyClockRule(AreaRect area, AreaRect clock);

// Taskbar edges as the shell reports them.
constexpr uint32_t EdgeLeft = 0;
constexpr uint32_t EdgeTop = 1;
constexpr uint32_t EdgeRight = 2;
constexpr uint32_t EdgeBottom = 3;

// A guess from the taskbar's edge and rectangle: the last stretch of the bar. An unknown edge
// leaves area untouched and returns false.
bool ApplyTaskbarEdgeRule(uint32_t edge, AreaRect taskbar, AreaRect& area);

// A 150 x 30 box in the bottom-right corner of the work area.
AreaRect WorkAreaCorner(AreaRect workArea);

// The walk over the taskbar's descendant windows, parents before children. Starts with the whole
// taskbar; the notification window narrows it, and the clock ends the walk.
class TrayAreaWalk {
 public:
  explicit TrayAreaWalk(AreaRect taskbar) : area_(taskbar) {}

  // Returns false once the walk is over.
  bool Visit(const char* className, AreaRect windowRect);
  AreaRect Area() const { return area_; }
  bool Finished() const { return finished_; }

 private:
  AreaRect area_;
  bool finished_ = false;
};

}  // namespace tray
