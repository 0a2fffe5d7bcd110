// The tray icon manager against Wine's own notification area (the test prefix runs in a virtual
// desktop with a taskbar).
#include "tray/SystemTray.h"

#include <gtest/gtest.h>

#include "app/SystemShell.h"
#include "processor/Win32Platform.h"
#include "resource.h"
#include "ui/StartUp.h"

namespace {

using tray::CSystemTray;

// The desktop's taskbar may still be starting when the tests begin.
HWND WaitForTaskbar() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
    if (taskbar != nullptr) return taskbar;
    ::Sleep(100);
  }
  return nullptr;
}

TEST(SystemTrayRealShell, AddModifyDelete) {
  const ui::Shell shell = app::SystemShell();
  ASSERT_NE(WaitForTaskbar(), nullptr) << "no notification area in this desktop";

  HICON first = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
  HICON second = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32516));
  {
    CSystemTray tray(shell, ReadWindowsVersion());
    ASSERT_TRUE(tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, "Varistep Monitor", first,
                                    IDR_TRAY_MENU, FALSE, nullptr, nullptr, 0, 10));
    EXPECT_FALSE(tray.Hidden());
    EXPECT_FALSE(tray.Removed());

    EXPECT_TRUE(tray.ChangeIcon(second));
    EXPECT_EQ(tray.IconData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));

    // The shell already has this icon, so the work-area re-add is refused.
    ::SendMessageA(tray.Hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(tray.AddPending());
    EXPECT_FALSE(tray.Hidden());

    EXPECT_TRUE(tray.RemoveTrayIcon());
    EXPECT_TRUE(tray.Removed());
    EXPECT_FALSE(tray.AddPending());

    // A deleted icon is gone for the shell: a modify of it fails.
    NOTIFYICONDATAA probe = tray.IconData();
    probe.uFlags = NIF_ICON;
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_MODIFY, &probe));

    // And it can be added again.
    EXPECT_EQ(::SendMessageA(tray.Hwnd(), ui::TaskbarCreatedMessage(), 0, 0), 1);
    EXPECT_TRUE(tray.Removed());  // removed icons are not re-added
    ASSERT_TRUE(tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, "Varistep Monitor", first,
                                    IDR_TRAY_MENU));
    EXPECT_FALSE(tray.Removed());
  }
}

}  // namespace
