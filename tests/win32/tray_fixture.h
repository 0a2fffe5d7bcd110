// The tray icon manager against the tests' shell, which records every call and behaves like the
// real notification area.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "support/TestShell.h"
#include "tray/SystemTray.h"
#include "ui/App.h"
#include "ui/StartUp.h"

namespace tray_test {

using tray::CSystemTray;

// The version-2 record's size, pinned per target.
constexpr DWORD Version2Size = sizeof(void*) == 8 ? 504 : 488;

using support::ShellCall;
using support::ShellSeen;
using support::TestShell;
using support::WindowsXp;

// A hidden window that stands in for the monitor window as the tray's command window.
class CommandSink : public ui::Window {
 public:
  CommandSink() { Create("VaristepTrayTestSink", WS_POPUP, 0, 0, 10, 10, nullptr); }

  std::vector<WPARAM> commands;
  // What the popup looked like while it was open.
  bool sawPopupIdle = false;
  UINT defaultWhileOpen = static_cast<UINT>(-1);
  HMENU shownPopup = nullptr;
  WPARAM mnemonic = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_COMMAND:
        commands.push_back(wParam);
        return 0;
      case WM_ENTERIDLE:
        // The popup is open and waiting for the user: look at it, then close it.
        if (wParam == MSGF_MENU && !sawPopupIdle) {
          sawPopupIdle = true;
          defaultWhileOpen = ::GetMenuDefaultItem(shownPopup, TRUE, 0);
          // Type a mnemonic as the user would, or just close the popup.
          if (mnemonic != 0) {
            ::PostMessageA(Hwnd(), WM_CHAR, mnemonic, 1);
          } else {
            ::EndMenu();
          }
        }
        return 0;
      case WM_TIMER:
        // Guard against a popup that never reports idle: close it so the test can fail.
        ::KillTimer(Hwnd(), wParam);
        ::EndMenu();
        return 0;
      default:
        return Window::WindowProc(message, wParam, lParam);
    }
  }
};

inline const HICON IconA = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
inline const HICON IconB = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32516));  // IDI_INFORMATION
inline const HICON IconC = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32515));  // IDI_WARNING

class SystemTrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    support::ResetShell();
    ui::StartUp();
    ASSERT_NE(IconA, nullptr);
    ASSERT_NE(IconB, nullptr);
    ASSERT_NE(IconA, IconB);
  }
  void TearDown() override { support::ResetShell(); }

  // The program's own creation call.
  static BOOL CreateAsProgram(CSystemTray& tray, HICON icon = IconA) {
    return tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, "Varistep Monitor", icon,
                               IDR_TRAY_MENU, FALSE, nullptr, nullptr, 0, 10);
  }

  static void ExpectState(const CSystemTray& tray, BOOL hidden, BOOL removed, BOOL addPending) {
    EXPECT_EQ(tray.Hidden(), hidden);
    EXPECT_EQ(tray.Removed(), removed);
    EXPECT_EQ(tray.AddPending(), addPending);
  }

  static std::string ItemText(HMENU menu, UINT item, UINT by) {
    char text[256] = {};
    ::GetMenuStringA(menu, item, text, sizeof(text), by);
    return text;
  }
};

}  // namespace tray_test
