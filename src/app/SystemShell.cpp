#include "app/SystemShell.h"

#include <cstring>

#include "ui/App.h"

namespace app {

namespace {

static_assert(sizeof(ANIMATIONINFO) == 8, "animation query record");

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data) {
  return ::Shell_NotifyIconA(message, data);
}

HINSTANCE Execute(HWND owner, const char* verb, const char* file, const char* parameters,
                  const char* directory, int show) {
  return ::ShellExecuteA(owner, verb, file, parameters, directory, show);
}

int MinAnimate() {
  ANIMATIONINFO animation;
  std::memset(&animation, 0, sizeof(animation));
  animation.cbSize = sizeof(animation);
  if (!::SystemParametersInfoA(SPI_GETANIMATION, sizeof(animation), &animation, 0)) return 0;
  return animation.iMinAnimate;
}

BOOL AnimateRects(HWND window, int animation, const RECT* from, const RECT* to) {
  return ::DrawAnimatedRects(window, animation, from, to);
}

}  // namespace

ui::Shell SystemShell() {
  return ui::Shell{&NotifyIcon, &Execute,      &ui::SystemMessageBox,
                   &MinAnimate, &AnimateRects, nullptr};
}

}  // namespace app
