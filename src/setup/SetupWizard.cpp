#include "setup/SetupWizard.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include "base/FormatText.h"
#include "setup/Places.h"
#include "setup/SetupResource.h"
#include "setup/SetupRules.h"
#include "setup/SetupVersion.h"
#include "setup/SystemDlls.h"
#include "ui/App.h"

namespace setup {

namespace {

constexpr UINT WorkMessageId = WM_APP + 1;

// Every control that belongs to some pages only.
constexpr int PageControls[] = {IDC_TEXT,  IDC_STATUS,   IDC_STARTUP, IDC_FOLDER, IDC_BROWSE,
                                IDC_SPACE, IDC_PROGRESS, IDC_LOG,     IDC_RUN_NOW};

// The heading and text are IDS_PAGE_HEADING and IDS_PAGE_TEXT plus the page's number.
struct PageLayout {
  int controls[4];  // 0 ends the list; the text goes to IDC_TEXT, or IDC_STATUS above a log
  UINT next;
  bool back;
  bool cancel;
};

// In the order of SetupWizard::Page.
const PageLayout Pages[] = {
    {{IDC_TEXT}, IDS_NEXT, false, true},
    {{IDC_TEXT, IDC_STARTUP}, IDS_NEXT, true, true},
    {{IDC_TEXT, IDC_FOLDER, IDC_BROWSE, IDC_SPACE}, IDS_INSTALL, true, true},
    {{IDC_STATUS, IDC_PROGRESS, IDC_LOG}, IDS_NEXT, false, false},
    {{IDC_TEXT, IDC_RUN_NOW}, IDS_FINISH, false, false},
    {{IDC_TEXT, IDC_FOLDER}, IDS_UNINSTALL, false, true},
    {{IDC_STATUS, IDC_PROGRESS, IDC_LOG}, IDS_CLOSE, false, false},
};

// A text of the table with the version put in.
LongText PageText(UINT id) {
  LongText text;
  FormatLoadedText(text.data(), LongText::Capacity() + 1, LoadText(id).c_str(), VS_VERSION);
  return text;
}

}  // namespace

const ui::MessageEntry<SetupWizard> SetupWizard::Messages[] = {
    {WM_COMMAND, IDC_BACK, BN_CLICKED, &SetupWizard::BackCommand},
    {WM_COMMAND, IDC_BROWSE, BN_CLICKED, &SetupWizard::BrowseCommand},
    {WorkMessageId, 0, 0, &SetupWizard::WorkMessage},
};

SetupWizard::SetupWizard(bool uninstall, const char* folder, bool startAtLogOn, bool waiting)
    : ui::Dialog(IDD_WIZARD, nullptr),
      uninstall_(uninstall),
      page_(uninstall ? Page::Confirm : Page::Welcome),
      folder_(folder),
      startAtLogOn_(startAtLogOn),
      waiting_(waiting) {}

SetupWizard::~SetupWizard() {
  if (headingFont_ != nullptr) ::DeleteObject(headingFont_);
}

INT_PTR SetupWizard::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  INT_PTR result = ui::RouteMessage(*this, Messages, message, wParam, lParam, handled);
  return handled ? result : ui::Dialog::HandleMessage(message, wParam, lParam, handled);
}

