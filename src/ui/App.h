// Process-wide application facts: its name, its main window, and the application message box.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The executable's file name without its extension ("VaristepDemo" for VaristepDemo.exe).
const std::string& AppName();

void SetMainWindow(HWND hwnd);
HWND MainWindow();

// A message box captioned with the application name, owned by the main window.
int AppMessageBox(const char* text, UINT type = MB_OK);

}  // namespace ui
