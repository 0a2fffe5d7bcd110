#include "tray/SystemTray.h"

#include <cstddef>

#include "ui/App.h"
#include "ui/StartUp.h"

namespace tray {

#ifdef _WIN64
static_assert(CSystemTray::IconDataSize == 504, "the 64-bit version-2 record");
#else
static_assert(CSystemTray::IconDataSize == 488, "the 32-bit version-2 record");
#endif

namespace {

bool IsAnsiLeadByte(unsigned char byte) {
  return ::IsDBCSLeadByte(byte) != FALSE;
}

constexpr UINT NoMenuItem = static_cast<UINT>(-1);

}  // namespace

CSystemTray::CSystemTray(const ui::Shell& shell, const VersionFields& windows) : shell_(&shell) {
  iconData.cbSize = IconDataSize;
  // A failed query reads as platform 0, an old shell.
  extendedShell = IsExtendedShell(windows.platformId, windows.major) ? TRUE : FALSE;
}

CSystemTray::~CSystemTray() {
  RemoveTrayIcon();
  if (trayMenu != nullptr) {
    ::DestroyMenu(trayMenu);
    trayMenu = nullptr;
  }
  Destroy();
}

BOOL CSystemTray::CallShell(DWORD message) {
  return shell_->notifyIcon(message, &iconData) ? TRUE : FALSE;
}

BOOL CSystemTray::CreateTrayIcon(HWND parent, UINT callbackMessage, const char* tooltip, HICON icon,
                                 UINT id, BOOL startHidden, const char* balloonText,
                                 const char* balloonTitle, DWORD balloonFlags,
                                 UINT balloonTimeoutSeconds) {
  if (callbackMessage == 0) callbackMessage = ui::DefaultTrayNotifyMessage();

  // A second creation keeps the window it already has. A failed creation is not fatal: the icon
  // can still be registered for a parent window.
  if (!HasWindow()) Create(ClassName, WS_POPUP, 0, 0, 0, 0, nullptr);

  iconData.hWnd = parent != nullptr && ::IsWindow(parent) ? parent : Hwnd();
  iconData.hIcon = icon;
  iconData.uID = id;
  iconData.uCallbackMessage = callbackMessage;

  if (tooltip != nullptr) {
    CopyMultibyteText(iconData.szTip, MaxTooltipLength, tooltip, &IsAnsiLeadByte);
  }
  // A tooltip left from an earlier creation counts too.
  const bool tipNotEmpty = iconData.szTip[0] != '\0';

  const bool balloon = extendedShell && balloonText != nullptr;
  if (balloon) {
    CopyMultibyteText(iconData.szInfo, sizeof(iconData.szInfo), balloonText, &IsAnsiLeadByte);
    CopyMultibyteText(iconData.szInfoTitle, sizeof(iconData.szInfoTitle), balloonTitle,
                      &IsAnsiLeadByte);
    iconData.dwInfoFlags = balloonFlags;
    iconData.uTimeout = BalloonTimeoutMs(balloonTimeoutSeconds);
  }

  const bool startsHidden = startHidden != FALSE;
  const bool hiddenState = extendedShell && startsHidden;
  if (hiddenState) {
    iconData.dwState = NIS_HIDDEN;
    iconData.dwStateMask = NIS_HIDDEN;
  }
  iconData.uFlags = CreationFieldFlags(tipNotEmpty, balloon, hiddenState);

  const bool addMade = CreationAddsIcon(startsHidden, extendedShell != FALSE);
  BOOL result = TRUE;
  if (addMade) result = CallShell(NIM_ADD);
  flags_ = AfterCreation(flags_, startsHidden, addMade, result != FALSE);

  // The balloon shows once; later adds and modifies carry an empty text.
  if (balloon) iconData.szInfo[0] = '\0';

  // The menu is wanted whatever the add did: a later re-add brings the icon back.
  if (trayMenu != nullptr) {
    ::DestroyMenu(trayMenu);
    trayMenu = nullptr;
  }
  trayMenu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LOWORD(iconData.uID)));

  return result;
}

BOOL CSystemTray::RemoveTrayIcon() {
  const bool deleteMade = DeleteAttempted(flags_);
  bool deleted = false;
  if (deleteMade) {
    const UINT saved = iconData.uFlags;
    iconData.uFlags = 0;
    deleted = CallShell(NIM_DELETE) != FALSE;
    iconData.uFlags = saved;
  }
  flags_ = AfterRemove(flags_, deleteMade, deleted);
  return flags_.removed != 0 ? TRUE : FALSE;
}

BOOL CSystemTray::ReinstallTrayIcon() {
  if (!ReaddAttempted(flags_)) return TRUE;
  const BOOL result = CallShell(NIM_ADD);
  flags_ = AfterReadd(flags_, result != FALSE);
  return result;
}

BOOL CSystemTray::ChangeIcon(HICON icon) {
  if (icon == nullptr) return FALSE;
  iconData.hIcon = icon;
  if (!IconChangeSent(flags_)) return TRUE;
  const UINT saved = iconData.uFlags;
  iconData.uFlags = IconModifyFields;
  const BOOL result = CallShell(NIM_MODIFY);
  iconData.uFlags = FieldFlagsAfterIconModify(saved);
  return result;
}

BOOL CSystemTray::ChangeIconByName(const char* resourceName) {
  if (resourceName == nullptr) return FALSE;
  HANDLE image =
      ::LoadImageA(::GetModuleHandleA(nullptr), resourceName, IMAGE_ICON, 16, 16, LR_SHARED);
  return ChangeIcon(static_cast<HICON>(image));
}

BOOL CSystemTray::ChangeIconById(UINT resourceId) {
  return ChangeIconByName(MAKEINTRESOURCEA(LOWORD(resourceId)));
}

