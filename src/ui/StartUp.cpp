#include "ui/StartUp.h"

#include <commctrl.h>

namespace ui {

namespace {
UINT g_taskbarCreated = 0;
UINT g_trayNotify = 0;
}  // namespace

void StartUp() {
  TaskbarCreatedMessage();
  DefaultTrayNotifyMessage();
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS;
  ::InitCommonControlsEx(&controls);
}

UINT TaskbarCreatedMessage() {
  if (g_taskbarCreated == 0) g_taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  return g_taskbarCreated;
}

UINT DefaultTrayNotifyMessage() {
  if (g_trayNotify == 0) g_trayNotify = ::RegisterWindowMessageA("CSystemTray::TrayNotify");
  return g_trayNotify;
}

}  // namespace ui
