#include "setup/SetupWizard.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include "setup/SetupResource.h"
#include "setup/SetupRules.h"
#include "setup/SetupVersion.h"
#include "ui/App.h"
#include "ui/FormatText.h"

namespace setup {

namespace {

constexpr UINT kWorkMessage = WM_APP + 1;
constexpr const char* kInstallCaption = "Varistep Monitor Setup";
constexpr const char* kUninstallCaption = "Varistep Monitor Uninstall";

// Every control that belongs to some pages only.
constexpr int kPageControls[] = {IDC_TEXT,  IDC_STATUS,   IDC_STARTUP, IDC_FOLDER, IDC_BROWSE,
                                 IDC_SPACE, IDC_PROGRESS, IDC_LOG,     IDC_RUN_NOW};

struct PageLayout {
  const char* heading;
  const char* text;
  int controls[4];  // 0 ends the list; the text goes to IDC_TEXT, or IDC_STATUS above a log
  const char* next;
  bool back;
  bool cancel;
};

// In the order of SetupWizard::Page.
const PageLayout kPages[] = {
    {"Welcome to the Varistep Monitor " VS_VERSION " Setup",
     "This installs Varistep Monitor and Varistep Demo on your computer.\r\n\r\n"
     "Varistep Monitor shows and steers the Varistep steps of a Corvalith processor from the "
     "notification area. Varistep Demo is the same program on a simulated processor, for "
     "computers without one.\r\n\r\n"
     "If Varistep Monitor is running, Setup closes it first.\r\n\r\nClick Next to continue.",
     {IDC_TEXT},
     "&Next >",
     false,
     true},
    {"Choose Components",
     "Varistep Monitor, Varistep Demo and the help page are always installed, with a folder in "
     "the Start menu and an entry in Add/Remove Programs.\r\n\r\n"
     "Varistep Monitor can also start each time you log on. You can remove it from Start, "
     "Programs, Startup later.",
     {IDC_TEXT, IDC_STARTUP},
     "&Next >",
     true,
     true},
    {"Choose Install Location",
     "Setup will install Varistep Monitor in the folder below. To install it in another folder, "
     "type its path or click Browse.\r\n\r\nClick Install to start the installation.",
     {IDC_TEXT, IDC_FOLDER, IDC_BROWSE, IDC_SPACE},
     "&Install",
     true,
     true},
    {"Installing",
     "Please wait while Varistep Monitor is being installed.",
     {IDC_STATUS, IDC_PROGRESS, IDC_LOG},
     "&Next >",
     false,
     false},
    {"Completing the Varistep Monitor " VS_VERSION " Setup",
     "Varistep Monitor has been installed on your computer. You find it in the Start menu, "
     "under Programs, Varistep Monitor.\r\n\r\nClick Finish to close Setup.",
     {IDC_TEXT, IDC_RUN_NOW},
     "&Finish",
     false,
     false},
    {"Uninstall Varistep Monitor",
     "Varistep Monitor and Varistep Demo will be removed from the folder below, with their "
     "shortcuts. If they are running, they are closed first.\r\n\r\n"
     "Click Uninstall to start.",
     {IDC_TEXT, IDC_FOLDER},
     "&Uninstall",
     false,
     true},
    {"Uninstalling",
     "Please wait while Varistep Monitor is being removed.",
     {IDC_STATUS, IDC_PROGRESS, IDC_LOG},
     "&Close",
     false,
     false},
};

}  // namespace

const ui::MessageEntry<SetupWizard> SetupWizard::kMessages[] = {
    {WM_COMMAND, IDC_BACK, BN_CLICKED, &SetupWizard::BackCommand},
    {WM_COMMAND, IDC_BROWSE, BN_CLICKED, &SetupWizard::BrowseCommand},
    {kWorkMessage, 0, 0, &SetupWizard::WorkMessage},
};

SetupWizard::SetupWizard(bool uninstall, const char* folder)
    : ui::Dialog(IDD_WIZARD, nullptr),
      uninstall_(uninstall),
      page_(uninstall ? Page::kConfirm : Page::kWelcome),
      folder_(folder) {}

SetupWizard::~SetupWizard() {
  if (headingFont_ != nullptr) ::DeleteObject(headingFont_);
}

INT_PTR SetupWizard::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  INT_PTR result = ui::RouteMessage(*this, kMessages, message, wParam, lParam, handled);
  return handled ? result : ui::Dialog::HandleMessage(message, wParam, lParam, handled);
}

