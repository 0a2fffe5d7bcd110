// Moving a top-level window out of sight and off the taskbar, so that only the tray icon is left,
// and bringing it back.
#pragma once

#include <windows.h>

#include "resources/Product.h"
#include "ui/Shell.h"
#include "ui/Window.h"

namespace tray {

// The invisible popup that parks hidden windows. Its window is made at the first hide and kept
// until the program ends.
class HiddenOwner : public ui::Window {
 public:
  static constexpr const char* ClassName = product::HiddenOwnerClass;

  // Creates the window unless a live one exists; false when it cannot be made.
  bool EnsureWindow();

 protected:
  // Passes the end of the session on to the windows parked here.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The process-wide owner, constructed empty at start-up.
extern HiddenOwner HiddenOwnerWindow;

// Parks the window under HiddenOwnerWindow and clears its visible style. With the system's
// animation on (the shell table's), the caption of a window on the screen flies to the
// notification area first; showing flies it back.
void HideWindowToTray(const ui::Shell& shell, HWND window);

// Makes the window top-level and visible again, repaints it and brings it forward. Returns
// SetForegroundWindow's result.
BOOL ShowWindowFromTray(const ui::Shell& shell, HWND window);

// The notification area's screen rectangle: the taskbar's notification window when there is one,
// else a guess from the taskbar's edge, else the bottom-right corner of the work area.
void LocateTrayArea(RECT& area);

}  // namespace tray
