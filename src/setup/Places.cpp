#include "setup/Places.h"

#include <cstring>

#include "base/FormatText.h"
#include "resources/Product.h"
#include "resources/StringTable.h"
#include "setup/SetupResource.h"
#include "setup/SystemDlls.h"

namespace setup {

namespace {

// Taken by the setup and by the uninstaller's copy for the whole of their work.
constexpr const char* SetupMutex = "Corvalith.VaristepMonitor.Setup";

// A running copy's window: on the screen, or parked in the tray under its hidden owner, where
// FindWindow, which sees top-level windows only, does not find it.
HWND FindRunningCopy() {
  HWND window = ::FindWindowA(product::WindowClass, product::WindowCaption);
  for (HWND owner = ::FindWindowExA(nullptr, nullptr, product::HiddenOwnerClass, nullptr);
       window == nullptr && owner != nullptr;
       owner = ::FindWindowExA(nullptr, owner, product::HiddenOwnerClass, nullptr)) {
    window = ::FindWindowExA(owner, nullptr, product::WindowClass, product::WindowCaption);
  }
  return window;
}

// Windows 9x: a "NUL=" line in WININIT.INI, which takes short paths only.
bool DeleteAtNextStart9x(const char* path) {
  char shortPath[MAX_PATH] = {};
  const DWORD shortLength = ::GetShortPathNameA(path, shortPath, MAX_PATH);
  char windows[MAX_PATH] = {};
  const UINT windowsLength = ::GetWindowsDirectoryA(windows, MAX_PATH);
  PathText ini;
  if (shortLength == 0 || shortLength >= MAX_PATH || windowsLength == 0 ||
      windowsLength >= MAX_PATH || !JoinPath(windows, "WININIT.INI", ini)) {
    return false;
  }
  char text[8192];
  char changed[sizeof text + MAX_PATH + 16];
  DWORD length = 0;
  HANDLE file = ::CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const BOOL read = ::ReadFile(file, text, sizeof text, &length, nullptr);
    ::CloseHandle(file);
    if (!read || length == sizeof text) return false;  // too long to take in whole
  }
  size_t size = 0;
  if (!AddWininitDelete(text, length, shortPath, changed, sizeof changed, size)) return false;
  file = ::CreateFileA(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      ::WriteFile(file, changed, static_cast<DWORD>(size), &written, nullptr) && written == size;
  return ::CloseHandle(file) && ok;
}

}  // namespace

const char* const UninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VaristepMonitor";

PathText OwnPath() {
  PathText path;
  const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), MAX_PATH);
  if (length == 0 || length >= MAX_PATH) path.clear();
  return path;
}

PathText Join(const char* folder, const char* name) {
  PathText path;
  JoinPath(folder, name, path);  // the folder was checked to leave room for every name
  return path;
}

bool ShellFolder(int csidl, PathText& folder) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(Dlls().SHGetSpecialFolderLocation(nullptr, csidl, &list))) return false;
  return TakeItemPath(list, folder);
}

int MenuFolders(PathText (&folders)[2]) {
  int count = 0;
  static const int Lists[] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS};
  for (int csidl : Lists) {
    PathText programs;
    if (ShellFolder(csidl, programs) && JoinPath(programs.c_str(), MenuFolder, folders[count])) {
      ++count;
    }
  }
  return count;
}

bool IsFolder(const char* path) {
  const DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsNt() {
  return ::GetVersion() < 0x80000000u;
}

void Report(Progress& progress, const char* verb, const char* what, int done, int total) {
  LineText line;
  FormatText(line.data(), LineText::Capacity() + 1, "%s: %s", verb, what);
  progress.Step(line.c_str(), done, total);
}

LineText TextWithPath(UINT text, const char* path) {
  LineText line;
  FormatText(line.data(), LineText::Capacity() + 1, "%s\r\n\r\n%s", LoadText(text).c_str(), path);
  return line;
}

bool TakeItemPath(LPITEMIDLIST list, PathText& path) {
  if (list == nullptr) return false;
  char found[MAX_PATH] = {};
  const BOOL ok = Dlls().SHGetPathFromIDListA(list, found);
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(Dlls().SHGetMalloc(&allocator))) {
    allocator->Free(list);
    allocator->Release();
  }
  if (!ok || found[0] == '\0') return false;
  path = found;
  return true;
}

bool ReadString(HKEY root, const char* key, const char* name, PathText& value) {
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

bool InstalledFolder(PathText& folder) {
  PathText recorded;
  return ReadString(HKEY_LOCAL_MACHINE, UninstallKey, "InstallLocation", recorded) &&
         CheckFolder(recorded.c_str(), folder) == FolderProblem::None;
}

bool StampOf(const char* path, FileStamp& stamp) {
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  unsigned char buffer[4096];
  FileStamp read;
  DWORD got = 0;
  bool ok = true;
  while ((ok = ::ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) {
    read.crc = Crc32(buffer, got, read.crc);
    read.size += got;
  }
  ::CloseHandle(file);
  if (ok) stamp = read;
  return ok;
}

bool DeleteAtNextStart(const char* path) {
  if (!IsNt()) return DeleteAtNextStart9x(path);
  return ::MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

void CloseRunningCopies() {
  for (;;) {
    HWND window = FindRunningCopy();
    if (window == nullptr) return;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(window, WM_COMMAND, ID_CLOSE, 0, SMTO_NORMAL, 5000, &ignored);
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

bool StartProgram(const char* folder, const char* name) {
  const PathText path = Join(folder, name);
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

bool SystemRights::IsNt() const {
  return setup::IsNt();
}

bool SystemRights::Exists(const char* folder) const {
  return IsFolder(folder);
}

// Opening the folder for adding files and folders asks the system's access check, and writes
// nothing.
bool SystemRights::MayWriteFolder(const char* folder) const {
  HANDLE handle = ::CreateFileA(folder, FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(handle);
  return true;
}

bool SystemRights::MayWriteMachineKeys() const {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

SetupLock::SetupLock() : mutex_(::CreateMutexA(nullptr, FALSE, SetupMutex)) {}

SetupLock::~SetupLock() {
  if (held_) ::ReleaseMutex(mutex_);
  if (mutex_ != nullptr) ::CloseHandle(mutex_);
}

bool SetupLock::Take(bool wait) {
  if (held_) return true;
  if (mutex_ == nullptr) return false;
  // An abandoned lock is free: its holder ended without releasing it.
  const DWORD result = ::WaitForSingleObject(mutex_, wait ? INFINITE : 0);
  held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  return held_;
}

}  // namespace setup
