// The work of the setup program and its uninstaller: what they write and remove. The wizard and
// the silent runs share it, and it reports through Progress.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <cstdint>

#include "base/FixedText.h"
#include "setup/SetupRules.h"

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
bool TakeItemPath(LPITEMIDLIST list, PathText& path);

// Where to install: the folder of the installed copy, else the product folder under Program
// Files.
PathText DefaultFolder();
// The bytes the installed files take.
uint64_t InstalledBytes();

// What a folder holds, before anything is written to it.
enum class FolderUse {
  Free,          // missing or empty
  Ours,          // the installed copy's
  OtherFiles,    // files of another program, none of our names
  OtherProgram,  // a file of one of our names that this setup did not write
};
FolderUse CheckInstallFolder(const char* folder);

// Whether log-on start is chosen: the installed copy's choice (is its Startup shortcut there?),
// on for a first install.
bool StartsAtLogOn();

// Sends Close to every running copy of either program, on the screen or in the tray, as the user
// would, and waits for each to end, so that its files can be replaced or removed and its
// settings are written first.
void CloseRunningCopies();

// Installs into `folder` (checked, full): files, Add/Remove entry with what it wrote, shortcuts,
// log-on shortcut. An installed copy in another folder is removed first. Every file is replaced
// or none is. False when the user stopped it after a step failed.
bool Install(const char* folder, bool startAtLogOn, Progress& progress);

// The uninstaller cannot remove its own file while it runs, so from the install folder it starts
// a copy of itself in a temporary folder of its own, which removes `folder`, and waits for its
// status. False when no copy could be started.
bool RunUninstallCopy(const char* folder, bool silent, int& status);
// Removes what Install made in `folder`, if it is the installed copy's: files as they were
// written (others stay), shortcuts, and the Add/Remove entry once nothing is left but what the
// next start removes. A file in use goes when Windows next starts. With `waiting`, the folder's
// uninstall.exe runs, waiting for this copy: it is moved out of the way where the system lets a
// running program's file move, else left in `later` for FinishUninstall.
ExitStatus Uninstall(const char* folder, bool waiting, Progress& progress, PathText& later);
// Once the waiting uninstaller has ended: `later`, and the folder if that was all it held.
void FinishUninstall(const char* folder, const char* later);
// Both programs' settings, and the company key when nothing else is left in it.
void RemoveSettings();
// The running copy of the uninstaller, and its folder, go when Windows next starts.
void RemoveSelfLater();

// Starts an installed program in its folder; false when it could not be started.
bool StartProgram(const char* folder, const char* name);

}  // namespace setup