HMENU CSystemTray::Popup() const {
  return trayMenu != nullptr ? ::GetSubMenu(trayMenu, 0) : nullptr;
}

BOOL CSystemTray::SetDefaultMenuItem(UINT item, BOOL byPosition) {
  const BOOL position = byPosition ? TRUE : FALSE;
  if (item == defaultItem && position == defaultByPosition) return TRUE;
  defaultItem = item;
  defaultByPosition = position;
  HMENU popup = Popup();
  if (popup == nullptr) return FALSE;
  return ::SetMenuDefaultItem(popup, item, static_cast<UINT>(position)) ? TRUE : FALSE;
}

BOOL CSystemTray::SetCommandWindow(HWND window) {
  commandWindow = window;
  return TRUE;
}

HWND CSystemTray::CommandWindow() const {
  return commandWindow != nullptr ? commandWindow : ui::MainWindow();
}

LRESULT CSystemTray::HandleTrayNotification(WPARAM iconId, LPARAM mouseMessage) {
  if (iconId != iconData.uID) return 0;
  HWND target = CommandWindow();
  if (target == nullptr) return 0;

  switch (LOWORD(mouseMessage)) {
    case WM_RBUTTONUP: {
      HMENU popup = Popup();
      if (popup == nullptr) return 0;
      // Applied before every showing, so menu edits never lose the default.
      ::SetMenuDefaultItem(popup, defaultItem, static_cast<UINT>(defaultByPosition));
      POINT cursor = {0, 0};
      ::GetCursorPos(&cursor);
      // Without the foreground the popup would not close when the user clicks elsewhere.
      ::SetForegroundWindow(target);
      ::TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, target, nullptr);
      // Lets the target's queue run, so a second right click opens the popup again.
      ::PostMessageA(target, WM_NULL, 0, 0);
      return 1;
    }
    case WM_LBUTTONDBLCLK: {
      ::SetForegroundWindow(target);
      UINT command = defaultItem;
      if (defaultByPosition) {
        HMENU popup = Popup();
        if (popup == nullptr) return 0;
        command = ::GetMenuItemID(popup, static_cast<int>(defaultItem));
        // A sub-popup or a position past the end has no command to send.
        if (command == NoMenuItem) return 0;
      }
      ::SendMessageA(target, WM_COMMAND, command, 0);
      return 1;
    }
    default:
      return 1;
  }
}

BOOL CSystemTray::RemoveMenuCommand(UINT commandId) {
  HMENU popup = Popup();
  if (popup == nullptr) return FALSE;
  return ::DeleteMenu(popup, commandId, MF_BYCOMMAND) ? TRUE : FALSE;
}

BOOL CSystemTray::InsertMenuEntry(UINT position, UINT flags) {
  HMENU popup = Popup();
  if (popup == nullptr) return FALSE;
  // For a string entry "no text" is the empty string; for the other kinds the pointer would be
  // read as a bitmap or item data, so none is passed.
  const bool stringEntry = (flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW | MF_POPUP)) == 0;
  return ::InsertMenuA(popup, position, flags, 0, stringEntry ? "" : nullptr) ? TRUE : FALSE;
}

BOOL CSystemTray::SetMenuItemText(UINT position, const char* text) {
  HMENU popup = Popup();
  if (popup == nullptr) return FALSE;
  const UINT id = ::GetMenuItemID(popup, static_cast<int>(position));
  if (id == NoMenuItem) return FALSE;
  return ::ModifyMenuA(popup, id, MF_BYCOMMAND | MF_STRING, id, text != nullptr ? text : "")
             ? TRUE
             : FALSE;
}

BOOL CSystemTray::SetMenuItemTextFromResource(UINT position, UINT stringId) {
  return SetMenuItemText(position, LoadText(stringId).c_str());
}

BOOL CSystemTray::SetMenuCommandCheck(UINT commandId, BOOL checked) {
  HMENU popup = Popup();
  if (popup == nullptr) return FALSE;
  const int length = ::GetMenuStringA(popup, commandId, nullptr, 0, MF_BYCOMMAND);
  // The menu's texts are the program's own and short; a longer one would be cut.
  char text[256] = {};
  if (length > 0) {
    const int size = length * 2 + 2;
    ::GetMenuStringA(popup, commandId, text,
                     size < static_cast<int>(sizeof text) ? size : static_cast<int>(sizeof text),
                     MF_BYCOMMAND);
  }
  const UINT flags = MF_BYCOMMAND | MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED);
  return ::ModifyMenuA(popup, commandId, flags, commandId, text) ? TRUE : FALSE;
}

BOOL CSystemTray::EnableMenuCommand(UINT commandId, BOOL enabled) {
  HMENU popup = Popup();
  if (popup == nullptr) return FALSE;
  const UINT previous = static_cast<UINT>(
      ::EnableMenuItem(popup, commandId, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED)));
  // -1 means the command is not in the menu.
  return previous != NoMenuItem ? TRUE : FALSE;
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (iconData.uCallbackMessage != 0 && message == iconData.uCallbackMessage) {
    return HandleTrayNotification(wParam, lParam);
  }
  if (message == WM_SETTINGCHANGE) {
    const LRESULT result = Window::WindowProc(message, wParam, lParam);
    // The shell may have rebuilt the notification area with the new work area.
    if (wParam == SPI_SETWORKAREA) ReinstallTrayIcon();
    return result;
  }
  // A failed registration gives 0, which would take every WM_NULL for a restarted shell.
  const UINT taskbarCreated = ui::TaskbarCreatedMessage();
  if (taskbarCreated != 0 && message == taskbarCreated) {
    return ReinstallTrayIcon();
  }
  return Window::WindowProc(message, wParam, lParam);
}

}  // namespace tray
