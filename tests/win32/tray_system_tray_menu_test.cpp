// The tray icon's notifications and its popup menu: which window gets the commands, the default
// item, the popup shown and chosen from, and every menu edit the program makes.
#include <string>

#include "tray_fixture.h"

namespace {

using namespace tray_test;

TEST_F(SystemTrayTest, NotificationForAnotherIconOrWithoutTargetIsNotHandled) {
  CommandSink sink;
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  ASSERT_EQ(ui::MainWindow(), nullptr);
  // No command window and no main window.
  EXPECT_EQ(::SendMessageA(tray.Hwnd(), tray::TrayNotifyMessage, 134, WM_LBUTTONDBLCLK), 0);

  tray.SetCommandWindow(sink.Hwnd());
  EXPECT_EQ(tray.CommandWindow(), sink.Hwnd());
  EXPECT_EQ(::SendMessageA(tray.Hwnd(), tray::TrayNotifyMessage, 135, WM_LBUTTONDBLCLK), 0);
  EXPECT_EQ(::SendMessageA(tray.Hwnd(), tray::TrayNotifyMessage, 135, WM_RBUTTONUP), 0);
  EXPECT_TRUE(sink.commands.empty());

  // Other mouse messages are taken and ignored.
  for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MOUSEMOVE}) {
    EXPECT_EQ(::SendMessageA(tray.Hwnd(), tray::TrayNotifyMessage, 134, mouse), 1) << mouse;
  }
  EXPECT_TRUE(sink.commands.empty());
}

TEST_F(SystemTrayTest, MainWindowIsTheTargetWhenNoCommandWindowIsSet) {
  CommandSink main;
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  ui::SetMainWindow(main.Hwnd());
  EXPECT_EQ(tray.CommandWindow(), main.Hwnd());
  EXPECT_EQ(::SendMessageA(tray.Hwnd(), tray::TrayNotifyMessage, 134, WM_LBUTTONDBLCLK), 1);
  ui::SetMainWindow(nullptr);
  ASSERT_EQ(main.commands.size(), 1u);
  EXPECT_EQ(main.commands[0], static_cast<WPARAM>(ID_SHOW_HIDE));
}

TEST_F(SystemTrayTest, DoubleClickSendsDefaultCommandBeforeReturning) {
  CommandSink sink;
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  EXPECT_TRUE(tray.SetDefaultMenuItem(0, TRUE));
  EXPECT_TRUE(tray.SetCommandWindow(sink.Hwnd()));

  // The notification arrives through the window procedure, ahead of everything else.
  EXPECT_EQ(::SendMessageA(tray.Hwnd(), tray::TrayNotifyMessage, 134, WM_LBUTTONDBLCLK), 1);
  ASSERT_EQ(sink.commands.size(), 1u);
  EXPECT_EQ(sink.commands[0], static_cast<WPARAM>(ID_SHOW_HIDE));

  // The mouse message is the low word; the high word is ignored.
  EXPECT_EQ(
      ::SendMessageA(tray.Hwnd(), tray::TrayNotifyMessage, 134, MAKELPARAM(WM_LBUTTONDBLCLK, 7)),
      1);
  EXPECT_EQ(sink.commands.size(), 2u);

  // A default given by command id is sent as it is.
  EXPECT_TRUE(tray.SetDefaultMenuItem(ID_ABOUT, FALSE));
  EXPECT_EQ(tray.HandleTrayNotification(134, WM_LBUTTONDBLCLK), 1);
  ASSERT_EQ(sink.commands.size(), 3u);
  EXPECT_EQ(sink.commands[2], static_cast<WPARAM>(ID_ABOUT));

  // A default position on the mode sub-popup names no command: nothing is sent.
  EXPECT_TRUE(tray.SetDefaultMenuItem(2, TRUE));
  EXPECT_EQ(tray.HandleTrayNotification(134, WM_LBUTTONDBLCLK), 0);
  EXPECT_EQ(sink.commands.size(), 3u);
}

