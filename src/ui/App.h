// Process-wide application facts: its name, its main window, and the application message box.
#pragma once

#include <windows.h>

#include "base/FixedText.h"
#include "ui/AppName.h"

namespace ui {

// The executable's file name without its extension ("VaristepDemo" for VaristepDemo.exe).
const PathText& AppName();

void SetMainWindow(HWND hwnd);
HWND MainWindow();

// A message box captioned with the application name, modal to the window the user is in: the
// main window's last active popup, such as a dialog open over it, else the main window.
int AppMessageBox(const char* text, UINT type = MB_OK);
int AppMessageBox(UINT textId, UINT type = MB_OK);

// A message box with its own caption and owner, such as the monitor window's "Error" box. Goes
// through the same test hook as AppMessageBox.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type = MB_OK);
int ShowMessageBox(HWND owner, UINT textId, UINT captionId, UINT type = MB_OK);

// A text of the program's string table; empty when there is none with this id.
LongText LoadText(UINT id);

// Test seam: while a hook is set, AppMessageBox and ShowMessageBox call it instead of showing a
// box and return its answer. Null (the default) shows real boxes.
using MessageBoxHook = int (*)(HWND owner, const char* text, const char* caption, UINT type);
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace ui
