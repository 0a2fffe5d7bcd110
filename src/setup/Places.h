// What the installer and the uninstaller share: where the files, shortcuts and entries are, and
// how a step is reported.
#pragma once

#include <windows.h>

#include "setup/Installer.h"
#include "ui/AppName.h"

namespace setup {

// Add/Remove Programs' entry, under HKEY_LOCAL_MACHINE.
extern const char* const kUninstallKey;

// A line of the log, or a failure's text with the path it names.
using LineText = FixedText<600>;

// This program's own file; empty when its path is too long for the A functions.
ui::PathText OwnPath();
// `folder`\`name`, for a folder checked to leave room for every installed name.
ui::PathText Join(const char* folder, const char* name);
// A shell folder (CSIDL_*); false when the system has none.
bool ShellFolder(int csidl, ui::PathText& folder);
// The product's Start-menu folders, all users' first where the system has them (not Windows 98
// without user profiles), then the user's own; how many there are.
int MenuFolders(ui::PathText (&folders)[2]);
bool IsFolder(const char* path);
// "<verb>: <what>" in the log.
void Report(Progress& progress, const char* verb, const char* what, int done, int total);

}  // namespace setup
