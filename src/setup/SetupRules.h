// Portable: the rules of the setup program and its uninstaller that are not platform calls. What
// it installs, how it reads its command line, and which install folders it accepts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/AppName.h"

namespace setup {

// A file the setup puts in the install folder, from the resource that carries it.
struct InstalledFile {
  const char* name;
  int resource;
};
extern const InstalledFile kInstalledFiles[4];
constexpr const char* kUninstallerName = "uninstall.exe";
// A file is written beside its old copy first, under its name with this added.
constexpr const char* kNewFileSuffix = ".new";

// A Start-menu shortcut and the installed file it starts.
struct Shortcut {
  const char* name;
  const char* target;
};
extern const Shortcut kMenuShortcuts[4];
constexpr const char* kMenuFolder = "Varistep Monitor";
constexpr const char* kStartupShortcut = "Varistep Monitor.lnk";

// Installer conventions: /S runs silently with the defaults; /D=<folder> chooses the folder and,
// as it may hold spaces and takes no quotes, runs to the end of the line. The uninstaller's copy
// in the temporary folder is started with _?=<folder>, the folder it removes, likewise last.
struct Options {
  bool silent = false;
  ui::PathText folder;    // /D=, empty when not given
  ui::PathText removing;  // _?=, empty when not given
};
// `commandLine` is the whole line, the program's own name first (quoted or not).
Options ParseCommandLine(const char* commandLine);

enum class FolderProblem { kNone, kEmpty, kNotFull, kBadCharacter, kTooLong };
// Checks a folder the user typed or chose: a full path (drive or network share) below the root,
// without the characters no file name may hold, short enough for every installed file's path
// (and the new copy's, written first).
// On kNone, `folder` is the trimmed path without a trailing backslash.
FolderProblem CheckFolder(const char* typed, ui::PathText& folder);
// The text the folder page shows for a problem.
const char* FolderProblemText(FolderProblem problem);

// `folder`\`name`; false when the result would not fit in a path.
bool JoinPath(const char* folder, const char* name, ui::PathText& path);

// A folder chosen with Browse gets the product's own folder below it, unless it is that folder.
void AppendProductFolder(ui::PathText& folder);

// Add/Remove Programs' EstimatedSize: kilobytes, rounded up.
uint32_t EstimatedSizeKB(uint64_t bytes);

}  // namespace setup
