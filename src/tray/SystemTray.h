// The program's icon in the taskbar notification area: an invisible window that registers the
// icon with the shell, owns the icon's popup menu, turns mouse events on the icon into commands
// for the command window, and puts the icon back after the shell re-creates its taskbar.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>

#include "base/WindowsVersion.h"
#include "tray/TrayState.h"
#include "ui/Shell.h"
#include "ui/Window.h"

namespace tray {

// The callback message the monitor window gives its icon.
constexpr UINT TrayNotifyMessage = WM_APP + 10;

class CSystemTray : public ui::Window {
 public:
  // Window class name of the tray's own window.
  static constexpr const char* ClassName = "CSystemTray";
  // Size of the tooltip field, terminator included.
  static constexpr UINT MaxTooltipLength = 128;
  // The version-2 record: every field up to dwInfoFlags (488 bytes on 32-bit Windows). Accepted
  // by every shell since Windows 2000, and older shells read only the fields they know.
  static constexpr DWORD IconDataSize = offsetof(NOTIFYICONDATAA, guidItem);

  // Every call to the notification area goes through the shell table, which must outlive the
  // tray. The Windows version tells what the shell can do.
  CSystemTray(const ui::Shell& shell, const VersionFields& windows);
  ~CSystemTray() override;
  CSystemTray(const CSystemTray&) = delete;
  CSystemTray& operator=(const CSystemTray&) = delete;

  // Creates the tray window, adds the icon and loads the menu resource numbered like the icon.
  // A callbackMessage of 0 means ui::DefaultTrayNotifyMessage(). Returns the add's result, or TRUE
  // when the icon starts hidden on a shell that cannot hide icons and no add is made.
  BOOL CreateTrayIcon(HWND parent, UINT callbackMessage, const char* tooltip, HICON icon, UINT id,
                      BOOL startHidden = FALSE, const char* balloonText = nullptr,
                      const char* balloonTitle = nullptr, DWORD balloonFlags = 0,
                      UINT balloonTimeoutSeconds = 10);
  BOOL RemoveTrayIcon();
  BOOL ReinstallTrayIcon();

  // Icon handles stay the caller's; resource icons are loaded shared.
  BOOL ChangeIcon(HICON icon);
  BOOL ChangeIconByName(const char* resourceName);
  BOOL ChangeIconById(UINT resourceId);

  BOOL SetDefaultMenuItem(UINT item, BOOL byPosition);
  BOOL SetCommandWindow(HWND window);
  // The command window, or the application's main window when none was set.
  HWND CommandWindow() const;

  // Popup menu editing; positions are positions in the popup, ids are found in nested popups too.
  BOOL RemoveMenuCommand(UINT commandId);
  BOOL InsertMenuEntry(UINT position, UINT flags);
  BOOL SetMenuItemText(UINT position, const char* text);
  BOOL SetMenuItemTextFromResource(UINT position, UINT stringId);
  BOOL SetMenuCommandCheck(UINT commandId, BOOL checked);
  BOOL EnableMenuCommand(UINT commandId, BOOL enabled);

  // Read-only views of the state.
  BOOL Hidden() const { return flags_.hidden; }
  BOOL Removed() const { return flags_.removed; }
  BOOL AddPending() const { return flags_.addPending; }
  BOOL ExtendedShell() const { return extendedShell; }
  const NOTIFYICONDATAA& IconData() const { return iconData; }
  HMENU TrayMenu() const { return trayMenu; }
  // The popup that is shown: the first sub-menu of the menu resource.
  HMENU Popup() const;

  // Mouse notifications for the icon: 1 handled, 0 not.
  virtual LRESULT HandleTrayNotification(WPARAM iconId, LPARAM mouseMessage);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  BOOL CallShell(DWORD message);

  const ui::Shell* shell_;
  TrayFlags flags_;
  BOOL extendedShell = FALSE;
  NOTIFYICONDATAA iconData = {};
  UINT defaultItem = 0;
  BOOL defaultByPosition = TRUE;
  HWND commandWindow = nullptr;
  HMENU trayMenu = nullptr;
};

}  // namespace tray
