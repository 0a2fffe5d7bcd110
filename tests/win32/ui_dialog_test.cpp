// The dialog framework on real dialog templates: message tables and chaining, message results,
// default processing, modeless and modal runs, owners, the init hook and start-up.
#include "ui/Dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/App.h"
#include "ui/StartUp.h"
#include "support/TestShell.h"
#include "support/TestSupport.h"

namespace {

// Runs the hook at the end of every WM_INITDIALOG of a dialog made with the tests' shell.
class InitHookGuard {
 public:
  explicit InitHookGuard(void (*hook)(ui::Dialog&)) { support::ShellSeen().onDialog = hook; }
  ~InitHookGuard() { support::ShellSeen().onDialog = nullptr; }
};

constexpr UINT PowerLike = WM_APP + 5;
constexpr UINT NotifyId = 1234;
constexpr UINT NotifyCode = 77;

// A dialog whose table records which handler saw what.
class TableDialog : public ui::Dialog {
 public:
  TableDialog() : ui::Dialog(IDD_MANUALSELECTION, nullptr, &support::TestShell()) {}

  std::vector<std::string> calls;
  BOOL swallowSetText = FALSE;
  HICON dragIcon = nullptr;
  int initCount = 0;

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  BOOL OnInitDialog() override {
    ++initCount;
    return ui::Dialog::OnInitDialog();
  }

 private:
  INT_PTR OnMaxChange(WPARAM, LPARAM) {
    calls.push_back("max selchange");
    return TRUE;
  }
  INT_PTR OnLockMax(WPARAM, LPARAM) {
    calls.push_back("table lock max");
    return TRUE;
  }
  INT_PTR OnNotify(WPARAM, LPARAM lParam) {
    calls.push_back("notify " + std::to_string(reinterpret_cast<NMHDR*>(lParam)->idFrom));
    SetMessageResult(55);
    return TRUE;
  }
  INT_PTR OnSetText(WPARAM, LPARAM) {
    calls.push_back("settext");
    return swallowSetText;
  }
  INT_PTR OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<INT_PTR>(dragIcon); }
  INT_PTR OnPowerLike(WPARAM, LPARAM) {
    SetMessageResult(0x1234);
    return TRUE;
  }
  INT_PTR OnClose(WPARAM, LPARAM) {
    calls.push_back("close");
    return FALSE;
  }

  static const ui::MessageEntry<TableDialog> Messages[];
};

const ui::MessageEntry<TableDialog> TableDialog::Messages[] = {
    {WM_COMMAND, IDC_MAX_COMBO, CBN_SELCHANGE, &TableDialog::OnMaxChange},
    {WM_COMMAND, IDC_LOCK_MAX, BN_CLICKED, &TableDialog::OnLockMax},
    // Another id runs the standard confirm handling, as buttons with other ids than IDOK do.
    {WM_COMMAND, IDC_LOCK_MIN, BN_CLICKED, &TableDialog::OkCommand},
    {WM_NOTIFY, NotifyId, NotifyCode, &TableDialog::OnNotify},
    {WM_SETTEXT, 0, 0, &TableDialog::OnSetText},
    {WM_QUERYDRAGICON, 0, 0, &TableDialog::OnQueryDragIcon},
    {PowerLike, 0, 0, &TableDialog::OnPowerLike},
    {WM_CLOSE, 0, 0, &TableDialog::OnClose},
};

INT_PTR TableDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  INT_PTR result = ui::RouteMessage(*this, Messages, message, wParam, lParam, handled);
  return handled ? result : ui::Dialog::HandleMessage(message, wParam, lParam, handled);
}

// A class below TableDialog: its own row for a command wins, the rest go up the chain.
class DerivedTableDialog : public TableDialog {
 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  INT_PTR OnLockMax(WPARAM, LPARAM) {
    calls.push_back("derived lock max");
    return TRUE;
  }
  static const ui::MessageEntry<DerivedTableDialog> Messages[];
};

