#include "setup/Installer.h"

#include <cstring>

#include "setup/Places.h"
#include "setup/SetupRules.h"
#include "setup/SetupVersion.h"
#include "ui/FormatText.h"

namespace setup {

namespace {

bool ReadString(HKEY root, const char* key, const char* name, ui::PathText& value) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return false;
  char buffer[MAX_PATH + 1] = {};
  DWORD type = 0;
  DWORD size = MAX_PATH;  // one byte short, so that the text always ends
  const LONG status =
      ::RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  ::RegCloseKey(handle);
  if (status != ERROR_SUCCESS || type != REG_SZ || buffer[0] == '\0') return false;
  value = buffer;
  return true;
}

// Every missing folder of a full path, from the top down. A drive's or share's root is never
// made: creating it fails, and the folders below it are made all the same.
bool MakeFolders(const char* folder) {
  const size_t length = std::strlen(folder);
  ui::PathText partial;
  for (size_t i = 3; i <= length; ++i) {
    if (i < length && folder[i] != '\\') continue;
    partial.Assign(folder, i);
    if (!IsFolder(partial.c_str())) ::CreateDirectoryA(partial.c_str(), nullptr);
  }
  return IsFolder(folder);
}

// Writes beside the file first, so that a failed write or a program still running from the old
// file leaves the old file as it was.
bool WriteBytes(const char* path, const void* bytes, DWORD size) {
  ui::PathText fresh(path);
  fresh += kNewFileSuffix;  // the folder was checked to leave room for it
  HANDLE file = ::CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, bytes, size, &written, nullptr) && written == size;
  const bool closed = ::CloseHandle(file) != FALSE;
  const bool placed =
      ok && closed &&
      (::DeleteFileA(path) || ::GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) &&
      ::MoveFileA(fresh.c_str(), path);
  if (!placed) ::DeleteFileA(fresh.c_str());
  return placed;
}

bool Resource(int id, const void*& bytes, DWORD& size) {
  HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RCDATA
  HGLOBAL loaded = found != nullptr ? ::LoadResource(nullptr, found) : nullptr;
  bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  size = found != nullptr ? ::SizeofResource(nullptr, found) : 0;
  return bytes != nullptr && size > 0;
}

bool PlaceFile(const InstalledFile& file, const char* path) {
  const void* bytes = nullptr;
  DWORD size = 0;
  return Resource(file.resource, bytes, size) && WriteBytes(path, bytes, size);
}

bool MakeShortcut(const char* link, const char* target, const char* workingFolder) {
  IShellLinkA* shellLink = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink)))) {
    return false;
  }
  bool saved = false;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shellLink->SetPath(target)) &&
      SUCCEEDED(shellLink->SetWorkingDirectory(workingFolder)) &&
      SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR wide[MAX_PATH];
    if (::MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH) > 0) {
      saved = SUCCEEDED(file->Save(wide, TRUE));
    }
    file->Release();
  }
  shellLink->Release();
  return saved;
}

bool SetString(HKEY key, const char* name, const char* value) {
  return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(std::strlen(value) + 1)) == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const char* name, DWORD value) {
  return ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

bool WriteUninstallEntry(const char* folder) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const ui::PathText uninstaller = Join(folder, kUninstallerName);
  const ui::PathText monitor = Join(folder, kInstalledFiles[0].name);
  LineText value;
  bool ok = true;
  FormatText(value.data(), LineText::Capacity() + 1, "Varistep Monitor %s", VS_VERSION);
  ok = SetString(key, "DisplayName", value.c_str()) && ok;
  ok = SetString(key, "DisplayVersion", VS_VERSION) && ok;
  ok = SetString(key, "Publisher", "Corvalith") && ok;
  FormatText(value.data(), LineText::Capacity() + 1, "%s,0", monitor.c_str());
  ok = SetString(key, "DisplayIcon", value.c_str()) && ok;
  ok = SetString(key, "InstallLocation", folder) && ok;
  FormatText(value.data(), LineText::Capacity() + 1, "\"%s\"", uninstaller.c_str());
  ok = SetString(key, "UninstallString", value.c_str()) && ok;
  FormatText(value.data(), LineText::Capacity() + 1, "\"%s\" /S", uninstaller.c_str());
  ok = SetString(key, "QuietUninstallString", value.c_str()) && ok;
  ok = SetNumber(key, "NoModify", 1) && ok;
  ok = SetNumber(key, "NoRepair", 1) && ok;
  ok = SetNumber(key, "EstimatedSize", EstimatedSizeKB(InstalledBytes())) && ok;
  ::RegCloseKey(key);
  return ok;
}

