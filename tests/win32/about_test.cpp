// The About box run modally, the way both of its callers run it, and ended as a user would.
#include "dialogs/AboutDialog.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"
#include "support/TestShell.h"
#include "ui/App.h"

namespace {

struct Seen {
  int templateId = 0;
  HWND owner = nullptr;
  std::string caption;
  bool iconShown = false;
  bool visibleOkButton = false;
};
Seen g_seen;
UINT g_message = 0;
WPARAM g_wParam = 0;

BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
  char className[32] = {};
  ::GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Static") == 0 &&
      (::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
      ::SendMessageA(child, STM_GETICON, 0, 0) != 0) {
    *reinterpret_cast<bool*>(found) = true;
  }
  return TRUE;
}

void Observe(ui::Dialog& dialog) {
  g_seen.templateId = dialog.TemplateId();
  g_seen.owner = ::GetWindow(dialog.Hwnd(), GW_OWNER);
  char caption[64] = {};
  ::GetWindowTextA(dialog.Hwnd(), caption, sizeof caption);
  g_seen.caption = caption;
  ::EnumChildWindows(dialog.Hwnd(), &FindIcon, reinterpret_cast<LPARAM>(&g_seen.iconShown));
  g_seen.visibleOkButton = ::GetDlgItem(dialog.Hwnd(), IDOK) != nullptr;
  ::PostMessageA(dialog.Hwnd(), g_message, g_wParam, 0);
}

INT_PTR RunAbout(UINT message, WPARAM wParam, HWND owner = nullptr) {
  g_seen = Seen();
  g_message = message;
  g_wParam = wParam;
  support::ShellSeen().onDialog = &Observe;
  AboutDialog about(owner, &support::TestShell());
  const INT_PTR result = about.DoModal();
  support::ShellSeen().onDialog = nullptr;
  EXPECT_EQ(about.Result(), result);
  EXPECT_FALSE(about.HasWindow());
  return result;
}

TEST(AboutBox, ShowsItsTemplateAndIcon) {
  ui::SetMainWindow(nullptr);
  EXPECT_EQ(RunAbout(WM_COMMAND, IDOK), IDOK);
  EXPECT_EQ(g_seen.templateId, IDD_ABOUTBOX);
  EXPECT_EQ(g_seen.caption, "About Varistep Monitor");
  EXPECT_TRUE(g_seen.iconShown);
  EXPECT_TRUE(g_seen.visibleOkButton);
  EXPECT_EQ(g_seen.owner, nullptr);
}

TEST(AboutBox, OkAndEnterEndWithOkEscapeAndTheCloseBoxWithCancel) {
  ui::SetMainWindow(nullptr);
  EXPECT_EQ(RunAbout(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)), IDOK);
  EXPECT_EQ(RunAbout(WM_KEYDOWN, VK_RETURN), IDOK);
  EXPECT_EQ(RunAbout(WM_KEYDOWN, VK_ESCAPE), IDCANCEL);
  EXPECT_EQ(RunAbout(WM_CLOSE, 0), IDCANCEL);
  EXPECT_EQ(RunAbout(WM_SYSCOMMAND, SC_CLOSE), IDCANCEL);
}

TEST(AboutBox, IsOwnedByTheMainWindowWhileItRuns) {
  ui::Window main;
  ASSERT_TRUE(main.Create("VaristepAboutOwner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr));
  ui::SetMainWindow(main.Hwnd());
  EXPECT_EQ(RunAbout(WM_KEYDOWN, VK_ESCAPE), IDCANCEL);
  EXPECT_EQ(g_seen.owner, main.Hwnd());
  ui::SetMainWindow(nullptr);
}

}  // namespace
