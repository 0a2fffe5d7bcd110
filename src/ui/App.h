// Process-wide application facts: its name, its main window, and the application message box.
#pragma once

#include <windows.h>

#include "base/FixedText.h"
#include "resources/StringTable.h"
#include "ui/AppName.h"
#include "ui/Shell.h"

namespace ui {

// The executable's file name without its extension ("VaristepDemo" for VaristepDemo.exe).
const PathText& AppName();

void SetMainWindow(HWND hwnd);
HWND MainWindow();

// A message box captioned with the application name, modal to the window the user is in: the
// main window's last active popup, such as a dialog open over it, else the main window. It goes
// through the shell table's box; without a table it is the system's.
int AppMessageBox(const Shell* shell, const char* text, UINT type = MB_OK);
int AppMessageBox(const Shell* shell, UINT textId, UINT type = MB_OK);

// A message box with its own caption and owner, such as the monitor window's "Error" box.
int ShowMessageBox(const Shell* shell, HWND owner, const char* text, const char* caption,
                   UINT type = MB_OK);
int ShowMessageBox(const Shell* shell, HWND owner, UINT textId, UINT captionId, UINT type = MB_OK);

// The system's box, as the programs' shell table holds it.
int SystemMessageBox(HWND owner, const char* text, const char* caption, UINT type);

}  // namespace ui
