#include "setup/Installer.h"

#include <cstring>

#include "base/FormatText.h"
#include "resources/Product.h"
#include "resources/StringTable.h"
#include "setup/Places.h"
#include "setup/SetupResource.h"
#include "setup/SetupVersion.h"
#include "setup/SystemDlls.h"

namespace setup {

namespace {

// Every missing folder of a full path, from the top down. A drive's or share's root is never
// made: creating it fails, and the folders below it are made all the same.
bool MakeFolders(const char* folder) {
  const size_t length = std::strlen(folder);
  PathText partial;
  for (size_t i = 3; i <= length; ++i) {
    if (i < length && folder[i] != '\\') continue;
    partial.Assign(folder, i);
    if (!IsFolder(partial.c_str())) ::CreateDirectoryA(partial.c_str(), nullptr);
  }
  return IsFolder(folder);
}

PathText FreshPath(const char* path) {
  PathText fresh(path);
  fresh += NewFileSuffix;  // the folder was checked to leave room for it
  return fresh;
}

bool Resource(int id, const void*& bytes, DWORD& size) {
  HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RCDATA
  HGLOBAL loaded = found != nullptr ? ::LoadResource(nullptr, found) : nullptr;
  bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  size = found != nullptr ? ::SizeofResource(nullptr, found) : 0;
  return bytes != nullptr && size > 0;
}

// The new copy, beside the file it replaces.
bool WriteFresh(const InstalledFile& file, const char* path) {
  const void* bytes = nullptr;
  DWORD size = 0;
  if (!Resource(file.resource, bytes, size)) return false;
  const PathText fresh = FreshPath(path);
  HANDLE handle = ::CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(handle, bytes, size, &written, nullptr) && written == size;
  const bool closed = ::CloseHandle(handle) != FALSE;
  if (!(ok && closed)) ::DeleteFileA(fresh.c_str());
  return ok && closed;
}

// Why an existing file cannot be replaced: 0 when it can, else the text that says why.
UINT ReplaceProblem(const char* path) {
  const DWORD attributes = ::GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return IDS_FILE_READ_ONLY;
  HANDLE handle =
      ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return IDS_FILE_IN_USE;
  ::CloseHandle(handle);
  return 0;
}

// The new copy takes the file's place in one step where the system can (NT). Windows 9x has no
// MoveFileEx: the old file goes first, and if the new one cannot follow, it stays beside.
bool Swap(const char* path) {
  const PathText fresh = FreshPath(path);
  if (IsNt()) return ::MoveFileExA(fresh.c_str(), path, MOVEFILE_REPLACE_EXISTING) != FALSE;
  if (!::DeleteFileA(path) && ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return false;
  return ::MoveFileA(fresh.c_str(), path) != FALSE;
}

void DeleteFreshCopies(const char* folder) {
  for (const InstalledFile& file : InstalledFiles) {
    ::DeleteFileA(FreshPath(Join(folder, file.name).c_str()).c_str());
  }
}

bool MakeShortcut(const char* link, const char* target, const char* workingFolder) {
  IShellLinkA* shellLink = nullptr;
  if (FAILED(Dlls().CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkA, reinterpret_cast<void**>(&shellLink)))) {
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

// The entry, with the stamp of every file written, by which the uninstaller knows them.
bool WriteUninstallEntry(const char* folder) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const PathText uninstaller = Join(folder, UninstallerName);
  const PathText monitor = Join(folder, InstalledFiles[0].name);
  LineText value;
  bool ok = true;
  FormatText(value.data(), LineText::Capacity() + 1, "Varistep Monitor %s", VS_VERSION);
  ok = SetString(key, "DisplayName", value.c_str()) && ok;
  ok = SetString(key, "DisplayVersion", VS_VERSION) && ok;
  ok = SetString(key, "Publisher", product::CompanyKey) && ok;
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
  for (const InstalledFile& file : InstalledFiles) {
    const void* bytes = nullptr;
    DWORD size = 0;
    FileStamp stamp;
    if (Resource(file.resource, bytes, size)) stamp = {size, Crc32(bytes, size)};
    ok = SetString(key, file.name, FormatStamp(stamp).c_str()) && ok;
  }
  ::RegCloseKey(key);
  return ok;
}

// Runs one step until it works or the user gives up.
template <class Work>
bool Attempt(Progress& progress, UINT failure, const char* path, Work work) {
  while (!work()) {
    if (!progress.Retry(TextWithPath(failure, path).c_str())) return false;
  }
  return true;
}

bool HoldsOurName(const char* name) {
  for (const InstalledFile& file : InstalledFiles) {
    if (SameFolder(file.name, name)) return true;
  }
  return false;
}

}  // namespace

PathText DefaultFolder() {
  PathText folder;
  if (InstalledFolder(folder)) return folder;
  PathText programFiles;
  if (!ReadString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                  "ProgramFilesDir", programFiles)) {
    programFiles = "C:\\Program Files";
  }
  if (!JoinPath(programFiles.c_str(), MenuFolder, folder)) folder = "C:\\Varistep Monitor";
  return folder;
}

uint64_t InstalledBytes() {
  uint64_t bytes = 0;
  for (const InstalledFile& file : InstalledFiles) {
    const void* data = nullptr;
    DWORD size = 0;
    if (Resource(file.resource, data, size)) bytes += size;
  }
  return bytes;
}

FolderUse CheckInstallFolder(const char* folder) {
  PathText installed;
  if (InstalledFolder(installed) && SameFolder(installed.c_str(), folder)) return FolderUse::Ours;
  PathText pattern;
  if (!JoinPath(folder, "*", pattern)) return FolderUse::OtherFiles;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // Missing, or a file of that name, which no folder can be made over.
    return ::GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES ? FolderUse::Free
                                                                   : FolderUse::OtherFiles;
  }
  FolderUse use = FolderUse::Free;
  do {
    if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) {
      continue;
    }
    use = FolderUse::OtherFiles;
    if (HoldsOurName(found.cFileName)) {
      use = FolderUse::OtherProgram;
      break;
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return use;
}

bool StartsAtLogOn() {
  PathText folder;
  PathText startup;
  if (!InstalledFolder(folder) || !ShellFolder(CSIDL_STARTUP, startup)) return true;
  return ::GetFileAttributesA(Join(startup.c_str(), StartupShortcut).c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

bool Install(const char* folder, bool startAtLogOn, Progress& progress) {
  const int files = CountOf(InstalledFiles);
  // Closing, the files, the entry, the shortcuts, the log-on shortcut.
  const int total = 1 + files + 1 + CountOf(MenuShortcuts) + 1;
  int done = 0;
  progress.Step(LoadText(IDS_CLOSING).c_str(), done, total);
  CloseRunningCopies();
  ++done;

  // One installed copy: the one in another folder goes, as its uninstaller would remove its
  // files (the shortcuts and the entry are written anew below).
  PathText earlier;
  if (InstalledFolder(earlier) && !SameFolder(earlier.c_str(), folder)) {
    PathText later;
    Uninstall(earlier.c_str(), false, progress, later);
  }

  if (!Attempt(progress, IDS_CANNOT_CREATE_FOLDER, folder, [&] { return MakeFolders(folder); })) {
    return false;
  }
  // All new copies first, then all swapped in: a failure before the swap changes nothing.
  for (const InstalledFile& file : InstalledFiles) {
    const PathText path = Join(folder, file.name);
    if (!Attempt(progress, IDS_CANNOT_WRITE_FILE, path.c_str(),
                 [&] { return WriteFresh(file, path.c_str()); })) {
      DeleteFreshCopies(folder);
      return false;
    }
  }
  for (const InstalledFile& file : InstalledFiles) {
    const PathText path = Join(folder, file.name);
    UINT problem = 0;
    while ((problem = ReplaceProblem(path.c_str())) != 0) {
      if (!progress.Retry(TextWithPath(problem, path.c_str()).c_str())) {
        DeleteFreshCopies(folder);
        return false;
      }
    }
  }
  if (!Attempt(progress, IDS_CANNOT_WRITE_ENTRY, UninstallKey,
               [&] { return WriteUninstallEntry(folder); })) {
    DeleteFreshCopies(folder);
    return false;
  }
  int replaced = 0;
  for (const InstalledFile& file : InstalledFiles) {
    const PathText path = Join(folder, file.name);
    while (!Swap(path.c_str())) {
      // Checked just before, so rare: say exactly what is left.
      LineText text;
      FormatLoadedText(text.data(), LineText::Capacity() + 1, LoadText(IDS_SWAP_FAILED).c_str(),
                       replaced, files, path.c_str());
      if (!progress.Retry(text.c_str())) {
        DeleteFreshCopies(folder);
        return false;
      }
    }
    Report(progress, LoadText(IDS_INSTALLED).c_str(), path.c_str(), ++done, total);
    ++replaced;
  }
  progress.Step(LoadText(IDS_ENTRY_ADDED).c_str(), ++done, total);

  PathText menus[2];
  const int menuCount = MenuFolders(menus);
  const char* menu = menuCount > 0 ? menus[0].c_str() : "";
  if (!Attempt(progress, IDS_CANNOT_CREATE_MENU, menu,
               [&] { return menuCount > 0 && MakeFolders(menu); })) {
    return false;
  }
  for (const Shortcut& shortcut : MenuShortcuts) {
    const PathText link = Join(menu, shortcut.name);
    const PathText target = Join(folder, shortcut.target);
    if (!Attempt(progress, IDS_CANNOT_CREATE_SHORTCUT, link.c_str(),
                 [&] { return MakeShortcut(link.c_str(), target.c_str(), folder); })) {
      return false;
    }
    Report(progress, LoadText(IDS_CREATED_SHORTCUT).c_str(), link.c_str(), ++done, total);
  }

  // The user's own Startup folder: the user sees the shortcut there and can remove it.
  PathText startup;
  const bool haveStartup = ShellFolder(CSIDL_STARTUP, startup);
  const PathText startupLink = Join(startup.c_str(), StartupShortcut);
  ++done;
  if (startAtLogOn) {
    const PathText monitor = Join(folder, InstalledFiles[0].name);
    if (!Attempt(progress, IDS_CANNOT_CREATE_SHORTCUT, startupLink.c_str(), [&] {
          return haveStartup && MakeFolders(startup.c_str()) &&
                 MakeShortcut(startupLink.c_str(), monitor.c_str(), folder);
        })) {
      return false;
    }
    Report(progress, LoadText(IDS_CREATED_SHORTCUT).c_str(), startupLink.c_str(), done, total);
  } else if (haveStartup && ::DeleteFileA(startupLink.c_str())) {
    // An earlier install's.
    Report(progress, LoadText(IDS_DELETED).c_str(), startupLink.c_str(), done, total);
  }
  return true;
}

}  // namespace setup