BOOL SetupWizard::OnInitDialog() {
  HWND hwnd = Hwnd();
  ::SetWindowTextA(hwnd, Caption().c_str());
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  static const WPARAM Sizes[] = {ICON_BIG, ICON_SMALL};
  for (WPARAM size : Sizes) {
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
  // The installed copy's choice, or on for a first install.
  ::CheckDlgButton(hwnd, IDC_STARTUP, startAtLogOn_ ? BST_CHECKED : BST_UNCHECKED);
  char space[64];
  FormatLoadedText(space, sizeof space, LoadText(IDS_SPACE_REQUIRED).c_str(),
                   static_cast<unsigned long>(EstimatedSizeKB(InstalledBytes())));
  SetText(IDC_SPACE, space);
  ShowPage(page_);
  return FALSE;  // ShowPage set the focus
}

void SetupWizard::ShowPage(Page page) {
  page_ = page;
  const PageLayout& layout = Pages[static_cast<int>(page)];
  HWND hwnd = Hwnd();
  SetText(IDC_HEADING, PageText(IDS_PAGE_HEADING + static_cast<UINT>(page)).c_str());
  const LongText text = PageText(IDS_PAGE_TEXT + static_cast<UINT>(page));
  SetText(IDC_TEXT, text.c_str());
  SetText(IDC_STATUS, text.c_str());
  for (int id : PageControls) {
    bool shown = false;
    for (int wanted : layout.controls) shown = shown || (wanted != 0 && wanted == id);
    ::ShowWindow(::GetDlgItem(hwnd, id), shown ? SW_SHOW : SW_HIDE);
  }
  SetText(IDOK, layout.next);
  ::EnableWindow(::GetDlgItem(hwnd, IDC_BACK), layout.back);
  ::EnableWindow(::GetDlgItem(hwnd, IDCANCEL), layout.cancel);
  const bool working = page == Page::Installing || page == Page::Removing;
  ::EnableWindow(::GetDlgItem(hwnd, IDOK), !working);
  if (working) {
    ::SendDlgItemMessageA(hwnd, IDC_LOG, LB_RESETCONTENT, 0, 0);
    ::PostMessageA(hwnd, WorkMessageId, 0, 0);
  } else {
    ::SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(hwnd, IDOK)), TRUE);
  }
}

void SetupWizard::OnOK() {
  HWND hwnd = Hwnd();
  if (working_ || !::IsWindowEnabled(::GetDlgItem(hwnd, IDOK))) return;
  switch (page_) {
    case Page::Welcome:
      ShowPage(Page::Components);
      break;
    case Page::Components:
      startAtLogOn_ = ::IsDlgButtonChecked(hwnd, IDC_STARTUP) == BST_CHECKED;
      ShowPage(Page::Folder);
      break;
    case Page::Folder:
      if (!FolderAccepted()) {
        ::SendMessageA(hwnd, WM_NEXTDLGCTL,
                       reinterpret_cast<WPARAM>(::GetDlgItem(hwnd, IDC_FOLDER)), TRUE);
        break;
      }
      ShowPage(Page::Installing);
      break;
    case Page::Installing:
      if (failed_) {
        exitCode_ = Failed;
        EndDialog(IDCANCEL);
      } else {
        ShowPage(Page::Finish);
      }
      break;
    case Page::Finish:
      exitCode_ = Done;
      if (::IsDlgButtonChecked(hwnd, IDC_RUN_NOW) == BST_CHECKED &&
          !StartProgram(folder_.c_str(), InstalledFiles[0].name)) {
        ui::SystemMessageBox(hwnd, LoadText(IDS_CANNOT_START).c_str(), Caption().c_str(),
                             MB_OK | MB_ICONWARNING);
      }
      EndDialog(IDOK);
      break;
    case Page::Confirm: {
      // Before anything is removed: without the rights nothing can be.
      const SystemRights rights;
      const RightsProblem problem = CheckRights(rights, folder_.c_str());
      if (problem != RightsProblem::None) {
        ui::SystemMessageBox(hwnd, LoadText(IDS_NO_MACHINE_RIGHTS).c_str(), Caption().c_str(),
                             MB_OK | MB_ICONERROR);
        exitCode_ = Failed;
        EndDialog(IDCANCEL);
        break;
      }
      ShowPage(Page::Removing);
      break;
    }
    case Page::Removing:
      exitCode_ = outcome_;
      EndDialog(IDOK);
      break;
  }
}

void SetupWizard::OnCancel() {
  if (working_) return;
  switch (page_) {
    case Page::Welcome:
    case Page::Components:
    case Page::Folder:
      if (ui::SystemMessageBox(Hwnd(), LoadText(IDS_QUIT_SETUP).c_str(), Caption().c_str(),
                               MB_YESNO | MB_ICONWARNING) != IDYES) {
        return;
      }
      exitCode_ = Cancelled;
      break;
    case Page::Confirm:
      exitCode_ = Cancelled;
      break;
    case Page::Installing:
    case Page::Removing:
      if (!::IsWindowEnabled(::GetDlgItem(Hwnd(), IDOK))) return;  // not yet started
      exitCode_ = page_ == Page::Removing ? outcome_ : failed_ ? Failed : Done;
      break;
    case Page::Finish:
      exitCode_ = Done;
      break;
  }
  EndDialog(IDCANCEL);
}

INT_PTR SetupWizard::BackCommand(WPARAM, LPARAM) {
  if (page_ == Page::Components) ShowPage(Page::Welcome);
  if (page_ == Page::Folder) ShowPage(Page::Components);
  return TRUE;
}

