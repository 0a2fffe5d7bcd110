// The tray icon manager against a fake shell that records every call and behaves like the real
// notification area: an add fails while the taskbar is down or when the icon is already there,
// and a modify or delete needs a registered icon.
#include "ui/StartUp.h"
#include "tray/SystemTray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource.h"
#include "ui/App.h"

namespace {

using tray::CSystemTray;

// The version-2 record's size, pinned per target.
constexpr DWORD kVersion2Size = sizeof(void*) == 8 ? 504 : 488;

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

struct FakeShell {
  bool taskbarUp = true;
  bool refuseDelete = false;
  bool refuseModify = false;
  bool registered = false;
  std::vector<ShellCall> calls;
};

FakeShell g_shell;

BOOL FakeNotify(DWORD message, NOTIFYICONDATAA* data) {
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
  g_shell.calls.push_back(call);

  if (!g_shell.taskbarUp) return FALSE;
  switch (message) {
    case NIM_ADD:
      if (g_shell.registered) return FALSE;
      g_shell.registered = true;
      return TRUE;
    case NIM_MODIFY:
      return g_shell.registered && !g_shell.refuseModify;
    case NIM_DELETE:
      if (!g_shell.registered || g_shell.refuseDelete) return FALSE;
      g_shell.registered = false;
      return TRUE;
    default:
      return FALSE;
  }
}

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

const HICON kIconA = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
const HICON kIconB = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32516));  // IDI_INFORMATION
const HICON kIconC = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32515));  // IDI_WARNING

class SystemTrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_shell = FakeShell();
    CSystemTray::SetShellNotify(&FakeNotify);
    ui::StartUp();
    ASSERT_NE(kIconA, nullptr);
    ASSERT_NE(kIconB, nullptr);
    ASSERT_NE(kIconA, kIconB);
  }
  void TearDown() override { CSystemTray::SetShellNotify(nullptr); }

  // The program's own creation call.
  static BOOL CreateAsProgram(CSystemTray& tray, HICON icon = kIconA) {
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

TEST_F(SystemTrayTest, ConstructionSetsInitialValuesAndMakesNoWindow) {
  CSystemTray tray;
  ExpectState(tray, TRUE, TRUE, FALSE);
  EXPECT_EQ(tray.Hwnd(), nullptr);
  EXPECT_EQ(tray.TrayMenu(), nullptr);
  EXPECT_EQ(tray.IconData().cbSize, kVersion2Size);
  NOTIFYICONDATAA zero;
  std::memset(&zero, 0, sizeof(zero));
  zero.cbSize = kVersion2Size;
  EXPECT_EQ(std::memcmp(&tray.IconData(), &zero, sizeof(zero)), 0);

  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  ASSERT_TRUE(::GetVersionExA(&version));
  const BOOL expected =
      version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5 ? TRUE : FALSE;
  EXPECT_EQ(tray.ExtendedShell(), expected);
  EXPECT_TRUE(g_shell.calls.empty());
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
  CSystemTray tray;
  EXPECT_TRUE(CreateAsProgram(tray));
  ASSERT_NE(tray.Hwnd(), nullptr);
  // An invisible popup with no parent.
  EXPECT_FALSE(::IsWindowVisible(tray.Hwnd()));
  EXPECT_EQ(::GetWindowLongA(tray.Hwnd(), GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
  EXPECT_EQ(::GetAncestor(tray.Hwnd(), GA_PARENT), ::GetDesktopWindow());

  ASSERT_EQ(g_shell.calls.size(), 1u);
  const ShellCall& add = g_shell.calls[0];
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.cbSize, kVersion2Size);
  EXPECT_EQ(add.hWnd, tray.Hwnd());
  EXPECT_EQ(add.uID, 134u);
  EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(add.callback, 0x800Au);
  EXPECT_EQ(add.hIcon, kIconA);
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
  {
    CSystemTray tray;
    EXPECT_TRUE(tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, nullptr, kIconA, 134));
    ASSERT_EQ(g_shell.calls.size(), 1u);
    EXPECT_EQ(g_shell.calls[0].uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(g_shell.calls[0].tip, "");
  }
  g_shell = FakeShell();
  {
    CSystemTray tray;
    EXPECT_TRUE(tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, "", kIconA, 134));
    ASSERT_EQ(g_shell.calls.size(), 1u);
    EXPECT_EQ(g_shell.calls[0].uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
  }
}

TEST_F(SystemTrayTest, LongTooltipCutTo127BytesAndTerminated) {
  CSystemTray tray;
  const std::string tooltip(200, 'T');
  EXPECT_TRUE(tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, tooltip.c_str(), kIconA, 134));
  const NOTIFYICONDATAA& data = tray.IconData();
  EXPECT_EQ(std::string(data.szTip), std::string(127, 'T'));
  EXPECT_EQ(data.szTip[127], '\0');
  ASSERT_EQ(g_shell.calls.size(), 1u);
  EXPECT_EQ(g_shell.calls[0].tip.size(), 127u);
}

TEST_F(SystemTrayTest, ZeroCallbackUsesTheRegisteredDefaultAndParentReceivesNotifications) {
  CommandSink parent;
  ASSERT_TRUE(parent.HasWindow());
  CSystemTray tray;
  EXPECT_TRUE(tray.CreateTrayIcon(parent.Hwnd(), 0, "tip", kIconA, 134));
  ASSERT_EQ(g_shell.calls.size(), 1u);
  EXPECT_EQ(g_shell.calls[0].callback, ui::DefaultTrayNotifyMessage());
  EXPECT_EQ(g_shell.calls[0].hWnd, parent.Hwnd());
  EXPECT_NE(tray.Hwnd(), nullptr);
}

TEST_F(SystemTrayTest, BalloonShowsOnceAndHiddenStartUsesIconState) {
  CSystemTray tray;
  if (!tray.ExtendedShell()) GTEST_SKIP() << "balloons need an NT 5 shell";
  EXPECT_TRUE(tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, "tip", kIconA, 134, TRUE,
                                  "Hello", "Title", NIIF_INFO, 7));
  ASSERT_EQ(g_shell.calls.size(), 1u);
  const ShellCall& add = g_shell.calls[0];
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

  EXPECT_TRUE(tray.ChangeIcon(kIconB));
  ASSERT_EQ(g_shell.calls.size(), 2u);
  EXPECT_EQ(g_shell.calls[1].info, "");
}

