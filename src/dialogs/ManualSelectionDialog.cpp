#include "dialogs/ManualSelectionDialog.h"

#include "base/FormatText.h"
#include "processor/StepTable.h"
#include "resources/resource.h"
#include "ui/DataExchange.h"

namespace dialogs {

const ui::MessageEntry<ManualSelectionDialog> ManualSelectionDialog::Messages[] = {
    {WM_COMMAND, IDC_LOCK_MAX, BN_CLICKED, &ManualSelectionDialog::OnLockMaxClicked},
    {WM_COMMAND, IDC_LOCK_MIN, BN_CLICKED, &ManualSelectionDialog::OnLockMinClicked},
    {WM_COMMAND, IDC_MIN_COMBO, CBN_SELCHANGE, &ManualSelectionDialog::OnMinLimitChanged},
    {WM_COMMAND, IDC_MAX_COMBO, CBN_SELCHANGE, &ManualSelectionDialog::OnMaxLimitChanged},
};

ManualSelectionDialog::ManualSelectionDialog(const StepTable& steps, HWND owner,
                                             const ui::Shell* shell)
    : ui::Dialog(IDD_MANUALSELECTION, owner, shell),
      minIndex(steps.minStep),
      maxIndex(steps.maxStep),
      steps_(steps) {}

INT_PTR ManualSelectionDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                             bool& handled) {
  INT_PTR result = ui::RouteMessage(*this, Messages, message, wParam, lParam, handled);
  return handled ? result : ui::Dialog::HandleMessage(message, wParam, lParam, handled);
}

void ManualSelectionDialog::DoDataExchange(ui::DataExchange& dx) {
  dx.Control(IDC_MAX_COMBO, maxCombo);
  dx.Control(IDC_MIN_COMBO, minCombo);
  dx.ComboIndex(IDC_MIN_COMBO, minIndex);
  dx.Check(IDC_LOCK_MAX, lockMax);
  dx.Check(IDC_LOCK_MIN, lockMin);
  dx.ComboIndex(IDC_MAX_COMBO, maxIndex);
}

BOOL ManualSelectionDialog::OnInitDialog() {
  // The first load finds the lists empty: both combos end it without a selection.
  ui::Dialog::OnInitDialog();
  const int count = ItemCount();
  for (int i = 0; i < count; ++i) {
    char text[16];
    FormatText(text, sizeof text, "%dMHz", static_cast<int>(steps_.frequencyMHz[i]));
    ::SendMessageA(maxCombo.Hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    ::SendMessageA(minCombo.Hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  UpdateData(false);
  return TRUE;
}

void ManualSelectionDialog::ApplyRule(void (*rule)(ManualSelection&)) {
  UpdateData(true);
  ManualSelection s;
  // The rules name the lowest step by lastStep; it has to be an entry the lists really hold.
  s.lastStep = ItemCount() - 1;
  s.minIndex = minIndex;
  s.lockMax = lockMax;
  s.lockMin = lockMin;
  s.maxIndex = maxIndex;
  rule(s);
  minIndex = s.minIndex;
  lockMax = s.lockMax;
  lockMin = s.lockMin;
  maxIndex = s.maxIndex;
  UpdateData(false);
}

INT_PTR ManualSelectionDialog::OnLockMaxClicked(WPARAM, LPARAM) {
  ApplyRule(&dialogs::OnLockMax);
  return TRUE;
}

INT_PTR ManualSelectionDialog::OnLockMinClicked(WPARAM, LPARAM) {
  ApplyRule(&dialogs::OnLockMin);
  return TRUE;
}

INT_PTR ManualSelectionDialog::OnMinLimitChanged(WPARAM, LPARAM) {
  ApplyRule(&dialogs::OnMinLimitChanged);
  return TRUE;
}

INT_PTR ManualSelectionDialog::OnMaxLimitChanged(WPARAM, LPARAM) {
  ApplyRule(&dialogs::OnMaxLimitChanged);
  return TRUE;
}

}  // namespace dialogs
