#include "tray/HideToTray.h"

#include <shellapi.h>

#include <cstring>

#include "base/FixedList.h"
#include "tray/TrayArea.h"

namespace tray {

HiddenOwner HiddenOwnerWindow;

namespace {

AreaRect ToArea(const RECT& rect) {
  return {static_cast<int32_t>(rect.left), static_cast<int32_t>(rect.top),
          static_cast<int32_t>(rect.right), static_cast<int32_t>(rect.bottom)};
}

RECT ToRect(const AreaRect& area) {
  return {area.left, area.top, area.right, area.bottom};
}

BOOL CALLBACK VisitTaskbarWindow(HWND window, LPARAM context) {
  auto* walk = reinterpret_cast<TrayAreaWalk*>(context);
  char className[256] = {};
  ::GetClassNameA(window, className, 255);
  RECT rect = {0, 0, 0, 0};
  ::GetWindowRect(window, &rect);
  return walk->Visit(className, ToArea(rect)) ? TRUE : FALSE;
}

// When the user has the minimise and restore animation on, the caption flies between the window
// and the notification area, so the eye can follow where the window went or came from. Taken
// while the window still sits where it is seen (or will be seen again). A window that is not on
// the screen, such as one hidden at start-up before it was ever shown, has nothing to fly.
void AnimateTrayMove(const ui::Shell& shell, HWND window, bool toTray) {
  if (toTray && !::IsWindowVisible(window)) return;
  if (shell.minAnimate() == 0) return;
  RECT windowRect = {0, 0, 0, 0};
  ::GetWindowRect(window, &windowRect);
  RECT trayRect = {0, 0, 0, 0};
  LocateTrayArea(trayRect);
  if (toTray) {
    shell.animateRects(window, IDANI_CAPTION, &windowRect, &trayRect);
  } else {
    shell.animateRects(window, IDANI_CAPTION, &trayRect, &windowRect);
  }
}

void SetVisibleStyle(HWND window, bool visible) {
  const LONG style = ::GetWindowLongA(window, GWL_STYLE);
  const LONG changed =
      visible ? (style | static_cast<LONG>(WS_VISIBLE)) : (style & ~static_cast<LONG>(WS_VISIBLE));
  // Written directly: no repositioning, no ShowWindow, no redraw.
  if (changed != style) ::SetWindowLongA(window, GWL_STYLE, changed);
}

}  // namespace

#ifdef _WIN64
static_assert(sizeof(APPBARDATA) == 48, "taskbar query record");
#else
static_assert(sizeof(APPBARDATA) == 36, "taskbar query record");
#endif

bool HiddenOwner::EnsureWindow() {
  if (HasWindow()) return true;
  return Create(ClassName, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                nullptr);
}

// The system tells only top-level windows that the session ends. A parked window is no longer
// one, so it would never save its state at log-off: the owner answers for it.
LRESULT HiddenOwner::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_QUERYENDSESSION && message != WM_ENDSESSION) {
    return Window::WindowProc(message, wParam, lParam);
  }
  // Taken first: a parked window may leave while it handles the message.
  // Only the monitor window is ever parked here; the room for more costs nothing.
  FixedList<HWND, 16> parked;
  for (HWND child = ::GetWindow(Hwnd(), GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!parked.push_back(child)) break;
  }
  BOOL agreed = TRUE;
  for (HWND child : parked) {
    if (!::IsWindow(child)) continue;
    LRESULT answer = ::SendMessageA(child, message, wParam, lParam);
    if (message == WM_QUERYENDSESSION && answer == FALSE) agreed = FALSE;
  }
  return message == WM_QUERYENDSESSION ? agreed : 0;
}

void HideWindowToTray(const ui::Shell& shell, HWND window) {
  AnimateTrayMove(shell, window, true);
  // Without an owner window the hide still clears the visible style.
  if (HiddenOwnerWindow.EnsureWindow()) ::SetParent(window, HiddenOwnerWindow.Hwnd());
  SetVisibleStyle(window, false);
}

BOOL ShowWindowFromTray(const ui::Shell& shell, HWND window) {
  AnimateTrayMove(shell, window, false);
  ::SetParent(window, nullptr);
  SetVisibleStyle(window, true);
  ::RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  if (HiddenOwnerWindow.HasWindow()) ::SetActiveWindow(HiddenOwnerWindow.Hwnd());
  ::SetActiveWindow(window);
  return ::SetForegroundWindow(window);
}

void LocateTrayArea(RECT& area) {
  HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
  if (taskbar != nullptr) {
    RECT taskbarRect = {0, 0, 0, 0};
    ::GetWindowRect(taskbar, &taskbarRect);
    TrayAreaWalk walk(ToArea(taskbarRect));
    ::EnumChildWindows(taskbar, &VisitTaskbarWindow, reinterpret_cast<LPARAM>(&walk));
    area = ToRect(walk.Area());
    return;
  }

  APPBARDATA appBar;
  std::memset(&appBar, 0, sizeof(appBar));
  appBar.cbSize = sizeof(appBar);
  if (::SHAppBarMessage(ABM_GETTASKBARPOS, &appBar)) {
    AreaRect guess = ToArea(area);
    if (ApplyTaskbarEdgeRule(appBar.uEdge, ToArea(appBar.rc), guess)) area = ToRect(guess);
    return;
  }

  RECT workArea = {0, 0, 0, 0};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  area = ToRect(WorkAreaCorner(ToArea(workArea)));
}

}  // namespace tray
