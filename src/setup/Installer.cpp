#include "setup/Installer.h"

#include <shlobj.h>

#include <cstring>

#include "setup/SetupRules.h"
#include "ui/FormatText.h"

namespace setup {

namespace {

constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VaristepMonitor";
constexpr const char* kCompanyKey = "Software\\Corvalith";
constexpr const char* kProgramKeys[] = {"Software\\Corvalith\\VaristepMonitor",
                                        "Software\\Corvalith\\VaristepDemo"};
constexpr const char* kVersion = "0.90";
// The programs' main window, and its Close command.
constexpr const char* kWindowClass = "#32770";
constexpr const char* kWindowCaption = "Varistep Monitor";
constexpr WPARAM kCloseCommand = 32774;

using Text = FixedText<600>;

ui::PathText OwnPath() {
  ui::PathText path;
  const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), MAX_PATH);
  if (length == 0 || length >= MAX_PATH) path.clear();
  return path;
}

ui::PathText Join(const char* folder, const char* name) {
  ui::PathText path;
  JoinPath(folder, name, path);  // the folder was checked to leave room for every name
  return path;
}

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

bool ShellFolder(int csidl, ui::PathText& folder) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &list))) return false;
  return TakeItemPath(list, folder);
}

// The Start-menu folders a shortcut may be in: all users' where the system has them (not on
// Windows 98 without user profiles), else the user's own.
int MenuFolders(ui::PathText (&folders)[2]) {
  int count = 0;
  static const int kLists[] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS};
  for (int csidl : kLists) {
    ui::PathText programs;
    if (ShellFolder(csidl, programs) && JoinPath(programs.c_str(), kMenuFolder, folders[count])) {
      ++count;
    }
  }
  return count;
}

bool IsFolder(const char* path) {
  const DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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
  if (file.resource == 0) {
    const ui::PathText self = OwnPath();
    return !self.empty() && ::CopyFileA(self.c_str(), path, FALSE) != FALSE;
  }
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
  Text value;
  bool ok = true;
  FormatText(value.data(), Text::Capacity() + 1, "Varistep Monitor %s", kVersion);
  ok = SetString(key, "DisplayName", value.c_str()) && ok;
  ok = SetString(key, "DisplayVersion", kVersion) && ok;
  ok = SetString(key, "Publisher", "Corvalith") && ok;
  FormatText(value.data(), Text::Capacity() + 1, "%s,0", monitor.c_str());
  ok = SetString(key, "DisplayIcon", value.c_str()) && ok;
  ok = SetString(key, "InstallLocation", folder) && ok;
  FormatText(value.data(), Text::Capacity() + 1, "\"%s\"", uninstaller.c_str());
  ok = SetString(key, "UninstallString", value.c_str()) && ok;
  FormatText(value.data(), Text::Capacity() + 1, "\"%s\" /S", uninstaller.c_str());
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
    Text text;
    FormatText(text.data(), Text::Capacity() + 1, "%s\r\n\r\n%s", failure, path);
    if (!progress.Retry(text.c_str())) return false;
  }
  return true;
}

void Report(Progress& progress, const char* verb, const char* what, int done, int total) {
  Text line;
  FormatText(line.data(), Text::Capacity() + 1, "%s: %s", verb, what);
  progress.Step(line.c_str(), done, total);
}

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

bool TakeItemPath(LPITEMIDLIST list, ui::PathText& path) {
  if (list == nullptr) return false;
  char found[MAX_PATH] = {};
  const BOOL ok = ::SHGetPathFromIDListA(list, found);
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(::SHGetMalloc(&allocator))) {
    allocator->Free(list);
    allocator->Release();
  }
  if (!ok || found[0] == '\0') return false;
  path = found;
  return true;
}

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
    if (file.resource != 0 && Resource(file.resource, data, size)) bytes += size;
  }
  const ui::PathText self = OwnPath();
  HANDLE file = ::CreateFileA(self.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const DWORD size = ::GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE) bytes += size;
    ::CloseHandle(file);
  }
  return bytes;
}

void CloseRunningCopies() {
  for (;;) {
    HWND window = ::FindWindowA(kWindowClass, kWindowCaption);
    if (window == nullptr) return;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(window, WM_COMMAND, kCloseCommand, 0, SMTO_NORMAL, 5000, &ignored);
    bool ended = false;
    if (process != nullptr) {
      ended = ::WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
      ::CloseHandle(process);
    } else {
      ::Sleep(1000);
      ended = !::IsWindow(window);
    }
    // A copy that would not end is left alone, and so is any other: their files stay in use.
    if (!ended) return;
  }
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

bool StartProgram(const char* folder, const char* name) {
  const ui::PathText path = Join(folder, name);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder,
                        &startup, &process)) {
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

}  // namespace setup
