// bench_control: what scripts/bench needs done inside Wine.
//
//   bench_control settings <program name> NAME=VALUE ...
//       writes REG_DWORD values under HKCU\Software\Corvalith\<program name>\Settings.
//   bench_control startup <runs> <exe> [<exe> ...]
//       starts each program in turn, <runs> times (after one start each that is not counted), and
//       times from CreateProcess to its dialog window being visible; then closes it. The first
//       program is compared with each of the others.
//   bench_control show <exe name> <seconds>
//       waits for the program to show a dialog window (its main window or a message box) and
//       prints "shown <exe name>: <caption>"; exits 1 when it shows none in time.
//   bench_control close <exe name>
//       closes a running program with the Close command (32774), as its tray menu would, then
//       answers OK to any box still open; ends it by force when it has not gone 10 s later.
//       Exits 1 when it was not running.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchStats.h"
#include "ProcessObjects.h"

namespace {

constexpr WORD CloseCommand = 32774;
constexpr DWORD StartTimeoutMs = 30000;
constexpr DWORD ExitTimeoutMs = 10000;
constexpr DWORD BoxGraceMs = 2000;

struct Search {
  DWORD processId;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK FindDialogs(HWND window, LPARAM state) {
  auto* search = reinterpret_cast<Search*>(state);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  char className[32] = {};
  ::GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0) return TRUE;
  if (search->visibleOnly && !::IsWindowVisible(window)) return TRUE;
  search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> Dialogs(DWORD processId, bool visibleOnly) {
  Search search = {processId, visibleOnly, {}};
  ::EnumWindows(&FindDialogs, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Sends Close to every dialog of the process, then OK to whatever is still open (a message box
// during set-up), and waits for it to end; false when it had to be ended by force.
bool CloseProcess(HANDLE process, DWORD processId) {
  for (HWND dialog : Dialogs(processId, false)) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(CloseCommand, 0), 0);
  }
  if (::WaitForSingleObject(process, BoxGraceMs) == WAIT_OBJECT_0) return true;
  for (HWND dialog : Dialogs(processId, true)) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
  if (::WaitForSingleObject(process, ExitTimeoutMs) == WAIT_OBJECT_0) return true;
  ::TerminateProcess(process, 2);
  ::WaitForSingleObject(process, ExitTimeoutMs);
  return false;
}

std::string FileName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Folder(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Milliseconds from CreateProcess to a visible dialog of the new process; -1 when none showed.
double TimeOneStart(const std::string& exe) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::string command = "\"" + exe + "\"";
  std::string folder = Folder(exe);
  LONGLONG begin = bench::Now();
  if (!::CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info)) {
    std::fprintf(stderr, "bench_control: cannot start %s (error %lu)\n", exe.c_str(),
                 ::GetLastError());
    return -1;
  }
  double ms = -1;
  while (bench::Seconds(bench::Now() - begin) * 1000 < StartTimeoutMs) {
    if (!Dialogs(info.dwProcessId, true).empty()) {
      ms = bench::Seconds(bench::Now() - begin) * 1000;
      break;
    }
    if (::WaitForSingleObject(info.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  // Let it settle (tray icon, first paint) before closing, as a user would see it.
  ::Sleep(300);
  if (!CloseProcess(info.hProcess, info.dwProcessId)) {
    std::fprintf(stderr, "bench_control: %s did not close, ended by force\n", exe.c_str());
  }
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  ::Sleep(200);
  return ms;
}

int Startup(int runs, const std::vector<std::string>& exes) {
  for (const std::string& exe : exes) TimeOneStart(exe);  // caches warm, prefix services up
  std::vector<std::vector<double>> times(exes.size());
  for (int r = 0; r < runs; ++r) {
    for (size_t e = 0; e < exes.size(); ++e) {
      double ms = TimeOneStart(exes[e]);
      if (ms < 0) {
        std::fprintf(stderr, "bench_control: %s never showed a window\n", exes[e].c_str());
        return 1;
      }
      times[e].push_back(ms);
      std::printf("start-up run %d, %s: %.1f ms\n", r + 1, FileName(exes[e]).c_str(), ms);
    }
  }
  for (size_t e = 0; e < exes.size(); ++e) {
    std::string name = "start-up to visible window, " + FileName(exes[e]);
    bench::PrintFigure(name.c_str(), bench::Summarize(times[e]), "ms", "%.0f");
  }
  for (size_t e = 1; e < exes.size(); ++e) {
    std::vector<double> differences;
    for (int r = 0; r < runs; ++r) differences.push_back(times[0][r] - times[e][r]);
    bench::Summary d = bench::Summarize(differences);
    std::string name = "start-up, " + FileName(exes[0]) + " minus " + FileName(exes[e]);
    bench::PrintFigure(name.c_str(), d, "ms", "%.0f",
                       d.median <= 50 ? " - goal <= 50 ms: met" : " - goal <= 50 ms: MISSED");
  }
  return 0;
}

int Settings(const char* program, int count, char** values) {
  std::string key = std::string("Software\\Corvalith\\") + program + "\\Settings";
  HKEY handle = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS) {
    return 1;
  }
  int status = 0;
  for (int i = 0; i < count; ++i) {
    const char* equals = std::strchr(values[i], '=');
    if (equals == nullptr) {
      status = 2;
      continue;
    }
    std::string name(values[i], static_cast<size_t>(equals - values[i]));
    DWORD value = static_cast<DWORD>(std::strtoul(equals + 1, nullptr, 10));
    if (::RegSetValueExA(handle, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                         sizeof value) != ERROR_SUCCESS) {
      status = 1;
    }
  }
  ::RegCloseKey(handle);
  return status;
}

int Show(const char* exeName, int seconds) {
  LONGLONG begin = bench::Now();
  while (bench::Seconds(bench::Now() - begin) < seconds) {
    DWORD processId = procstat::FindProcess(exeName);
    std::vector<HWND> shown = processId != 0 ? Dialogs(processId, true) : std::vector<HWND>();
    if (!shown.empty()) {
      char caption[128] = {};
      ::GetWindowTextA(shown.front(), caption, sizeof caption);
      std::printf("shown %s: %s\n", exeName, caption);
      return 0;
    }
    ::Sleep(50);
  }
  std::printf("not shown %s\n", exeName);
  return 1;
}

int Close(const char* exeName) {
  DWORD processId = procstat::FindProcess(exeName);
  if (processId == 0) return 1;
  HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
  if (process == nullptr) return 1;
  bool closed = CloseProcess(process, processId);
  ::CloseHandle(process);
  if (!closed) std::fprintf(stderr, "bench_control: %s ended by force\n", exeName);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "settings") == 0) {
    return Settings(argv[2], argc - 3, argv + 3);
  }
  if (argc >= 4 && std::strcmp(argv[1], "startup") == 0) {
    int runs = std::atoi(argv[2]);
    return Startup(runs < 1 ? 1 : runs, std::vector<std::string>(argv + 3, argv + argc));
  }
  if (argc == 3 && std::strcmp(argv[1], "close") == 0) return Close(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "show") == 0) return Show(argv[2], std::atoi(argv[3]));
  std::fprintf(stderr,
               "usage: bench_control settings <program> NAME=VALUE ... | startup <runs> <exe>... "
               "| show <exe name> <seconds> | close <exe name>\n");
  return 2;
}