const ui::MessageEntry<DerivedTableDialog> DerivedTableDialog::Messages[] = {
    {WM_COMMAND, IDC_LOCK_MAX, BN_CLICKED, &DerivedTableDialog::OnLockMax},
};

INT_PTR DerivedTableDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                          bool& handled) {
  INT_PTR result = ui::RouteMessage(*this, Messages, message, wParam, lParam, handled);
  return handled ? result : TableDialog::HandleMessage(message, wParam, lParam, handled);
}

LRESULT SendCommand(const ui::Dialog& dialog, int id, WORD code) {
  return ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(id, code),
                        reinterpret_cast<LPARAM>(::GetDlgItem(dialog.Hwnd(), id)));
}

LRESULT SendNotify(const ui::Dialog& dialog, UINT_PTR id, UINT code) {
  NMHDR header = {};
  header.hwndFrom = dialog.Hwnd();
  header.idFrom = id;
  header.code = code;
  return ::SendMessageA(dialog.Hwnd(), WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
}

TEST(UiDialogTable, CommandsMatchOnIdAndNotificationCode) {
  TableDialog dialog;
  ASSERT_TRUE(dialog.Create());
  SendCommand(dialog, IDC_MAX_COMBO, CBN_SELCHANGE);
  SendCommand(dialog, IDC_MAX_COMBO, CBN_DROPDOWN);   // other code: no row
  SendCommand(dialog, IDC_MIN_COMBO, CBN_SELCHANGE);  // other id: no row
  SendCommand(dialog, IDC_LOCK_MAX, BN_CLICKED);
  EXPECT_EQ(dialog.calls, (std::vector<std::string>{"max selchange", "table lock max"}));
  EXPECT_TRUE(dialog.HasWindow());
}

TEST(UiDialogTable, NotifyMatchesOnSenderIdAndCodeAndGivesItsResult) {
  TableDialog dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(SendNotify(dialog, NotifyId, NotifyCode), 55);
  EXPECT_EQ(SendNotify(dialog, NotifyId, NotifyCode + 1), 0);
  EXPECT_EQ(SendNotify(dialog, NotifyId + 1, NotifyCode), 0);
  EXPECT_EQ(dialog.calls, (std::vector<std::string>{"notify 1234"}));
}

TEST(UiDialogTable, MessageResultsGoThroughSetMessageResultOrDirectly) {
  TableDialog dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(::SendMessageA(dialog.Hwnd(), PowerLike, 0, 0), 0x1234);
  dialog.dragIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SPEED_3));
  ASSERT_NE(dialog.dragIcon, nullptr);
  EXPECT_EQ(::SendMessageA(dialog.Hwnd(), WM_QUERYDRAGICON, 0, 0),
            reinterpret_cast<LRESULT>(dialog.dragIcon));
}

TEST(UiDialogTable, FalseFromAHandlerLeavesTheMessageToTheDialogManager) {
  TableDialog dialog;
  ASSERT_TRUE(dialog.Create());
  dialog.swallowSetText = FALSE;
  ::SetWindowTextA(dialog.Hwnd(), "changed");
  char text[64] = {};
  ::GetWindowTextA(dialog.Hwnd(), text, sizeof text);
  EXPECT_STREQ(text, "changed");

  dialog.swallowSetText = TRUE;
  ::SetWindowTextA(dialog.Hwnd(), "kept out");
  ::GetWindowTextA(dialog.Hwnd(), text, sizeof text);
  EXPECT_STREQ(text, "changed");

  // WM_CLOSE's handler returns FALSE: the dialog manager turns it into Cancel.
  ::SendMessageA(dialog.Hwnd(), WM_CLOSE, 0, 0);
  support::Pump();
  EXPECT_FALSE(dialog.HasWindow());
  EXPECT_EQ(dialog.Result(), IDCANCEL);
  EXPECT_EQ(dialog.calls.back(), "close");
}

