// The work of the setup program and its uninstaller: what they write and remove. The wizard and
// the silent runs share it, and it reports through Progress.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <cstdint>

#include "ui/AppName.h"

namespace setup {

class Progress {
 public:
  virtual ~Progress() = default;
  // One line of what was done, and how far the work has come.
  virtual void Step(const char* line, int done, int total) = 0;
  // A step failed and nothing after it can go on: true to try it again, false to stop.
  virtual bool Retry(const char* text) = 0;
};

// The file-system path of a shell item list, which it frees; false when the item has none.
bool TakeItemPath(LPITEMIDLIST list, ui::PathText& path);

// Where to install: the folder of an earlier install, else the product folder under Program Files.
ui::PathText DefaultFolder();
// The bytes the installed files take.
uint64_t InstalledBytes();

// Sends Close to every running copy of either program, as the user would, and waits for each to
// end, so that its files can be replaced or removed and its settings are written first.
void CloseRunningCopies();

// Installs into `folder` (checked, full): files, shortcuts, log-on shortcut, Add/Remove entry.
// False when the user stopped it after a step failed.
bool Install(const char* folder, bool startAtLogOn, Progress& progress);

// The uninstaller cannot remove its own file while it runs, so from the install folder it starts
// a copy of itself in the temporary folder, which removes `folder`. False when it could not.
bool StartUninstallCopy(const char* folder, bool silent);
// Removes what Install made. Files that cannot go now go when Windows next starts.
void Uninstall(const char* folder, Progress& progress);
// Both programs' settings, and the company key when nothing else is left in it.
void RemoveSettings();
// The running copy of the uninstaller goes when Windows next starts.
void RemoveSelfLater();

// Starts an installed program in its folder; false when it could not be started.
bool StartProgram(const char* folder, const char* name);

}  // namespace setup
