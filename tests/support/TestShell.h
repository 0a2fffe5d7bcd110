// The tests' shell table: one recorder for every shell and window-manager call, the Windows
// versions the tests run the program on, and the platform table the window tests hand in.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/WindowsVersion.h"
#include "monitor/Platform.h"
#include "support/TestSupport.h"
#include "ui/Dialog.h"
#include "ui/Shell.h"

namespace support {

constexpr VersionFields Windows98 = {1, 4, 10};
constexpr VersionFields Windows2000 = {2, 5, 0};
constexpr VersionFields WindowsXp = {2, 5, 1};

// One call to the notification area, as the record stood when the shell got it.
struct ShellCall {
  DWORD message;
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT callback;
  HICON hIcon;
  std::string tip;
  DWORD dwState;
  DWORD dwStateMask;
  std::string info;
  std::string infoTitle;
  UINT timeout;
};

struct ShellOpenCall {
  HWND owner;
  std::string verb, file;
  const char* parameters;
  const char* directory;
  int show;
};

struct Animation {
  HWND window;
  int kind;
  RECT from, to;
};

// Everything the shell saw, and how it answers.
struct ShellLog {
  std::vector<ShellCall> calls;
  // The notification area as the real one behaves: an add fails while the taskbar is down or
  // when the icon is already there, and a modify or delete needs a registered icon. Without
  // modelIcons every call succeeds while the taskbar is up.
  bool modelIcons = true;
  bool taskbarUp = true;
  bool refuseDelete = false;
  bool refuseModify = false;
  bool registered = false;

  std::vector<ShellOpenCall> opened;

  // Wine keeps the animation setting off whatever is set, so the test gives the answer itself.
  int minAnimate = 0;
  std::vector<Animation> animations;

  // Runs at the end of every dialog's WM_INITDIALOG.
  std::function<void(ui::Dialog&)> onDialog;
  // Runs as a box opens, before the box recorder sees it.
  std::function<void()> onBox;
};

inline ShellLog& ShellSeen() {
  static ShellLog log;
  return log;
}

inline BOOL RecordNotify(DWORD message, NOTIFYICONDATAA* data) {
  ShellCall call;
  call.message = message;
  call.cbSize = data->cbSize;
  call.hWnd = data->hWnd;
  call.uID = data->uID;
  call.uFlags = data->uFlags;
  call.callback = data->uCallbackMessage;
  call.hIcon = data->hIcon;
  call.tip.assign(data->szTip, strnlen(data->szTip, sizeof(data->szTip)));
  call.dwState = data->dwState;
  call.dwStateMask = data->dwStateMask;
  call.info.assign(data->szInfo, strnlen(data->szInfo, sizeof(data->szInfo)));
  call.infoTitle.assign(data->szInfoTitle, strnlen(data->szInfoTitle, sizeof(data->szInfoTitle)));
  call.timeout = data->uTimeout;
  ShellLog& shell = ShellSeen();
  shell.calls.push_back(call);

  if (!shell.taskbarUp) return FALSE;
  if (!shell.modelIcons) return TRUE;
  switch (message) {
    case NIM_ADD:
      if (shell.registered) return FALSE;
      shell.registered = true;
      return TRUE;
    case NIM_MODIFY:
      return shell.registered && !shell.refuseModify;
    case NIM_DELETE:
      if (!shell.registered || shell.refuseDelete) return FALSE;
      shell.registered = false;
      return TRUE;
    default:
      return FALSE;
  }
}

inline HINSTANCE RecordShellOpen(HWND owner, const char* verb, const char* file,
                                 const char* parameters, const char* directory, int show) {
  ShellSeen().opened.push_back({owner, verb != nullptr ? verb : "", file != nullptr ? file : "",
                                parameters, directory, show});
  return reinterpret_cast<HINSTANCE>(SE_ERR_FNF);  // as if the page were missing
}

inline int RecordShellBox(HWND owner, const char* text, const char* caption, UINT type) {
  if (ShellSeen().onBox) ShellSeen().onBox();
  return RecordBox(owner, text, caption, type);
}

inline int RecordedMinAnimate() {
  return ShellSeen().minAnimate;
}

inline BOOL RecordAnimation(HWND window, int kind, const RECT* from, const RECT* to) {
  ShellSeen().animations.push_back({window, kind, *from, *to});
  return TRUE;
}

inline void RecordDialogStart(ui::Dialog& dialog) {
  if (ShellSeen().onDialog) ShellSeen().onDialog(dialog);
}

inline const ui::Shell& TestShell() {
  static const ui::Shell shell = {&RecordNotify,       &RecordShellOpen, &RecordShellBox,
                                  &RecordedMinAnimate, &RecordAnimation, &RecordDialogStart};
  return shell;
}

// The monitor window's platform on a test processor, with the recording shell.
inline monitor::Platform TestPlatform(CpuidSource* cpuid, DriverPort* port, const PciSource* pci,
                                      VersionFields windows = WindowsXp) {
  return monitor::Platform{cpuid, port, pci, nullptr, windows, TestShell()};
}

// A fresh log and box recorder: nothing seen, every box answered OK.
inline void ResetShell() {
  ShellSeen() = ShellLog();
  ResetBoxes();
}

// The shell log is reset while it lives.
struct ShellRecording {
  ShellRecording() { ResetShell(); }
  ~ShellRecording() { ResetShell(); }
};

}  // namespace support
