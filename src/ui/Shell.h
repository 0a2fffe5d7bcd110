// The shell and window-manager calls that the windows' logic goes through. Both programs fill the
// table with the system's calls; tests fill it with recorders.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace ui {

class Dialog;

struct Shell {
  // Shell_NotifyIconA.
  BOOL (*notifyIcon)(DWORD message, NOTIFYICONDATAA* data);
  // ShellExecuteA.
  HINSTANCE (*execute)
  (HWND owner, const char* verb, const char* file, const char* parameters, const char* directory,
   int show);
  // MessageBoxA.
  int (*messageBox)(HWND owner, const char* text, const char* caption, UINT type);
  // The minimise and restore animation: its setting (iMinAnimate of SPI_GETANIMATION, 0 when off
  // or unknown) and DrawAnimatedRects.
  int (*minAnimate)();
  BOOL (*animateRects)(HWND window, int animation, const RECT* from, const RECT* to);
  // Called at the end of every dialog's WM_INITDIALOG; null in the programs.
  void (*dialogStarted)(Dialog& dialog);
};

}  // namespace ui
