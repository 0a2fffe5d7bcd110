#include "setup/Places.h"

#include "setup/SetupRules.h"
#include "ui/FormatText.h"

namespace setup {

namespace {

// The programs' main window, and its Close command.
constexpr const char* kWindowClass = "#32770";
constexpr const char* kWindowCaption = "Varistep Monitor";
constexpr WPARAM kCloseCommand = 32774;

}  // namespace

const char* const kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VaristepMonitor";

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

bool ShellFolder(int csidl, ui::PathText& folder) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &list))) return false;
  return TakeItemPath(list, folder);
}

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

void Report(Progress& progress, const char* verb, const char* what, int done, int total) {
  LineText line;
  FormatText(line.data(), LineText::Capacity() + 1, "%s: %s", verb, what);
  progress.Step(line.c_str(), done, total);
}

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
