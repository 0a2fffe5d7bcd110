// The words of the set-up failures and of a refused register request, from the string table.
#pragma once

#include <windows.h>

#include <string>

#include "processor/Setup.h"

namespace monitor {

struct BoxText {
  std::string text;
  // Empty: an application message box, captioned with the application name. Otherwise a box
  // owned by the monitor window with this caption.
  std::string caption;
};

BoxText SetupFailureText(const SetupOutcome& outcome);

// "Device does not support the requested API", captioned "Error", owned by the window.
void ShowRequestRefused(HWND owner);

}  // namespace monitor
