// The uninstaller's part of Installer.h.
#include "setup/Installer.h"

#include <cstring>

#include "setup/Places.h"
#include "setup/SetupRules.h"
#include "ui/FormatText.h"

namespace setup {

namespace {

constexpr const char* kCompanyKey = "Software\\Corvalith";
constexpr const char* kProgramKeys[] = {"Software\\Corvalith\\VaristepMonitor",
                                        "Software\\Corvalith\\VaristepDemo"};

// Deletes a file now, or when Windows next starts if it is in use (on NT; 9x keeps it).
void RemoveFile(const char* path, Progress& progress, int done, int total) {
  if (::GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;
  if (::DeleteFileA(path)) {
    Report(progress, "Deleted", path, done, total);
  } else if (::MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    Report(progress, "Deleted at the next start", path, done, total);
  } else {
    Report(progress, "Could not delete", path, done, total);
  }
}

// Removes a folder only when it is empty: anything the user put there stays.
void RemoveFolder(const char* path, Progress& progress, int done, int total) {
  if (IsFolder(path) && ::RemoveDirectoryA(path)) Report(progress, "Removed", path, done, total);
}

// Deletes a key with its subkeys (Windows NT deletes only a key without any).
void DeleteKeyTree(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  char name[256];
  while (::RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS) {
    ui::PathText child;
    if (!JoinPath(path, name, child)) break;
    DeleteKeyTree(root, child.c_str());
    // A subkey that would not go ends the walk instead of being tried for ever.
    HKEY left = nullptr;
    if (::RegOpenKeyExA(root, child.c_str(), 0, KEY_READ, &left) == ERROR_SUCCESS) {
      ::RegCloseKey(left);
      break;
    }
  }
  ::RegCloseKey(key);
  ::RegDeleteKeyA(root, path);
}

}  // namespace

bool StartUninstallCopy(const char* folder, bool silent) {
  char temp[MAX_PATH] = {};
  char unique[MAX_PATH] = {};
  const DWORD length = ::GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH || !::GetTempFileNameA(temp, "vsu", 0, unique))
    return false;
  // A folder of its own, so that the copy keeps the uninstaller's name.
  ::DeleteFileA(unique);
  if (!::CreateDirectoryA(unique, nullptr)) return false;
  ui::PathText copy;
  const ui::PathText self = OwnPath();
  if (!JoinPath(unique, kUninstallerName, copy) || self.empty() ||
      !::CopyFileA(self.c_str(), copy.c_str(), FALSE)) {
    ::RemoveDirectoryA(unique);
    return false;
  }
  FixedText<2 * MAX_PATH + 16> commandLine;
  FormatText(commandLine.data(), decltype(commandLine)::Capacity() + 1, "\"%s\"%s _?=%s",
             copy.c_str(), silent ? " /S" : "", folder);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // It runs in the temporary folder: a process working in the install folder would keep it.
  if (!::CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        unique, &startup, &process)) {
    ::DeleteFileA(copy.c_str());
    ::RemoveDirectoryA(unique);
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

void Uninstall(const char* folder, Progress& progress) {
  const int total = 1 + 8 + 4 + 2;
  int done = 0;
  progress.Step("Closing Varistep Monitor where it runs", done, total);
  CloseRunningCopies();

  ui::PathText startup;
  if (ShellFolder(CSIDL_STARTUP, startup)) {
    RemoveFile(Join(startup.c_str(), kStartupShortcut).c_str(), progress, done, total);
  }
  ++done;
  ui::PathText menus[2];
  const int menuCount = MenuFolders(menus);
  for (int m = 0; m < 2; ++m) {
    for (const Shortcut& shortcut : kMenuShortcuts) {
      if (m < menuCount)
        RemoveFile(Join(menus[m].c_str(), shortcut.name).c_str(), progress, done, total);
      ++done;
    }
    if (m < menuCount) RemoveFolder(menus[m].c_str(), progress, done, total);
  }
  for (const InstalledFile& file : kInstalledFiles) {
    RemoveFile(Join(folder, file.name).c_str(), progress, ++done, total);
  }
  RemoveFolder(folder, progress, ++done, total);
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  progress.Step("Removed Varistep Monitor from Add/Remove Programs", ++done, total);
}

void RemoveSettings() {
  for (const char* key : kProgramKeys) DeleteKeyTree(HKEY_CURRENT_USER, key);
  // Another program of the company may keep its settings beside ours (Windows 98 would delete
  // them with the key).
  HKEY company = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kCompanyKey, 0, KEY_READ, &company) != ERROR_SUCCESS) {
    return;
  }
  DWORD subkeys = 1;
  DWORD values = 1;
  const bool read =
      ::RegQueryInfoKeyA(company, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  ::RegCloseKey(company);
  if (read && subkeys == 0 && values == 0) ::RegDeleteKeyA(HKEY_CURRENT_USER, kCompanyKey);
}

void RemoveSelfLater() {
  const ui::PathText self = OwnPath();
  if (self.empty() || !::MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    return;  // Windows 98: the copy stays in the temporary folder
  }
  ui::PathText folder = self;
  char* slash = std::strrchr(folder.data(), '\\');
  if (slash != nullptr) {
    *slash = '\0';
    ::MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

}  // namespace setup
