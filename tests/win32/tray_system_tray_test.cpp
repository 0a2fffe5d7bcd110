// The tray icon's life: creation with its tooltip, balloon and menu, icon changes, removal, the
// shell's refusals and the re-add once the taskbar is back.
#include <cstring>
#include <string>

#include "tray_fixture.h"

namespace {

using namespace tray_test;

TEST_F(SystemTrayTest, ConstructionSetsInitialValuesAndMakesNoWindow) {
  CSystemTray tray(TestShell(), WindowsXp);
  ExpectState(tray, TRUE, TRUE, FALSE);
  EXPECT_EQ(tray.Hwnd(), nullptr);
  EXPECT_EQ(tray.TrayMenu(), nullptr);
  EXPECT_EQ(tray.IconData().cbSize, Version2Size);
  NOTIFYICONDATAA zero;
  std::memset(&zero, 0, sizeof(zero));
  zero.cbSize = Version2Size;
  EXPECT_EQ(std::memcmp(&tray.IconData(), &zero, sizeof(zero)), 0);

  EXPECT_TRUE(tray.ExtendedShell());
  EXPECT_TRUE(ShellSeen().calls.empty());
  // The shell's abilities follow the Windows version it is given; a failed query reads as zeros.
  const struct {
    VersionFields windows;
    BOOL extended;
  } shells[] = {{support::Windows98, FALSE},
                {{2, 4, 0}, FALSE},
                {support::Windows2000, TRUE},
                {{0, 0, 0}, FALSE}};
  for (const auto& shell : shells) {
    CSystemTray old(TestShell(), shell.windows);
    EXPECT_EQ(old.ExtendedShell(), shell.extended)
        << shell.windows.platformId << "." << shell.windows.major;
  }
}

TEST_F(SystemTrayTest, MessagesRegisterOnceWithTheirSystemIds) {
  const UINT taskbarCreated = ui::TaskbarCreatedMessage();
  const UINT notify = ui::DefaultTrayNotifyMessage();
  ui::StartUp();
  EXPECT_EQ(ui::TaskbarCreatedMessage(), taskbarCreated);
  EXPECT_EQ(ui::DefaultTrayNotifyMessage(), notify);
  EXPECT_EQ(taskbarCreated, ::RegisterWindowMessageA("TaskbarCreated"));
  EXPECT_EQ(notify, ::RegisterWindowMessageA("CSystemTray::TrayNotify"));
  EXPECT_GE(notify, 0xC000u);
}

TEST_F(SystemTrayTest, CreationAddsIconWithTooltipAndLoadsMenu) {
  CSystemTray tray(TestShell(), WindowsXp);
  EXPECT_TRUE(CreateAsProgram(tray));
  ASSERT_NE(tray.Hwnd(), nullptr);
  // An invisible popup with no parent.
  EXPECT_FALSE(::IsWindowVisible(tray.Hwnd()));
  EXPECT_EQ(::GetWindowLongA(tray.Hwnd(), GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
  EXPECT_EQ(::GetAncestor(tray.Hwnd(), GA_PARENT), ::GetDesktopWindow());

  ASSERT_EQ(ShellSeen().calls.size(), 1u);
  const ShellCall& add = ShellSeen().calls[0];
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.cbSize, Version2Size);
  EXPECT_EQ(add.hWnd, tray.Hwnd());
  EXPECT_EQ(add.uID, 134u);
  EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(add.callback, 0x800Au);
  EXPECT_EQ(add.hIcon, IconA);
  EXPECT_EQ(add.tip, "Varistep Monitor");
  ExpectState(tray, FALSE, FALSE, FALSE);

  ASSERT_NE(tray.TrayMenu(), nullptr);
  HMENU popup = tray.Popup();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(::GetMenuItemCount(popup), 9);
  EXPECT_EQ(::GetMenuItemID(popup, 0), static_cast<UINT>(ID_SHOW_HIDE));
  EXPECT_EQ(ItemText(popup, 0, MF_BYPOSITION), "&Show Varistep Monitor");
}

TEST_F(SystemTrayTest, CreationWithoutTooltipLeavesTipFlagOut) {
  for (const char* tip : {static_cast<const char*>(nullptr), ""}) {
    SCOPED_TRACE(tip == nullptr ? "no tooltip" : "empty tooltip");
    support::ResetShell();
    CSystemTray tray(TestShell(), WindowsXp);
    EXPECT_TRUE(tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, tip, IconA, 134));
    ASSERT_EQ(ShellSeen().calls.size(), 1u);
    EXPECT_EQ(ShellSeen().calls[0].uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(ShellSeen().calls[0].tip, "");
  }
}

TEST_F(SystemTrayTest, LongTooltipCutTo127BytesAndTerminated) {
  CSystemTray tray(TestShell(), WindowsXp);
  const std::string tooltip(200, 'T');
  EXPECT_TRUE(tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, tooltip.c_str(), IconA, 134));
  const NOTIFYICONDATAA& data = tray.IconData();
  EXPECT_EQ(std::string(data.szTip), std::string(127, 'T'));
  EXPECT_EQ(data.szTip[127], '\0');
  ASSERT_EQ(ShellSeen().calls.size(), 1u);
  EXPECT_EQ(ShellSeen().calls[0].tip.size(), 127u);
}

TEST_F(SystemTrayTest, ZeroCallbackUsesTheRegisteredDefaultAndParentReceivesNotifications) {
  CommandSink parent;
  ASSERT_TRUE(parent.HasWindow());
  CSystemTray tray(TestShell(), WindowsXp);
  EXPECT_TRUE(tray.CreateTrayIcon(parent.Hwnd(), 0, "tip", IconA, 134));
  ASSERT_EQ(ShellSeen().calls.size(), 1u);
  EXPECT_EQ(ShellSeen().calls[0].callback, ui::DefaultTrayNotifyMessage());
  EXPECT_EQ(ShellSeen().calls[0].hWnd, parent.Hwnd());
  EXPECT_NE(tray.Hwnd(), nullptr);
}

TEST_F(SystemTrayTest, BalloonShowsOnceAndHiddenStartUsesIconState) {
  CSystemTray tray(TestShell(), WindowsXp);
  EXPECT_TRUE(tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, "tip", IconA, 134, TRUE,
                                  "Hello", "Title", NIIF_INFO, 7));
  ASSERT_EQ(ShellSeen().calls.size(), 1u);
  const ShellCall& add = ShellSeen().calls[0];
  EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO | NIF_STATE));
  EXPECT_EQ(add.info, "Hello");
  EXPECT_EQ(add.infoTitle, "Title");
  EXPECT_EQ(add.timeout, 7000u);
  EXPECT_EQ(add.dwState, static_cast<DWORD>(NIS_HIDDEN));
  EXPECT_EQ(add.dwStateMask, static_cast<DWORD>(NIS_HIDDEN));
  // The add succeeded, so the icon counts as registered and showing.
  ExpectState(tray, FALSE, FALSE, FALSE);
  // The balloon text is spent; the flag stays.
  EXPECT_EQ(tray.IconData().szInfo[0], '\0');
  EXPECT_NE(tray.IconData().uFlags & NIF_INFO, 0u);

  EXPECT_TRUE(tray.ChangeIcon(IconB));
  ASSERT_EQ(ShellSeen().calls.size(), 2u);
  EXPECT_EQ(ShellSeen().calls[1].info, "");
}

