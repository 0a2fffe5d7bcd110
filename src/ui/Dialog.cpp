#include "ui/Dialog.h"

#include "ui/App.h"
#include "ui/DataExchange.h"

namespace ui {

bool MessageMatches(UINT message, UINT id, UINT code, UINT actual, WPARAM wParam, LPARAM lParam) {
  if (message != actual) return false;
  if (actual == WM_COMMAND) return LOWORD(wParam) == id && HIWORD(wParam) == code;
  if (actual == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    return header != nullptr && header->idFrom == id && header->code == code;
  }
  return true;
}

const MessageEntry<Dialog> Dialog::Messages[] = {
    {WM_INITDIALOG, 0, 0, &Dialog::InitDialogMessage},
    {WM_COMMAND, IDOK, BN_CLICKED, &Dialog::OkCommand},
    {WM_COMMAND, IDCANCEL, BN_CLICKED, &Dialog::CancelCommand},
};

Dialog::Dialog(int templateId, HWND owner, const Shell* shell)
    : templateId_(templateId), owner_(owner), shell_(shell) {}

Dialog::~Dialog() {
  HWND hwnd = Hwnd();
  if (hwnd != nullptr && ::IsWindow(hwnd)) {
    // The derived parts are gone already: no message may reach them while the window goes.
    ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    if (!modal_) ::DestroyWindow(hwnd);
  }
  boundControls_.clear();
  Detach();
}

INT_PTR Dialog::DoModal() {
  if (HasWindow()) return -1;
  HWND owner = owner_;
  if (owner == nullptr) {
    HWND main = MainWindow();
    if (main != nullptr && ::IsWindow(main)) owner = main;
  }
  modal_ = true;
  result_ = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner,
                              &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
  modal_ = false;
  return result_;
}

bool Dialog::Create() {
  if (HasWindow()) return false;
  modal_ = false;
  result_ = 0;
  HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_),
                                   owner_, &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
  return hwnd != nullptr && HasWindow();
}

void Dialog::EndDialog(INT_PTR result) {
  result_ = result;
  HWND hwnd = Hwnd();
  if (hwnd == nullptr) return;
  if (modal_) {
    ::EndDialog(hwnd, result);
  } else {
    ::DestroyWindow(hwnd);
  }
}

bool Dialog::UpdateData(bool saveAndValidate) {
  if (!HasWindow()) return false;
  DataExchange exchange(*this, saveAndValidate);
  DoDataExchange(exchange);
  return !exchange.Failed();
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  return RouteMessage(*this, Messages, message, wParam, lParam, handled);
}

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void Dialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() {
  EndDialog(IDCANCEL);
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::SetMessageResult(LRESULT result) {
  if (Hwnd() != nullptr) ::SetWindowLongPtrA(Hwnd(), DWLP_MSGRESULT, result);
}

INT_PTR Dialog::OkCommand(WPARAM, LPARAM) {
  OnOK();
  return TRUE;
}

INT_PTR Dialog::CancelCommand(WPARAM, LPARAM) {
  OnCancel();
  return TRUE;
}

INT_PTR Dialog::InitDialogMessage(WPARAM, LPARAM) {
  return OnInitDialog();
}

void Dialog::BindControl(Window& control) {
  if (!boundControls_.Contains(&control)) boundControls_.push_back(&control);
}

void Dialog::ForgetWindow() {
  // The controls die with the dialog; a stale handle could name someone else's window later.
  for (Window* control : boundControls_) control->Detach();
  boundControls_.clear();
  Detach();
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->Attach(hwnd);
  } else {
    self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (WM_SETFONT and the creation messages) take the default path.
  if (self == nullptr) return FALSE;

  bool handled = false;
  INT_PTR result = self->HandleMessage(message, wParam, lParam, handled);
  if (message == WM_INITDIALOG && self->Hwnd() == hwnd && self->shell_ != nullptr &&
      self->shell_->dialogStarted != nullptr) {
    self->shell_->dialogStarted(*self);
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->ForgetWindow();
  }
  return handled ? result : FALSE;
}

}  // namespace ui
