// What the program does once, first thing, before any window exists.
#pragma once

#include <windows.h>

namespace ui {

// Registers the shell's messages and the common control classes the dialogs use (list view,
// up-down).
void StartUp();

// The ids RegisterWindowMessageA gives "TaskbarCreated" and "CSystemTray::TrayNotify". They are
// registered on first use if StartUp has not run yet, so they are never 0.
UINT TaskbarCreatedMessage();
UINT DefaultTrayNotifyMessage();

}  // namespace ui