BOOL SetupWizard::OnInitDialog() {
  HWND hwnd = Hwnd();
  ::SetWindowTextA(hwnd, Caption());
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  static const WPARAM kSizes[] = {ICON_BIG, ICON_SMALL};
  for (WPARAM size : kSizes) {
    const int side = ::GetSystemMetrics(size == ICON_BIG ? SM_CXICON : SM_CXSMICON);
    HANDLE icon = ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_SETUP), IMAGE_ICON, side, side, 0);
    ::SendMessageA(hwnd, WM_SETICON, size, reinterpret_cast<LPARAM>(icon));
  }
  LOGFONTA font = {};
  HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageA(hwnd, WM_GETFONT, 0, 0));
  if (dialogFont != nullptr && ::GetObjectA(dialogFont, sizeof font, &font) == sizeof font) {
    font.lfWeight = FW_BOLD;
    headingFont_ = ::CreateFontIndirectA(&font);
    ::SendDlgItemMessageA(hwnd, IDC_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont_), 0);
  }
  ::SendDlgItemMessageA(hwnd, IDC_FOLDER, EM_LIMITTEXT, MAX_PATH - 1, 0);
  ::SendDlgItemMessageA(hwnd, IDC_FOLDER, EM_SETREADONLY, uninstall_, 0);
  ::SetDlgItemTextA(hwnd, IDC_FOLDER, folder_.c_str());
  ::CheckDlgButton(hwnd, IDC_STARTUP, BST_CHECKED);
  char space[64];
  FormatText(space, sizeof space, "Space required: %lu KB",
             static_cast<unsigned long>(EstimatedSizeKB(InstalledBytes())));
  SetText(IDC_SPACE, space);
  ShowPage(page_);
  return FALSE;  // ShowPage set the focus
}

void SetupWizard::ShowPage(Page page) {
  page_ = page;
  const PageLayout& layout = kPages[static_cast<int>(page)];
  HWND hwnd = Hwnd();
  SetText(IDC_HEADING, layout.heading);
  SetText(IDC_TEXT, layout.text);
  SetText(IDC_STATUS, layout.text);
  for (int id : kPageControls) {
    bool shown = false;
    for (int wanted : layout.controls) shown = shown || (wanted != 0 && wanted == id);
    ::ShowWindow(::GetDlgItem(hwnd, id), shown ? SW_SHOW : SW_HIDE);
  }
  SetText(IDOK, layout.next);
  ::EnableWindow(::GetDlgItem(hwnd, IDC_BACK), layout.back);
  ::EnableWindow(::GetDlgItem(hwnd, IDCANCEL), layout.cancel);
  const bool working = page == Page::kInstalling || page == Page::kRemoving;
  ::EnableWindow(::GetDlgItem(hwnd, IDOK), !working);
  if (working) {
    ::SendDlgItemMessageA(hwnd, IDC_LOG, LB_RESETCONTENT, 0, 0);
    ::PostMessageA(hwnd, kWorkMessage, 0, 0);
  } else {
    ::SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(hwnd, IDOK)), TRUE);
  }
}

void SetupWizard::OnOK() {
  HWND hwnd = Hwnd();
  if (working_ || !::IsWindowEnabled(::GetDlgItem(hwnd, IDOK))) return;
  switch (page_) {
    case Page::kWelcome:
      ShowPage(Page::kComponents);
      break;
    case Page::kComponents:
      startAtLogOn_ = ::IsDlgButtonChecked(hwnd, IDC_STARTUP) == BST_CHECKED;
      ShowPage(Page::kFolder);
      break;
    case Page::kFolder: {
      char typed[MAX_PATH] = {};
      ::GetDlgItemTextA(hwnd, IDC_FOLDER, typed, MAX_PATH);
      const FolderProblem problem = CheckFolder(typed, folder_);
      if (problem != FolderProblem::kNone) {
        ui::ShowMessageBox(hwnd, FolderProblemText(problem), Caption(), MB_OK | MB_ICONWARNING);
        ::SendMessageA(hwnd, WM_NEXTDLGCTL,
                       reinterpret_cast<WPARAM>(::GetDlgItem(hwnd, IDC_FOLDER)), TRUE);
        break;
      }
      ShowPage(Page::kInstalling);
      break;
    }
    case Page::kInstalling:
      if (failed_) {
        exitCode_ = 2;
        EndDialog(IDCANCEL);
      } else {
        ShowPage(Page::kFinish);
      }
      break;
    case Page::kFinish:
      exitCode_ = 0;
      if (::IsDlgButtonChecked(hwnd, IDC_RUN_NOW) == BST_CHECKED &&
          !StartProgram(folder_.c_str(), kInstalledFiles[0].name)) {
        ui::ShowMessageBox(hwnd, "Varistep Monitor could not be started.", Caption(),
                           MB_OK | MB_ICONWARNING);
      }
      EndDialog(IDOK);
      break;
    case Page::kConfirm:
      ShowPage(Page::kRemoving);
      break;
    case Page::kRemoving:
      exitCode_ = 0;
      EndDialog(IDOK);
      break;
  }
}

