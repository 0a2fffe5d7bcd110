// Portable: how a check box shows an int member and what it gives back.
#pragma once

namespace ui {

// 0 unchecked, 1 checked, 2 indeterminate; anything else is shown, and kept, as 0.
constexpr int CheckValueToShow(int value) {
  return value < 0 || value > 2 ? 0 : value;
}

// Only a checked box reads back as 1; unchecked and indeterminate read as 0.
constexpr int CheckValueFromState(int state) {
  return state == 1 ? 1 : 0;
}

}  // namespace ui