TEST_F(SystemTrayTest, NullIconAndIdZeroChangeNothing) {
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  NOTIFYICONDATAA before = tray.IconData();
  ShellSeen().calls.clear();

  EXPECT_FALSE(tray.ChangeIcon(nullptr));
  EXPECT_FALSE(tray.ChangeIconById(0));
  EXPECT_FALSE(tray.ChangeIconById(0x10000));  // only the low 16 bits count
  EXPECT_FALSE(tray.ChangeIconByName(nullptr));
  EXPECT_FALSE(tray.ChangeIconById(9999));  // no such icon resource

  EXPECT_EQ(std::memcmp(&tray.IconData(), &before, sizeof(before)), 0);
  EXPECT_TRUE(ShellSeen().calls.empty());
  ExpectState(tray, FALSE, FALSE, FALSE);
}

TEST_F(SystemTrayTest, IconModifyCarriesOnlyTheIconAndRestoresFlags) {
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  ShellSeen().calls.clear();

  EXPECT_TRUE(tray.ChangeIcon(IconB));
  ASSERT_EQ(ShellSeen().calls.size(), 1u);
  EXPECT_EQ(ShellSeen().calls[0].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(ShellSeen().calls[0].uFlags, static_cast<UINT>(NIF_ICON));
  EXPECT_EQ(ShellSeen().calls[0].hIcon, IconB);
  EXPECT_EQ(tray.IconData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(tray.IconData().hIcon, IconB);

  // A refused modify: its result comes back, the state stays, the handle stays recorded.
  ShellSeen().refuseModify = true;
  EXPECT_FALSE(tray.ChangeIcon(IconC));
  EXPECT_EQ(tray.IconData().hIcon, IconC);
  EXPECT_EQ(tray.IconData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  ExpectState(tray, FALSE, FALSE, FALSE);
}

TEST_F(SystemTrayTest, RemoveTwiceCallsTheShellOnce) {
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  ShellSeen().calls.clear();

  EXPECT_TRUE(tray.RemoveTrayIcon());
  ASSERT_EQ(ShellSeen().calls.size(), 1u);
  EXPECT_EQ(ShellSeen().calls[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(ShellSeen().calls[0].uFlags, 0u);
  EXPECT_EQ(ShellSeen().calls[0].uID, 134u);
  EXPECT_EQ(tray.IconData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  ExpectState(tray, TRUE, TRUE, FALSE);

  EXPECT_TRUE(tray.RemoveTrayIcon());
  EXPECT_EQ(ShellSeen().calls.size(), 1u);

  // A removed icon is not brought back by a re-add message.
  ::SendMessageA(tray.Hwnd(), ui::TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(ShellSeen().calls.size(), 1u);
}

TEST_F(SystemTrayTest, RefusedDeleteIsReportedAndTriedAgain) {
  CSystemTray tray(TestShell(), WindowsXp);
  ASSERT_TRUE(CreateAsProgram(tray));
  ShellSeen().refuseDelete = true;
  EXPECT_FALSE(tray.RemoveTrayIcon());
  ExpectState(tray, FALSE, FALSE, FALSE);
  ShellSeen().refuseDelete = false;
  EXPECT_TRUE(tray.RemoveTrayIcon());
  ExpectState(tray, TRUE, TRUE, FALSE);
  EXPECT_EQ(ShellSeen().calls.size(), 3u);
}

TEST_F(SystemTrayTest, FailedAddRecordsIconChangesUntilTaskbarCreated) {
  CSystemTray tray(TestShell(), WindowsXp);
  ShellSeen().taskbarUp = false;
  EXPECT_FALSE(CreateAsProgram(tray));
  ExpectState(tray, TRUE, TRUE, TRUE);
  // The menu is there all the same.
  EXPECT_NE(tray.Popup(), nullptr);
  ASSERT_EQ(ShellSeen().calls.size(), 1u);

  EXPECT_TRUE(tray.ChangeIcon(IconB));
  EXPECT_TRUE(tray.ChangeIcon(IconC));
  EXPECT_EQ(ShellSeen().calls.size(), 1u);
  ExpectState(tray, TRUE, TRUE, TRUE);

  // Still down: the broadcast's add fails and the icon keeps waiting.
  EXPECT_EQ(::SendMessageA(tray.Hwnd(), ui::TaskbarCreatedMessage(), 0, 0), 0);
  ExpectState(tray, TRUE, TRUE, TRUE);

  ShellSeen().taskbarUp = true;
  EXPECT_EQ(::SendMessageA(tray.Hwnd(), ui::TaskbarCreatedMessage(), 0, 0), 1);
  ASSERT_EQ(ShellSeen().calls.size(), 3u);
  const ShellCall& add = ShellSeen().calls[2];
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.hIcon, IconC);
  EXPECT_EQ(add.tip, "Varistep Monitor");
  EXPECT_EQ(add.callback, 0x800Au);
  EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  ExpectState(tray, FALSE, FALSE, FALSE);
}

TEST_F(SystemTrayTest, WorkAreaChangeWhileShowingSetsPendingAndDestructionStillDeletes) {
  {
    CSystemTray tray(TestShell(), WindowsXp);
    ASSERT_TRUE(CreateAsProgram(tray));
    ShellSeen().calls.clear();

    // Other setting changes leave the shell alone.
    ::SendMessageA(tray.Hwnd(), WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_TRUE(ShellSeen().calls.empty());

    ::SendMessageA(tray.Hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    ASSERT_EQ(ShellSeen().calls.size(), 1u);
    EXPECT_EQ(ShellSeen().calls[0].message, static_cast<DWORD>(NIM_ADD));
    ExpectState(tray, FALSE, FALSE, TRUE);
    ShellSeen().calls.clear();
  }
  ASSERT_EQ(ShellSeen().calls.size(), 1u);
  EXPECT_EQ(ShellSeen().calls[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_FALSE(ShellSeen().registered);
}

TEST_F(SystemTrayTest, DestructionAfterFailedAddMakesNoDelete) {
  {
    CSystemTray tray(TestShell(), WindowsXp);
    ShellSeen().taskbarUp = false;
    EXPECT_FALSE(CreateAsProgram(tray));
    ShellSeen().calls.clear();
  }
  EXPECT_TRUE(ShellSeen().calls.empty());
}

TEST_F(SystemTrayTest, DestructionRemovesIconMenuAndWindow) {
  HWND window = nullptr;
  HMENU menu = nullptr;
  {
    CSystemTray tray(TestShell(), WindowsXp);
    ASSERT_TRUE(CreateAsProgram(tray));
    window = tray.Hwnd();
    menu = tray.TrayMenu();
  }
  EXPECT_FALSE(ShellSeen().registered);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_FALSE(::IsMenu(menu));
}

}  // namespace
