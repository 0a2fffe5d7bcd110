#include "ui/App.h"

#include "ui/AppName.h"

namespace ui {

namespace {
HWND g_mainWindow = nullptr;

// The top of the owner chain, where the system records the last active popup. Not GA_ROOT: while
// the main window is parked in the tray its parent is the hidden owner window, whose last active
// popup is itself, yet the dialogs opened from the tray are owned by the main window. GetAncestor
// is documented from Windows 2000 on, so it is looked up; GetParent gives a popup's owner.
HWND RootOwner(HWND window) {
  using GetAncestorFn = HWND(WINAPI*)(HWND, UINT);
  static const auto getAncestor = reinterpret_cast<GetAncestorFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetAncestor")));
  if (getAncestor != nullptr) {
    HWND root = getAncestor(window, GA_ROOTOWNER);
    return root != nullptr ? root : window;
  }
  for (HWND up = ::GetParent(window); up != nullptr; up = ::GetParent(window)) window = up;
  return window;
}

// The window the user is in: the main window, or the dialog open over it. A dialog has already
// disabled the main window, so a box owned by the main window would leave the dialog taking clicks
// under it.
HWND AppBoxOwner() {
  if (g_mainWindow == nullptr || !::IsWindow(g_mainWindow)) return nullptr;
  HWND root = RootOwner(g_mainWindow);
  HWND popup = ::GetLastActivePopup(root);
  if (popup == nullptr || popup == root || !::IsWindow(popup)) return g_mainWindow;
  return popup;
}

}  // namespace

const PathText& AppName() {
  static PathText name;
  static bool known = false;
  if (!known) {
    char path[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    name = AppNameFromPath(path).c_str();
    known = true;
  }
  return name;
}

void SetMainWindow(HWND hwnd) {
  g_mainWindow = hwnd;
}
HWND MainWindow() {
  return g_mainWindow;
}

int SystemMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  return ::MessageBoxA(owner, text, caption, type);
}

int ShowMessageBox(const Shell* shell, HWND owner, const char* text, const char* caption,
                   UINT type) {
  if (shell != nullptr && shell->messageBox != nullptr) {
    return shell->messageBox(owner, text, caption, type);
  }
  return SystemMessageBox(owner, text, caption, type);
}

int AppMessageBox(const Shell* shell, const char* text, UINT type) {
  return ShowMessageBox(shell, AppBoxOwner(), text, AppName().c_str(), type);
}

int AppMessageBox(const Shell* shell, UINT textId, UINT type) {
  return AppMessageBox(shell, LoadText(textId).c_str(), type);
}

int ShowMessageBox(const Shell* shell, HWND owner, UINT textId, UINT captionId, UINT type) {
  return ShowMessageBox(shell, owner, LoadText(textId).c_str(), LoadText(captionId).c_str(), type);
}

}  // namespace ui
