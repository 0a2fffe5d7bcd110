// The monitor window's own commands and the system's messages about it: closing, hiding to the
// tray and showing again, About, Help, the policy, power events and the end of the session.
#include "monitor/MonitorDialog.h"

#include "dialogs/AboutDialog.h"
#include "resource.h"
#include "resources/Product.h"
#include "tray/HideToTray.h"
#include "ui/App.h"

namespace monitor {

INT_PTR MonitorDialog::OnClose(WPARAM, LPARAM) {
  Hide();
  return TRUE;
}

// The chart's device context belongs to the chart window: give it back while that still exists.
INT_PTR MonitorDialog::OnDestroy(WPARAM, LPARAM) {
  StopTimer();
  painter.Release();
  return FALSE;
}

INT_PTR MonitorDialog::OnQueryDragIcon(WPARAM, LPARAM) {
  return reinterpret_cast<INT_PTR>(icon);
}

INT_PTR MonitorDialog::OnPowerBroadcast(WPARAM event, LPARAM) {
  if (event == PBT_APMQUERYSUSPEND) {
    StopTimer();
  } else if (event == PBT_APMRESUMESUSPEND) {
    if (timerId == 0 && app->Timer > 0) StartTimer();
  }
  SetMessageResult(TRUE);
  return TRUE;
}

// Windows is shutting down or the user logs off: the modal run never ends with OK, so save now
// what Close would have saved.
INT_PTR MonitorDialog::OnEndSession(WPARAM ending, LPARAM) {
  if (ending != FALSE) app::SaveSettings(*store_, *app);
  return FALSE;
}

// The dialog manager shows a dialog with a visible template once set-up has returned, even one
// that set-up hid to the tray or ended. While the window is meant to be hidden, a show that would
// put it on the screen is dropped.
INT_PTR MonitorDialog::OnWindowPosChanging(WPARAM, LPARAM lParam) {
  auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
  if (!visible && position != nullptr && (position->flags & SWP_SHOWWINDOW) != 0) {
    position->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
    position->flags |= SWP_NOACTIVATE;
  }
  return FALSE;
}

// Under the hidden owner a show only sets the visible style, without moving through the position
// change above; take it back once the show is over.
INT_PTR MonitorDialog::OnShowWindow(WPARAM shown, LPARAM) {
  if (shown != FALSE && !visible) ::PostMessageA(Hwnd(), StayHiddenMessage, 0, 0);
  return FALSE;
}

INT_PTR MonitorDialog::OnStayHidden(WPARAM, LPARAM) {
  if (!visible) tray::HideWindowToTray(platform_.shell, Hwnd());
  return TRUE;
}

void MonitorDialog::Hide() {
  tray::HideWindowToTray(platform_.shell, Hwnd());
  tray.SetMenuItemTextFromResource(0, IDS_SHOW_MONITOR);
  visible = FALSE;
}

void MonitorDialog::Show() {
  tray::ShowWindowFromTray(platform_.shell, Hwnd());
  tray.SetMenuItemTextFromResource(0, IDS_HIDE_MONITOR);
  visible = TRUE;
}

INT_PTR MonitorDialog::OnShowHide(WPARAM, LPARAM) {
  if (visible) {
    Hide();
  } else {
    Show();
  }
  return TRUE;
}

INT_PTR MonitorDialog::OnAbout(WPARAM, LPARAM) {
  RunFromTray(ID_ABOUT, [this] {
    AboutDialog about(nullptr, &platform_.shell);
    about.DoModal();
  });
  return TRUE;
}

INT_PTR MonitorDialog::OnHelp(WPARAM, LPARAM) {
  // No path: the shell looks the page up in the current directory, the program's folder when
  // started from there. Whatever the shell answers, nothing is reported.
  platform_.shell.execute(nullptr, "open", product::HelpFile, nullptr, nullptr, SW_SHOWNORMAL);
  return TRUE;
}

INT_PTR MonitorDialog::OnCloseCommand(WPARAM, LPARAM) {
  if (driver.Device() != InvalidDevice()) driver.Close();
  StopTimer();
  OnOK();
  return TRUE;
}

INT_PTR MonitorDialog::OnPolicy(WPARAM command, LPARAM) {
  UINT chosen = LOWORD(command);
  // With no policy read (Varistep absent) there is no mark to clear.
  if (policyCommand != 0) tray.SetMenuCommandCheck(policyCommand, FALSE);
  policyCommand = chosen;
  tray.SetMenuCommandCheck(policyCommand, TRUE);
  performancePolicy = chosen == ID_PERFORMANCE ? TRUE : FALSE;
  if (!driver.WriteRegister(MsrScalingPolicy, performancePolicy ? 1u : 0u, 0u)) {
    // The tray menu stays usable while the box is open; a choice made from there is still
    // written, but one refusal box at a time is enough.
    if (policyBoxOpen_) return TRUE;
    policyBoxOpen_ = true;
    ui::AppMessageBox(&platform_.shell, IDS_REQUEST_REFUSED, MB_OK);
    policyBoxOpen_ = false;
  }
  return TRUE;
}

}  // namespace monitor
