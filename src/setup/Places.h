// What the installer and the uninstaller share: where the files, shortcuts and entries are, how
// a step is reported, and the system's answers they both ask for.
#pragma once

#include <windows.h>

#include "base/FixedText.h"
#include "setup/Installer.h"
#include "setup/SetupRules.h"

namespace setup {

// Add/Remove Programs' entry, under HKEY_LOCAL_MACHINE.
extern const char* const UninstallKey;

// A line of the log, or a failure's text with the path it names.
using LineText = FixedText<600>;

// This program's own file; empty when its path is too long for the A functions.
PathText OwnPath();
// `folder`\`name`, for a folder checked to leave room for every installed name.
PathText Join(const char* folder, const char* name);
// A shell folder (CSIDL_*); false when the system has none.
bool ShellFolder(int csidl, PathText& folder);
// The product's Start-menu folders, all users' first where the system has them (not Windows 98
// without user profiles), then the user's own; how many there are.
int MenuFolders(PathText (&folders)[2]);
bool IsFolder(const char* path);
bool IsNt();
// "<verb>: <what>" in the log.
void Report(Progress& progress, const char* verb, const char* what, int done, int total);
// A text of the string table, with the path it names below it.
LineText TextWithPath(UINT text, const char* path);

bool ReadString(HKEY root, const char* key, const char* name, PathText& value);
// The folder of the installed copy, from its Add/Remove entry; false when none is installed.
bool InstalledFolder(PathText& folder);
// The stamp of the file as it is now; false when it cannot be read.
bool StampOf(const char* path, FileStamp& stamp);
// Deletes the file when Windows next starts: MoveFileEx on NT, WININIT.INI on 9x.
bool DeleteAtNextStart(const char* path);

// The system's answers for CheckRights.
class SystemRights : public RightsProbe {
 public:
  bool IsNt() const override;
  bool Exists(const char* folder) const override;
  bool MayWriteFolder(const char* folder) const override;
  bool MayWriteMachineKeys() const override;
};

// Orders the setup and the uninstaller when both run at once: one waits until the other is done.
class SetupLock {
 public:
  SetupLock();
  ~SetupLock();
  // True once this process holds it; `wait` false only tries.
  bool Take(bool wait);

 private:
  HANDLE mutex_;
  bool held_ = false;
};

}  // namespace setup