INT_PTR SetupWizard::BrowseCommand(WPARAM, LPARAM) {
  char name[MAX_PATH] = {};
  BROWSEINFOA browse = {};
  browse.hwndOwner = Hwnd();
  browse.pszDisplayName = name;
  const LongText title = LoadText(IDS_BROWSE_TITLE);
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  PathText chosen;
  if (TakeItemPath(Dlls().SHBrowseForFolderA(&browse), chosen)) {
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
      WorkDone(IDS_INSTALL_FAILED, IDS_INSTALL_FAILED_TEXT, IDS_CLOSE);
    } else {
      WorkDone(IDS_INSTALL_DONE, IDS_INSTALL_DONE_TEXT, IDS_NEXT);
    }
    return TRUE;
  }
  outcome_ = Uninstall(folder_.c_str(), waiting_, *this, later_);
  // No is the default: settings are kept unless the user asks.
  if (outcome_ != Failed &&
      ui::SystemMessageBox(Hwnd(), LoadText(IDS_REMOVE_SETTINGS).c_str(), Caption().c_str(),
                           MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
    RemoveSettings();
    Step(LoadText(IDS_SETTINGS_REMOVED).c_str(), 1, 1);
  }
  working_ = false;
  if (outcome_ == Failed) {
    WorkDone(IDS_UNINSTALL_FAILED, IDS_UNINSTALL_FAILED_TEXT, IDS_CLOSE);
  } else {
    WorkDone(IDS_UNINSTALL_DONE,
             outcome_ == RestartNeeded ? IDS_UNINSTALL_RESTART_TEXT : IDS_UNINSTALL_DONE_TEXT,
             IDS_CLOSE);
  }
  return TRUE;
}

// The folder page's checks, before anything is written: the name, the rights, and whose files
// the folder holds.
bool SetupWizard::FolderAccepted() {
  HWND hwnd = Hwnd();
  char typed[MAX_PATH] = {};
  ::GetDlgItemTextA(hwnd, IDC_FOLDER, typed, MAX_PATH);
  const LongText caption = Caption();
  const FolderProblem problem = CheckFolder(typed, folder_);
  if (problem != FolderProblem::None) {
    ui::SystemMessageBox(hwnd, LoadText(static_cast<UINT>(FolderProblemText(problem))).c_str(),
                         caption.c_str(), MB_OK | MB_ICONWARNING);
    return false;
  }
  const SystemRights rights;
  const RightsProblem noRights = CheckRights(rights, folder_.c_str());
  if (noRights != RightsProblem::None) {
    const UINT text =
        noRights == RightsProblem::Folder ? IDS_NO_FOLDER_RIGHTS : IDS_NO_MACHINE_RIGHTS;
    ui::SystemMessageBox(hwnd, LoadText(text).c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    return false;
  }
  LineText text;
  switch (CheckInstallFolder(folder_.c_str())) {
    case FolderUse::Free:
    case FolderUse::Ours:
      return true;
    case FolderUse::OtherFiles:
      FormatLoadedText(text.data(), LineText::Capacity() + 1,
                       LoadText(IDS_FOLDER_NOT_EMPTY).c_str(), folder_.c_str());
      return ui::SystemMessageBox(hwnd, text.c_str(), caption.c_str(),
                                  MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    case FolderUse::OtherProgram:
      FormatLoadedText(text.data(), LineText::Capacity() + 1,
                       LoadText(IDS_FOLDER_OTHER_PROGRAM).c_str(), folder_.c_str());
      ui::SystemMessageBox(hwnd, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
      return false;
  }
  return false;
}

void SetupWizard::WorkDone(UINT heading, UINT text, UINT button) {
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
  return ui::SystemMessageBox(Hwnd(), text, Caption().c_str(), MB_RETRYCANCEL | MB_ICONERROR) ==
         IDRETRY;
}

void SetupWizard::SetText(int id, const char* text) {
  ::SetDlgItemTextA(Hwnd(), id, text);
}

void SetupWizard::SetText(int id, UINT text) {
  SetText(id, LoadText(text).c_str());
}

LongText SetupWizard::Caption() const {
  return LoadText(uninstall_ ? IDS_UNINSTALL_CAPTION : IDS_INSTALL_CAPTION);
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