TEST_F(SystemTrayTest, RightButtonUpOpensPopupWithDefaultAndPostsNull) {
  CommandSink sink;
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  tray.SetDefaultMenuItem(0, TRUE);
  tray.SetCommandWindow(sink.Hwnd());
  sink.shownPopup = tray.Popup();
  // Editing the item resets nothing the popup shows: the default is applied at each showing.
  tray.SetMenuItemTextFromResource(0, IDS_HIDE_MONITOR);

  ::SetTimer(sink.Hwnd(), 1, 10000, nullptr);
  EXPECT_EQ(::SendMessageA(tray.Hwnd(), tray::TrayNotifyMessage, 134, WM_RBUTTONUP), 1);
  ::KillTimer(sink.Hwnd(), 1);
  EXPECT_TRUE(sink.sawPopupIdle);
  EXPECT_EQ(sink.defaultWhileOpen, 0u);

  MSG msg;
  EXPECT_TRUE(::PeekMessageA(&msg, sink.Hwnd(), WM_NULL, WM_NULL, PM_REMOVE));
  EXPECT_TRUE(sink.commands.empty());
}

TEST_F(SystemTrayTest, CommandChosenFromPopupReachesCommandWindow) {
  CommandSink sink;
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  tray.SetCommandWindow(sink.Hwnd());
  sink.shownPopup = tray.Popup();
  sink.mnemonic = 'c';  // "&Close"

  ::SetTimer(sink.Hwnd(), 1, 10000, nullptr);
  EXPECT_EQ(::SendMessageA(tray.Hwnd(), tray::TrayNotifyMessage, 134, WM_RBUTTONUP), 1);
  ::KillTimer(sink.Hwnd(), 1);
  ASSERT_TRUE(sink.sawPopupIdle);

  // The choice arrives as a queued message of its own.
  MSG msg;
  while (::PeekMessageA(&msg, sink.Hwnd(), 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  ASSERT_EQ(sink.commands.size(), 1u);
  EXPECT_EQ(sink.commands[0], static_cast<WPARAM>(ID_CLOSE));
}

TEST_F(SystemTrayTest, WithoutMenuEveryMenuOperationFails) {
  CommandSink sink;
  CSystemTray tray(TestShell(), WindowsXp);
  // No menu resource 4242: the icon is added, the menu stays empty.
  EXPECT_TRUE(tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, "tip", IconA, 4242));
  EXPECT_EQ(tray.TrayMenu(), nullptr);
  tray.SetCommandWindow(sink.Hwnd());

  EXPECT_TRUE(tray.SetDefaultMenuItem(0, TRUE));  // the stored pair, untouched
  EXPECT_FALSE(tray.SetDefaultMenuItem(1, TRUE));
  EXPECT_FALSE(tray.RemoveMenuCommand(ID_ABOUT));
  EXPECT_FALSE(tray.InsertMenuEntry(ID_ABOUT, MF_SEPARATOR));
  EXPECT_FALSE(tray.SetMenuItemText(0, "x"));
  EXPECT_FALSE(tray.SetMenuItemTextFromResource(0, IDS_HIDE_MONITOR));
  EXPECT_FALSE(tray.SetMenuCommandCheck(ID_PERFORMANCE, TRUE));
  EXPECT_FALSE(tray.EnableMenuCommand(ID_ABOUT, FALSE));

  EXPECT_EQ(tray.HandleTrayNotification(4242, WM_RBUTTONUP), 0);
  EXPECT_EQ(tray.HandleTrayNotification(4242, WM_LBUTTONDBLCLK), 0);
  EXPECT_TRUE(sink.commands.empty());
}

TEST_F(SystemTrayTest, DefaultItemStoredAndApplied) {
  CSystemTray tray(TestShell(), WindowsXp);
  // Before the menu exists a new pair is kept but reported as not applied.
  EXPECT_TRUE(tray.SetDefaultMenuItem(0, TRUE));
  EXPECT_FALSE(tray.SetDefaultMenuItem(6, TRUE));
  ASSERT_TRUE(CreateAsProgram(tray));
  HMENU popup = tray.Popup();
  EXPECT_EQ(::GetMenuDefaultItem(popup, TRUE, 0), static_cast<UINT>(-1));
  // Same pair as stored: the menu is not touched.
  EXPECT_TRUE(tray.SetDefaultMenuItem(6, TRUE));
  EXPECT_EQ(::GetMenuDefaultItem(popup, TRUE, 0), static_cast<UINT>(-1));
  EXPECT_TRUE(tray.SetDefaultMenuItem(ID_HELP, FALSE));
  EXPECT_EQ(::GetMenuDefaultItem(popup, FALSE, 0), static_cast<UINT>(ID_HELP));
}

TEST_F(SystemTrayTest, BasicMenuRemovesCpuInformationAndManualSelection) {
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  HMENU popup = tray.Popup();
  EXPECT_TRUE(tray.RemoveMenuCommand(ID_CPU_INFORMATION));
  EXPECT_TRUE(tray.RemoveMenuCommand(ID_MANUAL_SELECTION));
  EXPECT_FALSE(tray.RemoveMenuCommand(ID_MANUAL_SELECTION));  // gone already

  ASSERT_EQ(::GetMenuItemCount(popup), 8);
  EXPECT_EQ(::GetMenuItemID(popup, 3), static_cast<UINT>(ID_PROPERTIES));
  HMENU modes = ::GetSubMenu(popup, 2);
  ASSERT_NE(modes, nullptr);
  ASSERT_EQ(::GetMenuItemCount(modes), 2);
  EXPECT_EQ(ItemText(modes, 0, MF_BYPOSITION), "Per&formance");
  EXPECT_EQ(ItemText(modes, 1, MF_BYPOSITION), "&Economy");
  EXPECT_EQ(::GetMenuState(popup, ID_CPU_INFORMATION, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(SystemTrayTest, AdvancedMenuGetsSeparatorBeforeManualSelection) {
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  HMENU popup = tray.Popup();
  EXPECT_TRUE(tray.InsertMenuEntry(ID_MANUAL_SELECTION, MF_SEPARATOR));

  EXPECT_EQ(::GetMenuItemCount(popup), 9);
  HMENU modes = ::GetSubMenu(popup, 2);
  ASSERT_NE(modes, nullptr);
  ASSERT_EQ(::GetMenuItemCount(modes), 4);
  EXPECT_EQ(::GetMenuItemID(modes, 0), static_cast<UINT>(ID_PERFORMANCE));
  EXPECT_EQ(::GetMenuItemID(modes, 1), static_cast<UINT>(ID_ECONOMY));
  EXPECT_NE(::GetMenuState(modes, 2, MF_BYPOSITION) & MF_SEPARATOR, 0u);
  EXPECT_EQ(::GetMenuItemID(modes, 3), static_cast<UINT>(ID_MANUAL_SELECTION));
  EXPECT_EQ(ItemText(modes, 3, MF_BYPOSITION), "Manual &Selection...");
  EXPECT_EQ(ItemText(popup, ID_CPU_INFORMATION, MF_BYCOMMAND), "CPU &Information...");
}

TEST_F(SystemTrayTest, CheckKeepsTextAndTogglesMark) {
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  HMENU popup = tray.Popup();
  EXPECT_TRUE(tray.SetMenuCommandCheck(ID_PERFORMANCE, TRUE));
  EXPECT_EQ(ItemText(popup, ID_PERFORMANCE, MF_BYCOMMAND), "Per&formance");
  EXPECT_NE(::GetMenuState(popup, ID_PERFORMANCE, MF_BYCOMMAND) & MF_CHECKED, 0u);

  // The policy switch: old mark off, new mark on.
  EXPECT_TRUE(tray.SetMenuCommandCheck(ID_PERFORMANCE, FALSE));
  EXPECT_TRUE(tray.SetMenuCommandCheck(ID_ECONOMY, TRUE));
  EXPECT_EQ(::GetMenuState(popup, ID_PERFORMANCE, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_NE(::GetMenuState(popup, ID_ECONOMY, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(ItemText(popup, ID_ECONOMY, MF_BYCOMMAND), "&Economy");
  EXPECT_EQ(ItemText(popup, ID_PERFORMANCE, MF_BYCOMMAND), "Per&formance");

  // A check re-enables a greyed item.
  EXPECT_TRUE(tray.EnableMenuCommand(ID_ECONOMY, FALSE));
  EXPECT_TRUE(tray.SetMenuCommandCheck(ID_ECONOMY, TRUE));
  EXPECT_EQ(::GetMenuState(popup, ID_ECONOMY, MF_BYCOMMAND) & MF_GRAYED, 0u);

  EXPECT_FALSE(tray.SetMenuCommandCheck(4711, TRUE));  // no such command
}

TEST_F(SystemTrayTest, FirstItemTextFromResourceKeepsItsCommand) {
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  HMENU popup = tray.Popup();
  EXPECT_TRUE(tray.SetMenuItemTextFromResource(0, IDS_HIDE_MONITOR));
  EXPECT_EQ(::GetMenuItemID(popup, 0), static_cast<UINT>(ID_SHOW_HIDE));
  EXPECT_EQ(ItemText(popup, 0, MF_BYPOSITION), "&Hide Varistep Monitor");
  EXPECT_TRUE(tray.SetMenuItemTextFromResource(0, IDS_SHOW_MONITOR));
  EXPECT_EQ(ItemText(popup, 0, MF_BYPOSITION), "&Show Varistep Monitor");
  EXPECT_EQ(::GetMenuItemCount(popup), 9);

  // A missing string gives an empty text.
  EXPECT_TRUE(tray.SetMenuItemTextFromResource(8, 4711));
  EXPECT_EQ(::GetMenuItemID(popup, 8), static_cast<UINT>(ID_CLOSE));
  EXPECT_EQ(ItemText(popup, 8, MF_BYPOSITION), "");

  // Positions without a command (the sub-popup, past the end) rename nothing.
  EXPECT_FALSE(tray.SetMenuItemText(2, "x"));
  EXPECT_FALSE(tray.SetMenuItemText(40, "x"));
  EXPECT_EQ(ItemText(popup, 2, MF_BYPOSITION), "&Varistep Mode Selection");
  EXPECT_TRUE(tray.SetMenuItemText(0, nullptr));
  EXPECT_EQ(::GetMenuItemID(popup, 0), static_cast<UINT>(ID_SHOW_HIDE));
}

TEST_F(SystemTrayTest, EnableGreysAndRestores) {
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  HMENU popup = tray.Popup();
  for (UINT id : {ID_ABOUT, ID_CPU_INFORMATION, ID_PROPERTIES, ID_MANUAL_SELECTION}) {
    EXPECT_TRUE(tray.EnableMenuCommand(id, FALSE)) << id;
    EXPECT_NE(::GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED, 0u) << id;
    EXPECT_TRUE(tray.EnableMenuCommand(id, TRUE)) << id;
    EXPECT_EQ(::GetMenuState(popup, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED), 0u) << id;
  }
  EXPECT_FALSE(tray.EnableMenuCommand(4711, FALSE));
}

TEST_F(SystemTrayTest, SpeedIconsByResourceId) {
  ASSERT_NE(::FindResourceA(nullptr, MAKEINTRESOURCEA(IDI_SPEED_1), MAKEINTRESOURCEA(14)), nullptr);
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  ShellSeen().calls.clear();
  for (UINT id = IDI_SPEED_1; id <= IDI_SPEED_IDLE; ++id) {
    EXPECT_TRUE(tray.ChangeIconById(id)) << id;
    HICON expected = static_cast<HICON>(::LoadImageA(
        ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED));
    EXPECT_EQ(tray.IconData().hIcon, expected) << id;
  }
  EXPECT_EQ(ShellSeen().calls.size(), 8u);
  // Only the low 16 bits name the resource.
  EXPECT_TRUE(tray.ChangeIconById(0x10000u | IDI_APPLICATION_ICON));
  ICONINFO info = {};
  ASSERT_TRUE(::GetIconInfo(tray.IconData().hIcon, &info));
  BITMAP mask = {};
  ::GetObjectA(info.hbmMask, sizeof(mask), &mask);
  EXPECT_EQ(mask.bmWidth, 16);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
}

}  // namespace