TEST(UiDialogTable, DerivedRowsWinAndEverythingElseChainsToTheBases) {
  DerivedTableDialog dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(dialog.initCount, 1);  // WM_INITDIALOG went all the way to ui::Dialog
  SendCommand(dialog, IDC_LOCK_MAX, BN_CLICKED);
  SendCommand(dialog, IDC_MAX_COMBO, CBN_SELCHANGE);
  EXPECT_EQ(dialog.calls, (std::vector<std::string>{"derived lock max", "max selchange"}));
  SendCommand(dialog, IDOK, BN_CLICKED);
  EXPECT_FALSE(dialog.HasWindow());
  EXPECT_EQ(dialog.Result(), IDOK);
}

TEST(UiDialogTable, StandardHandlersCanBeMappedToOtherIds) {
  TableDialog dialog;
  ASSERT_TRUE(dialog.Create());
  SendCommand(dialog, IDC_LOCK_MIN, BN_CLICKED);
  EXPECT_FALSE(dialog.HasWindow());
  EXPECT_EQ(dialog.Result(), IDOK);
}

TEST(UiDialogModeless, CreateEndAndDestroy) {
  TableDialog dialog;
  EXPECT_EQ(dialog.TemplateId(), IDD_MANUALSELECTION);
  EXPECT_EQ(dialog.Result(), 0);
  ASSERT_TRUE(dialog.Create());
  HWND hwnd = dialog.Hwnd();
  EXPECT_TRUE(::IsWindow(hwnd));
  EXPECT_FALSE(dialog.Create());  // one window at a time
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(::GetWindow(hwnd, GW_OWNER), nullptr);

  dialog.EndDialog(7);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(dialog.Hwnd(), nullptr);
  EXPECT_EQ(dialog.Result(), 7);
  EXPECT_FALSE(dialog.UpdateData(false));

  // The same object can make its window again.
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(dialog.Result(), 0);

  // A live modeless window goes with its object.
  {
    TableDialog shortLived;
    ASSERT_TRUE(shortLived.Create());
    hwnd = shortLived.Hwnd();
  }
  EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(UiDialogModeless, EscapeAndCloseBoxReachCancel) {
  TableDialog dialog;
  ASSERT_TRUE(dialog.Create());
  MSG escape = {dialog.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
  EXPECT_TRUE(::IsDialogMessageA(dialog.Hwnd(), &escape));
  EXPECT_FALSE(dialog.HasWindow());
  EXPECT_EQ(dialog.Result(), IDCANCEL);

  ui::Dialog plain(IDD_ABOUTBOX, nullptr);
  ASSERT_TRUE(plain.Create());
  ::SendMessageA(plain.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  support::Pump();
  EXPECT_FALSE(plain.HasWindow());
  EXPECT_EQ(plain.Result(), IDCANCEL);
}

// Records what the init hook saw.
struct InitSeen {
  int count = 0;
  int templateId = 0;
  bool hadWindow = false;
  int initCountAtHook = 0;
};
InitSeen g_seen;

TEST(UiDialogModeless, InitHookRunsAfterTheDialogsOwnInitialisation) {
  g_seen = InitSeen();
  InitHookGuard guard([](ui::Dialog& dialog) {
    ++g_seen.count;
    g_seen.templateId = dialog.TemplateId();
    g_seen.hadWindow = dialog.HasWindow();
    g_seen.initCountAtHook = static_cast<TableDialog&>(dialog).initCount;
  });
  TableDialog dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(g_seen.count, 1);
  EXPECT_EQ(g_seen.templateId, IDD_MANUALSELECTION);
  EXPECT_TRUE(g_seen.hadWindow);
  EXPECT_EQ(g_seen.initCountAtHook, 1);
}

// Modal runs end from the init hook by posting what a user would do.
UINT g_endMessage = 0;
WPARAM g_endParam = 0;
HWND g_modalOwner = nullptr;
bool g_ownerDisabled = false;

void EndFromHook(ui::Dialog& dialog) {
  g_modalOwner = ::GetWindow(dialog.Hwnd(), GW_OWNER);
  g_ownerDisabled = g_modalOwner != nullptr && !::IsWindowEnabled(g_modalOwner);
  ::PostMessageA(dialog.Hwnd(), g_endMessage, g_endParam, 0);
}

INT_PTR RunModal(ui::Dialog& dialog, UINT message, WPARAM wParam) {
  g_endMessage = message;
  g_endParam = wParam;
  g_modalOwner = reinterpret_cast<HWND>(1);
  InitHookGuard guard(&EndFromHook);
  return dialog.DoModal();
}

class MainWindowGuard {
 public:
  explicit MainWindowGuard(HWND hwnd) : previous_(ui::MainWindow()) { ui::SetMainWindow(hwnd); }
  ~MainWindowGuard() { ui::SetMainWindow(previous_); }

 private:
  HWND previous_;
};

TEST(UiDialogModal, EndsWithTheResultOfOkCancelAndEndDialog) {
  MainWindowGuard noMain(nullptr);
  TableDialog dialog;
  EXPECT_EQ(RunModal(dialog, WM_COMMAND, IDOK), IDOK);
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(dialog.Hwnd(), nullptr);
  EXPECT_EQ(RunModal(dialog, WM_COMMAND, IDCANCEL), IDCANCEL);
  EXPECT_EQ(RunModal(dialog, WM_COMMAND, MAKEWPARAM(IDC_LOCK_MIN, BN_CLICKED)), IDOK);
  EXPECT_EQ(RunModal(dialog, WM_CLOSE, 0), IDCANCEL);
  EXPECT_EQ(dialog.initCount, 4);
}

TEST(UiDialogModal, WithoutAnOwnerTheMainWindowOwnsTheDialog) {
  ui::Window main;
  ASSERT_TRUE(main.Create("VaristepTestMain", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr));
  ui::Window other;
  ASSERT_TRUE(other.Create("VaristepTestMain", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr));
  TableDialog dialog;
  {
    MainWindowGuard withMain(main.Hwnd());
    EXPECT_EQ(RunModal(dialog, WM_COMMAND, IDOK), IDOK);
    EXPECT_EQ(g_modalOwner, main.Hwnd());
    EXPECT_TRUE(g_ownerDisabled);
    EXPECT_TRUE(::IsWindowEnabled(main.Hwnd()));  // given back after the run

    ui::Dialog owned(IDD_ABOUTBOX, other.Hwnd(), &support::TestShell());
    EXPECT_EQ(RunModal(owned, WM_COMMAND, IDOK), IDOK);
    EXPECT_EQ(g_modalOwner, other.Hwnd());
  }
  {
    MainWindowGuard noMain(nullptr);
    EXPECT_EQ(RunModal(dialog, WM_COMMAND, IDOK), IDOK);
    EXPECT_EQ(g_modalOwner, nullptr);
  }
  {
    // A main window that is gone is not used as the owner.
    MainWindowGuard gone(main.Hwnd());
    main.Destroy();
    EXPECT_EQ(RunModal(dialog, WM_COMMAND, IDOK), IDOK);
    EXPECT_EQ(g_modalOwner, nullptr);
  }
}

TEST(UiDialogModal, AMissingTemplateGivesMinusOne) {
  ui::Dialog missing(4321, nullptr);
  EXPECT_EQ(missing.DoModal(), -1);
  EXPECT_FALSE(missing.Create());
}

TEST(UiStartUp, RegistersTheShellMessagesAndCommonControls) {
  ui::StartUp();
  EXPECT_EQ(ui::TaskbarCreatedMessage(), ::RegisterWindowMessageA("TaskbarCreated"));
  EXPECT_EQ(ui::DefaultTrayNotifyMessage(), ::RegisterWindowMessageA("CSystemTray::TrayNotify"));
  EXPECT_GE(ui::TaskbarCreatedMessage(), 0xC000u);
  EXPECT_NE(ui::TaskbarCreatedMessage(), ui::DefaultTrayNotifyMessage());
  WNDCLASSEXA info = {};
  info.cbSize = sizeof info;
  EXPECT_TRUE(::GetClassInfoExA(nullptr, "SysListView32", &info));
  EXPECT_TRUE(::GetClassInfoExA(nullptr, "msctls_updown32", &info));
}

}  // namespace