TEST_F(SystemTrayTest, NullIconAndIdZeroChangeNothing) {
  CSystemTray tray;
  ASSERT_TRUE(CreateAsProgram(tray));
  NOTIFYICONDATAA before = tray.IconData();
  g_shell.calls.clear();

  EXPECT_FALSE(tray.ChangeIcon(nullptr));
  EXPECT_FALSE(tray.ChangeIconById(0));
  EXPECT_FALSE(tray.ChangeIconById(0x10000));  // only the low 16 bits count
  EXPECT_FALSE(tray.ChangeIconByName(nullptr));
  EXPECT_FALSE(tray.ChangeIconById(9999));  // no such icon resource

  EXPECT_EQ(std::memcmp(&tray.IconData(), &before, sizeof(before)), 0);
  EXPECT_TRUE(g_shell.calls.empty());
  ExpectState(tray, FALSE, FALSE, FALSE);
}

TEST_F(SystemTrayTest, IconModifyCarriesOnlyTheIconAndRestoresFlags) {
  CSystemTray tray;
  ASSERT_TRUE(CreateAsProgram(tray));
  g_shell.calls.clear();

  EXPECT_TRUE(tray.ChangeIcon(kIconB));
  ASSERT_EQ(g_shell.calls.size(), 1u);
  EXPECT_EQ(g_shell.calls[0].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(g_shell.calls[0].uFlags, static_cast<UINT>(NIF_ICON));
  EXPECT_EQ(g_shell.calls[0].hIcon, kIconB);
  EXPECT_EQ(tray.IconData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(tray.IconData().hIcon, kIconB);

  // A refused modify: its result comes back, the state stays, the handle stays recorded.
  g_shell.refuseModify = true;
  EXPECT_FALSE(tray.ChangeIcon(kIconC));
  EXPECT_EQ(tray.IconData().hIcon, kIconC);
  EXPECT_EQ(tray.IconData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  ExpectState(tray, FALSE, FALSE, FALSE);
}

TEST_F(SystemTrayTest, RemoveTwiceCallsTheShellOnce) {
  CSystemTray tray;
  ASSERT_TRUE(CreateAsProgram(tray));
  g_shell.calls.clear();

  EXPECT_TRUE(tray.RemoveTrayIcon());
  ASSERT_EQ(g_shell.calls.size(), 1u);
  EXPECT_EQ(g_shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(g_shell.calls[0].uFlags, 0u);
  EXPECT_EQ(g_shell.calls[0].uID, 134u);
  EXPECT_EQ(tray.IconData().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  ExpectState(tray, TRUE, TRUE, FALSE);

  EXPECT_TRUE(tray.RemoveTrayIcon());
  EXPECT_EQ(g_shell.calls.size(), 1u);

  // A removed icon is not brought back by a re-add message.
  ::SendMessageA(tray.Hwnd(), ui::TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(g_shell.calls.size(), 1u);
}

TEST_F(SystemTrayTest, RefusedDeleteIsReportedAndTriedAgain) {
  CSystemTray tray;
  ASSERT_TRUE(CreateAsProgram(tray));
  g_shell.refuseDelete = true;
  EXPECT_FALSE(tray.RemoveTrayIcon());
  ExpectState(tray, FALSE, FALSE, FALSE);
  g_shell.refuseDelete = false;
  EXPECT_TRUE(tray.RemoveTrayIcon());
  ExpectState(tray, TRUE, TRUE, FALSE);
  EXPECT_EQ(g_shell.calls.size(), 3u);
}

TEST_F(SystemTrayTest, FailedAddRecordsIconChangesUntilTaskbarCreated) {
  CSystemTray tray;
  g_shell.taskbarUp = false;
  EXPECT_FALSE(CreateAsProgram(tray));
  ExpectState(tray, TRUE, TRUE, TRUE);
  // The menu is there all the same.
  EXPECT_NE(tray.Popup(), nullptr);
  ASSERT_EQ(g_shell.calls.size(), 1u);

  EXPECT_TRUE(tray.ChangeIcon(kIconB));
  EXPECT_TRUE(tray.ChangeIcon(kIconC));
  EXPECT_EQ(g_shell.calls.size(), 1u);
  ExpectState(tray, TRUE, TRUE, TRUE);

  // Still down: the broadcast's add fails and the icon keeps waiting.
  EXPECT_EQ(::SendMessageA(tray.Hwnd(), ui::TaskbarCreatedMessage(), 0, 0), 0);
  ExpectState(tray, TRUE, TRUE, TRUE);

  g_shell.taskbarUp = true;
  EXPECT_EQ(::SendMessageA(tray.Hwnd(), ui::TaskbarCreatedMessage(), 0, 0), 1);
  ASSERT_EQ(g_shell.calls.size(), 3u);
  const ShellCall& add = g_shell.calls[2];
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.hIcon, kIconC);
  EXPECT_EQ(add.tip, "Varistep Monitor");
  EXPECT_EQ(add.callback, 0x800Au);
  EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  ExpectState(tray, FALSE, FALSE, FALSE);
}

TEST_F(SystemTrayTest, WorkAreaChangeWhileShowingSetsPendingAndDestructionStillDeletes) {
  {
    CSystemTray tray;
    ASSERT_TRUE(CreateAsProgram(tray));
    g_shell.calls.clear();

    // Other setting changes leave the shell alone.
    ::SendMessageA(tray.Hwnd(), WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_TRUE(g_shell.calls.empty());

    ::SendMessageA(tray.Hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    ASSERT_EQ(g_shell.calls.size(), 1u);
    EXPECT_EQ(g_shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
    ExpectState(tray, FALSE, FALSE, TRUE);
    g_shell.calls.clear();
  }
  ASSERT_EQ(g_shell.calls.size(), 1u);
  EXPECT_EQ(g_shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_FALSE(g_shell.registered);
}

TEST_F(SystemTrayTest, DestructionAfterFailedAddMakesNoDelete) {
  {
    CSystemTray tray;
    g_shell.taskbarUp = false;
    EXPECT_FALSE(CreateAsProgram(tray));
    g_shell.calls.clear();
  }
  EXPECT_TRUE(g_shell.calls.empty());
}

TEST_F(SystemTrayTest, DestructionRemovesIconMenuAndWindow) {
  HWND window = nullptr;
  HMENU menu = nullptr;
  {
    CSystemTray tray;
    ASSERT_TRUE(CreateAsProgram(tray));
    window = tray.Hwnd();
    menu = tray.TrayMenu();
  }
  EXPECT_FALSE(g_shell.registered);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_FALSE(::IsMenu(menu));
}

TEST_F(SystemTrayTest, NotificationForAnotherIconOrWithoutTargetIsNotHandled) {
  CommandSink sink;
  CSystemTray tray;
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
  CSystemTray tray;
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
  CSystemTray tray;
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
  CSystemTray tray;
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
  CSystemTray tray;
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
  CSystemTray tray;
  // No menu resource 4242: the icon is added, the menu stays empty.
  EXPECT_TRUE(tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, "tip", kIconA, 4242));
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
  CSystemTray tray;
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
  CSystemTray tray;
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
  CSystemTray tray;
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
  CSystemTray tray;
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
  CSystemTray tray;
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
  CSystemTray tray;
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
  if (::FindResourceA(nullptr, MAKEINTRESOURCEA(IDI_SPEED_1), MAKEINTRESOURCEA(14)) == nullptr) {
    GTEST_SKIP() << "speed icons are not in the resources yet";
  }
  CSystemTray tray;
  ASSERT_TRUE(CreateAsProgram(tray));
  g_shell.calls.clear();
  for (UINT id = IDI_SPEED_1; id <= IDI_SPEED_IDLE; ++id) {
    EXPECT_TRUE(tray.ChangeIconById(id)) << id;
    HICON expected = static_cast<HICON>(::LoadImageA(
        ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED));
    EXPECT_EQ(tray.IconData().hIcon, expected) << id;
  }
  EXPECT_EQ(g_shell.calls.size(), 8u);
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