void SetupWizard::OnCancel() {
  if (working_) return;
  switch (page_) {
    case Page::kWelcome:
    case Page::kComponents:
    case Page::kFolder:
      if (ui::ShowMessageBox(Hwnd(), "Are you sure you want to quit Varistep Monitor Setup?",
                             Caption(), MB_YESNO | MB_ICONWARNING) != IDYES) {
        return;
      }
      exitCode_ = 1;
      break;
    case Page::kConfirm:
      exitCode_ = 1;
      break;
    case Page::kInstalling:
    case Page::kRemoving:
      if (!::IsWindowEnabled(::GetDlgItem(Hwnd(), IDOK))) return;  // not yet started
      exitCode_ = failed_ ? 2 : 0;
      break;
    case Page::kFinish:
      exitCode_ = 0;
      break;
  }
  EndDialog(IDCANCEL);
}

INT_PTR SetupWizard::BackCommand(WPARAM, LPARAM) {
  if (page_ == Page::kComponents) ShowPage(Page::kWelcome);
  if (page_ == Page::kFolder) ShowPage(Page::kComponents);
  return TRUE;
}

INT_PTR SetupWizard::BrowseCommand(WPARAM, LPARAM) {
  char name[MAX_PATH] = {};
  BROWSEINFOA browse = {};
  browse.hwndOwner = Hwnd();
  browse.pszDisplayName = name;
  browse.lpszTitle = "Choose the folder to install Varistep Monitor in:";
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  ui::PathText chosen;
  if (TakeItemPath(::SHBrowseForFolderA(&browse), chosen)) {
    AppendProductFolder(chosen);
    ::SetDlgItemTextA(Hwnd(), IDC_FOLDER, chosen.c_str());
  }
  return TRUE;
}

INT_PTR SetupWizard::WorkMessage(WPARAM, LPARAM) {
  if (working_) return TRUE;
  working_ = true;
  if (!uninstall_) {
    failed_ = !Install(folder_.c_str(), startAtLogOn_, *this);
    working_ = false;
    if (failed_) {
      WorkDone("Installation Failed",
               "Setup was not completed. What it installed so far stays; run Setup again to "
               "complete the installation.",
               "&Close");
    } else {
      WorkDone("Installation Complete", "Setup was completed successfully.", "&Next >");
    }
    return TRUE;
  }
  Uninstall(folder_.c_str(), *this);
  // No is the default: settings are kept unless the user asks.
  if (ui::ShowMessageBox(Hwnd(), "Also remove your Varistep Monitor settings?", Caption(),
                         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
    RemoveSettings();
    Step("Removed the settings of Varistep Monitor and Varistep Demo", 1, 1);
  }
  working_ = false;
  WorkDone("Uninstallation Complete", "Varistep Monitor was removed from your computer.", "&Close");
  return TRUE;
}

void SetupWizard::WorkDone(const char* heading, const char* text, const char* button) {
  SetText(IDC_HEADING, heading);
  SetText(IDC_STATUS, text);
  SetText(IDOK, button);
  HWND hwnd = Hwnd();
  ::EnableWindow(::GetDlgItem(hwnd, IDOK), TRUE);
  ::SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(hwnd, IDOK)), TRUE);
}

void SetupWizard::Step(const char* line, int done, int total) {
  HWND hwnd = Hwnd();
  const LRESULT index =
      ::SendDlgItemMessageA(hwnd, IDC_LOG, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  if (index >= 0)
    ::SendDlgItemMessageA(hwnd, IDC_LOG, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  // Long paths scroll sideways rather than being cut.
  HWND log = ::GetDlgItem(hwnd, IDC_LOG);
  HDC dc = ::GetDC(log);
  if (dc != nullptr) {
    HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(log, WM_GETFONT, 0, 0)));
    SIZE size = {};
    if (::GetTextExtentPoint32A(dc, line, static_cast<int>(std::strlen(line)), &size)) {
      logWidth_ = size.cx + 8 > logWidth_ ? size.cx + 8 : logWidth_;
      ::SendMessageA(log, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(logWidth_), 0);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(log, dc);
  }
  ::SendDlgItemMessageA(hwnd, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, total));
  ::SendDlgItemMessageA(hwnd, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(done), 0);
  Pump();
}

bool SetupWizard::Retry(const char* text) {
  return ui::ShowMessageBox(Hwnd(), text, Caption(), MB_RETRYCANCEL | MB_ICONERROR) == IDRETRY;
}

void SetupWizard::SetText(int id, const char* text) {
  ::SetDlgItemTextA(Hwnd(), id, text);
}

const char* SetupWizard::Caption() const {
  return uninstall_ ? kUninstallCaption : kInstallCaption;
}

// Keeps the window painted between steps; its buttons are disabled meanwhile.
void SetupWizard::Pump() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (!::IsDialogMessageA(Hwnd(), &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
}

}  // namespace setup
