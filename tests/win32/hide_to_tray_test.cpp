// Hiding a real top-level window to the tray and bringing it back.
#include "tray/HideToTray.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/TestShell.h"

namespace {

using support::ShellSeen;
using support::TestShell;
using tray::HiddenOwnerWindow;

// A plain visible top-level window standing in for the monitor window.
class ShownWindow : public ui::Window {
 public:
  ShownWindow() {
    Create("VaristepHideTestWindow", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 200, 120, nullptr);
  }

  int paints = 0;
  int framePaints = 0;
  int sessionEnds = 0;
  bool refusesToEnd = false;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_PAINT) ++paints;
    if (message == WM_NCPAINT) ++framePaints;
    if (message == WM_QUERYENDSESSION) return refusesToEnd ? FALSE : TRUE;
    if (message == WM_ENDSESSION && wParam != FALSE) ++sessionEnds;
    return Window::WindowProc(message, wParam, lParam);
  }
};

bool HasVisibleStyle(HWND window) {
  return (::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void ExpectShown(HWND window) {
  EXPECT_EQ(::GetParent(window), nullptr);
  EXPECT_EQ(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow());
  EXPECT_TRUE(HasVisibleStyle(window));
  EXPECT_TRUE(::IsWindowVisible(window));
}

void ExpectHidden(HWND window) {
  ASSERT_TRUE(HiddenOwnerWindow.HasWindow());
  EXPECT_EQ(::GetAncestor(window, GA_PARENT), HiddenOwnerWindow.Hwnd());
  EXPECT_FALSE(HasVisibleStyle(window));
  EXPECT_FALSE(::IsWindowVisible(window));
}

TEST(HideToTray, ShowBeforeAnyHideActivatesOnlyTheWindow) {
  // The owner's window is made lazily; start from the state before the first hide.
  HiddenOwnerWindow.Destroy();
  ShownWindow window;
  ASSERT_TRUE(window.HasWindow());

  tray::ShowWindowFromTray(TestShell(), window.Hwnd());
  EXPECT_FALSE(HiddenOwnerWindow.HasWindow());
  ExpectShown(window.Hwnd());
  EXPECT_EQ(::GetActiveWindow(), window.Hwnd());
}

TEST(HideToTray, HideParksUnderOneOwnerAndShowBringsBack) {
  ShownWindow window;
  ASSERT_TRUE(window.HasWindow());
  HiddenOwnerWindow.Destroy();

  tray::HideWindowToTray(TestShell(), window.Hwnd());
  ExpectHidden(window.Hwnd());
  HWND owner = HiddenOwnerWindow.Hwnd();
  // The owner is an invisible, untitled popup at the top level.
  EXPECT_FALSE(::IsWindowVisible(owner));
  EXPECT_NE(::GetWindowLongA(owner, GWL_STYLE) & WS_POPUP, 0);
  EXPECT_EQ(::GetAncestor(owner, GA_PARENT), ::GetDesktopWindow());
  EXPECT_EQ(::GetWindowTextLengthA(owner), 0);

  // A second hide reuses the owner and leaves the window hidden.
  tray::HideWindowToTray(TestShell(), window.Hwnd());
  EXPECT_EQ(HiddenOwnerWindow.Hwnd(), owner);
  ExpectHidden(window.Hwnd());

  tray::ShowWindowFromTray(TestShell(), window.Hwnd());
  ExpectShown(window.Hwnd());
  EXPECT_EQ(::GetActiveWindow(), window.Hwnd());
  // Showing keeps the owner for the next hide.
  EXPECT_EQ(HiddenOwnerWindow.Hwnd(), owner);

  tray::ShowWindowFromTray(TestShell(), window.Hwnd());
  ExpectShown(window.Hwnd());

  // Another window shares the same owner.
  ShownWindow other;
  tray::HideWindowToTray(TestShell(), other.Hwnd());
  EXPECT_EQ(::GetAncestor(other.Hwnd(), GA_PARENT), owner);
  tray::HideWindowToTray(TestShell(), window.Hwnd());
  EXPECT_EQ(::GetAncestor(window.Hwnd(), GA_PARENT), owner);
}

// Only top-level windows hear that the session ends; the owner passes it on to the parked ones.
TEST(HideToTray, OwnerPassesTheEndOfTheSessionToParkedWindows) {
  ShownWindow parked, other;
  tray::HideWindowToTray(TestShell(), parked.Hwnd());
  tray::HideWindowToTray(TestShell(), other.Hwnd());
  HWND owner = HiddenOwnerWindow.Hwnd();
  EXPECT_EQ(::SendMessageA(owner, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  other.refusesToEnd = true;
  EXPECT_EQ(::SendMessageA(owner, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
  ::SendMessageA(owner, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(parked.sessionEnds, 1);
  EXPECT_EQ(other.sessionEnds, 1);
  // A window back on the screen hears it directly, not twice.
  tray::ShowWindowFromTray(TestShell(), parked.Hwnd());
  ::SendMessageA(owner, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(parked.sessionEnds, 1);
  EXPECT_EQ(other.sessionEnds, 2);
}

// With the system's animation on, the caption flies from the window to the notification area
// and back; with it off, nothing is drawn.
TEST(HideToTray, AnimatesBetweenWindowAndTrayOnlyWhenTheSystemDoes) {
  support::ShellRecording recording;
  ShownWindow window;
  RECT shown, area;
  ::GetWindowRect(window.Hwnd(), &shown);
  tray::LocateTrayArea(area);
  for (int on : {1, 0, 7}) {
    SCOPED_TRACE(on);
    ShellSeen().minAnimate = on;
    ShellSeen().animations.clear();
    tray::HideWindowToTray(TestShell(), window.Hwnd());
    tray::ShowWindowFromTray(TestShell(), window.Hwnd());
    ASSERT_EQ(ShellSeen().animations.size(), on ? 2u : 0u);
    for (const support::Animation& a : ShellSeen().animations) {
      EXPECT_EQ(a.window, window.Hwnd());
      EXPECT_EQ(a.kind, IDANI_CAPTION);
    }
    if (on == 0) continue;
    EXPECT_TRUE(::EqualRect(&ShellSeen().animations[0].from, &shown));
    EXPECT_TRUE(::EqualRect(&ShellSeen().animations[0].to, &area));
    EXPECT_TRUE(::EqualRect(&ShellSeen().animations[1].from, &area));
    EXPECT_TRUE(::EqualRect(&ShellSeen().animations[1].to, &shown));
  }
}

TEST(HideToTray, ShowRepaintsFrameAndClientAndComesForward) {
  ShownWindow window;
  tray::HideWindowToTray(TestShell(), window.Hwnd());
  window.paints = 0;
  window.framePaints = 0;
  const BOOL foreground = tray::ShowWindowFromTray(TestShell(), window.Hwnd());
  // Painted before the call returns, frame included.
  EXPECT_GT(window.paints, 0);
  EXPECT_GT(window.framePaints, 0);
  EXPECT_FALSE(::GetUpdateRect(window.Hwnd(), nullptr, FALSE));
  ExpectShown(window.Hwnd());
  EXPECT_TRUE(foreground);
  EXPECT_EQ(::GetForegroundWindow(), window.Hwnd());
}

TEST(HideToTray, ForeignInputIsHarmless) {
  tray::HideWindowToTray(TestShell(), nullptr);
  EXPECT_FALSE(tray::ShowWindowFromTray(TestShell(), nullptr));
  HWND gone = nullptr;
  {
    ShownWindow window;
    gone = window.Hwnd();
  }
  tray::HideWindowToTray(TestShell(), gone);
  EXPECT_FALSE(tray::ShowWindowFromTray(TestShell(), gone));
}

TEST(HideToTray, TrayAreaLiesOnTheScreen) {
  RECT area = {0, 0, 0, 0};
  tray::LocateTrayArea(area);
  const int width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
  EXPECT_LT(area.left, area.right);
  EXPECT_LT(area.top, area.bottom);
  EXPECT_GE(area.left, 0);
  EXPECT_GE(area.top, 0);
  EXPECT_LE(area.right, width);
  EXPECT_LE(area.bottom, height);

  // With a taskbar window the area lies inside it.
  HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
  if (taskbar != nullptr) {
    RECT bar = {0, 0, 0, 0};
    ::GetWindowRect(taskbar, &bar);
    EXPECT_GE(area.left, bar.left);
    EXPECT_GE(area.top, bar.top);
    EXPECT_LE(area.right, bar.right);
    EXPECT_LE(area.bottom, bar.bottom);
  }
}

}  // namespace
