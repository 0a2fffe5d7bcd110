#include "ui/App.h"

#include "ui/AppName.h"

namespace ui {

namespace {
HWND g_mainWindow = nullptr;
}

const std::string& AppName() {
  static const std::string name = [] {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return AppNameFromPath(std::string(path, length));
  }();
  return name;
}

void SetMainWindow(HWND hwnd) { g_mainWindow = hwnd; }
HWND MainWindow() { return g_mainWindow; }

int AppMessageBox(const char* text, UINT type) {
  HWND owner = g_mainWindow != nullptr && ::IsWindow(g_mainWindow) ? g_mainWindow : nullptr;
  return ::MessageBoxA(owner, text, AppName().c_str(), type);
}

}  // namespace ui
