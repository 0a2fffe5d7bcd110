#include "tray/TrayArea.h"

#include <cstring>
#include <limits>

namespace tray {

namespace {

// Rectangles come from other programs' windows: offsets never wrap.
int32_t Offset(int32_t value, int64_t delta) {
  int64_t result = static_cast<int64_t>(value) + delta;
  if (result > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (result < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(result);
}

}  // namespace

AreaRect ApplyClockRule(AreaRect area, AreaRect clock) {
  if (static_cast<int64_t>(clock.bottom) < static_cast<int64_t>(area.bottom) - 5) {
    area.top = clock.bottom;
  } else {
    area.right = clock.left;
  }
  return area;
}

bool ApplyTaskbarEdgeRule(uint32_t edge, AreaRect taskbar, AreaRect& area) {
  switch (edge) {
    case EdgeLeft:
    case EdgeRight:
      area = {taskbar.left, Offset(taskbar.bottom, -100), taskbar.right,
              Offset(taskbar.bottom, -16)};
      return true;
    case EdgeTop:
    case EdgeBottom:
      area = {Offset(taskbar.right, -100), taskbar.top, Offset(taskbar.right, -16), taskbar.bottom};
      return true;
    default:
      return false;
  }
}

AreaRect WorkAreaCorner(AreaRect workArea) {
  workArea.left = Offset(workArea.right, -150);
  workArea.top = Offset(workArea.bottom, -30);
  return workArea;
}

bool TrayAreaWalk::Visit(const char* className, AreaRect windowRect) {
  if (finished_) return false;
  if (className == nullptr) return true;
  if (std::strcmp(className, "TrayNotifyWnd") == 0) {
    area_ = windowRect;
  } else if (std::strcmp(className, "TrayClockWClass") == 0) {
    area_ = ApplyClockRule(area_, windowRect);
    finished_ = true;
    return false;
  }
  return true;
}

}  // namespace tray
