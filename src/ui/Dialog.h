// Dialogs made from the program's dialog templates: modal and modeless runs, the standard OK and
// Cancel handling, data exchange with the controls, and per-class message tables.
#pragma once

#include <windows.h>

#include <cstddef>

#include "base/FixedList.h"
#include "ui/Shell.h"
#include "ui/Window.h"

namespace ui {

class DataExchange;

// One row of a class's message table. For WM_COMMAND, `id` is the command or control id and
// `code` the notification code; for WM_NOTIFY they are the sender's idFrom and code; for every
// other message both are 0 and only the message is compared.
template <class T>
struct MessageEntry {
  UINT message;
  UINT id;
  UINT code;
  INT_PTR (T::*handler)(WPARAM wParam, LPARAM lParam);
};

// True when a message with these parameters is the one a table row names.
bool MessageMatches(UINT message, UINT id, UINT code, UINT actual, WPARAM wParam, LPARAM lParam);

// Calls the handler of the first row of `table` that matches; `handled` tells whether one did.
template <class T, size_t N>
INT_PTR RouteMessage(T& self, const MessageEntry<T> (&table)[N], UINT message, WPARAM wParam,
                     LPARAM lParam, bool& handled) {
  for (const MessageEntry<T>& entry : table) {
    if (MessageMatches(entry.message, entry.id, entry.code, message, wParam, lParam)) {
      handled = true;
      return (self.*entry.handler)(wParam, lParam);
    }
  }
  handled = false;
  return FALSE;
}

// A dialog on one template. A derived class keeps a static message table and chains to its base
// by overriding HandleMessage, defined after the table so that the table's size is known:
//
//   INT_PTR PropertiesDialog::HandleMessage(UINT m, WPARAM w, LPARAM l, bool& handled) {
//     INT_PTR result = ui::RouteMessage(*this, Messages, m, w, l, handled);
//     return handled ? result : ui::Dialog::HandleMessage(m, w, l, handled);
//   }
//
// A handler returns what the dialog procedure returns: TRUE when it dealt with the message, FALSE
// to leave it to the dialog manager's default processing. A message that needs a result of its own
// (WM_POWERBROADCAST, WM_NOTIFY) gets it through SetMessageResult, and the handler returns TRUE;
// the messages whose result a dialog procedure gives directly (WM_INITDIALOG, WM_QUERYDRAGICON,
// WM_CTLCOLOR*, WM_COMPAREITEM, WM_VKEYTOITEM, WM_CHARTOITEM, WM_QUERYNEWPALETTE) return it.
class Dialog : public Window {
 public:
  // A null owner for a modal run means the main window, when there is one. The dialog's boxes go
  // through the shell table; without one they are the system's.
  Dialog(int templateId, HWND owner, const Shell* shell = nullptr);
  ~Dialog() override;

  // Runs the dialog modally; returns the result it ended with, -1 when it could not be made.
  INT_PTR DoModal();
  // Makes the dialog modeless; false when it could not be made.
  bool Create();
  // Modal: ends the run with this result. Modeless: keeps the result and destroys the window.
  void EndDialog(INT_PTR result);
  // The result the dialog ended with; 0 until it ends.
  INT_PTR Result() const { return result_; }
  int TemplateId() const { return templateId_; }
  const Shell* ShellCalls() const { return shell_; }

  // Runs DoDataExchange into the controls (false) or back from them (true); false when an
  // exchange failed, and then the ones after it were skipped.
  bool UpdateData(bool saveAndValidate);

 protected:
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  // Standard: loads the controls and lets the dialog manager set the focus.
  virtual BOOL OnInitDialog();
  // Standard: ends with IDOK once the controls are saved; stays open when that fails.
  virtual void OnOK();
  // Standard: ends with IDCANCEL; nothing is saved.
  virtual void OnCancel();
  // Binds members to controls; the base binds nothing.
  virtual void DoDataExchange(DataExchange& exchange);

  // The result of the message being handled (DWLP_MSGRESULT).
  void SetMessageResult(LRESULT result);

  // Table handlers that run OnOK and OnCancel, for buttons with other ids than IDOK and IDCANCEL.
  INT_PTR OkCommand(WPARAM wParam, LPARAM lParam);
  INT_PTR CancelCommand(WPARAM wParam, LPARAM lParam);

 private:
  friend class DataExchange;

  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR InitDialogMessage(WPARAM wParam, LPARAM lParam);
  void BindControl(Window& control);
  void ForgetWindow();

  static const MessageEntry<Dialog> Messages[];

  int templateId_;
  HWND owner_;
  const Shell* shell_;
  bool modal_ = false;
  INT_PTR result_ = 0;
  // Control members bound by data exchange; they let go of their handles with the dialog.
  // A dialog of the program binds at most two.
  FixedList<Window*, 16> boundControls_;
};

}  // namespace ui