// Runs one step until it works or the user gives up.
template <class Work>
bool Attempt(Progress& progress, const char* failure, const char* path, Work work) {
  while (!work()) {
    LineText text;
    FormatText(text.data(), LineText::Capacity() + 1, "%s\r\n\r\n%s", failure, path);
    if (!progress.Retry(text.c_str())) return false;
  }
  return true;
}

}  // namespace

ui::PathText DefaultFolder() {
  ui::PathText earlier;
  ui::PathText folder;
  if (ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", earlier) &&
      CheckFolder(earlier.c_str(), folder) == FolderProblem::kNone) {
    return folder;
  }
  ui::PathText programFiles;
  if (!ReadString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                  "ProgramFilesDir", programFiles)) {
    programFiles = "C:\\Program Files";
  }
  if (!JoinPath(programFiles.c_str(), kMenuFolder, folder)) folder = "C:\\Varistep Monitor";
  return folder;
}

uint64_t InstalledBytes() {
  uint64_t bytes = 0;
  for (const InstalledFile& file : kInstalledFiles) {
    const void* data = nullptr;
    DWORD size = 0;
    if (Resource(file.resource, data, size)) bytes += size;
  }
  return bytes;
}

bool Install(const char* folder, bool startAtLogOn, Progress& progress) {
  const int total = 4 + 4 + 2;
  int done = 0;
  progress.Step("Closing Varistep Monitor where it runs", done, total);
  CloseRunningCopies();
  if (!Attempt(progress, "Setup could not create the folder:", folder,
               [&] { return MakeFolders(folder); })) {
    return false;
  }
  for (const InstalledFile& file : kInstalledFiles) {
    const ui::PathText path = Join(folder, file.name);
    if (!Attempt(progress,
                 "Setup could not write the file below. Close any program that uses it and "
                 "click Retry, or click Cancel to stop Setup.",
                 path.c_str(), [&] { return PlaceFile(file, path.c_str()); })) {
      return false;
    }
    Report(progress, "Installed", path.c_str(), ++done, total);
  }

  ui::PathText menus[2];
  const int menuCount = MenuFolders(menus);
  const char* menu = menuCount > 0 ? menus[0].c_str() : "";
  if (!Attempt(progress, "Setup could not create the Start menu folder:", menu,
               [&] { return menuCount > 0 && MakeFolders(menu); })) {
    return false;
  }
  for (const Shortcut& shortcut : kMenuShortcuts) {
    const ui::PathText link = Join(menu, shortcut.name);
    const ui::PathText target = Join(folder, shortcut.target);
    if (!Attempt(progress, "Setup could not create the shortcut:", link.c_str(),
                 [&] { return MakeShortcut(link.c_str(), target.c_str(), folder); })) {
      return false;
    }
    Report(progress, "Created shortcut", link.c_str(), ++done, total);
  }

  // The user's own Startup folder: the user sees the shortcut there and can remove it.
  ui::PathText startup;
  const bool haveStartup = ShellFolder(CSIDL_STARTUP, startup);
  const ui::PathText startupLink = Join(startup.c_str(), kStartupShortcut);
  if (startAtLogOn) {
    const ui::PathText monitor = Join(folder, kInstalledFiles[0].name);
    if (!Attempt(progress, "Setup could not create the shortcut:", startupLink.c_str(), [&] {
          return haveStartup && MakeFolders(startup.c_str()) &&
                 MakeShortcut(startupLink.c_str(), monitor.c_str(), folder);
        })) {
      return false;
    }
    Report(progress, "Created shortcut", startupLink.c_str(), done, total);
  } else if (haveStartup && ::DeleteFileA(startupLink.c_str())) {
    Report(progress, "Deleted", startupLink.c_str(), done, total);  // an earlier install's
  }
  ++done;

  if (!Attempt(progress,
               "Setup could not write the Add/Remove Programs entry. Setup needs an "
               "administrator's rights for it:",
               kUninstallKey, [&] { return WriteUninstallEntry(folder); })) {
    return false;
  }
  progress.Step("Added Varistep Monitor to Add/Remove Programs", ++done, total);
  return true;
}

}  // namespace setup
