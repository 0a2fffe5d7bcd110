// Manual Selection: the upper and lower limit of the scaling window chosen as step indexes, with
// two locks onto the highest or the lowest step. The index rules live in ManualSelectionRules.h;
// this class only moves values between the controls and the members around them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "dialogs/ManualSelectionRules.h"
#include "processor/StepTable.h"
#include "ui/Dialog.h"
#include "ui/Window.h"

namespace dialogs {

class ManualSelectionDialog : public ui::Dialog {
 public:
  // Without an owner the dialog is owned by the main window when it runs. The table gives the
  // lists and the starting limits (maxStep, minStep); it is only read.
  explicit ManualSelectionDialog(const StepTable& steps, HWND owner = nullptr,
                                 const ui::Shell* shell = nullptr);
  ui::Window maxCombo;
  ui::Window minCombo;
  int32_t minIndex = -1;
  int32_t lockMax = 0;
  int32_t lockMin = 0;
  int32_t maxIndex = -1;

  // Number of entries in each list: steps 0..lastStep, never more than the step table holds.
  int ItemCount() const { return steps_.StepCount(); }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  BOOL OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

 private:
  INT_PTR OnLockMaxClicked(WPARAM, LPARAM);
  INT_PTR OnLockMinClicked(WPARAM, LPARAM);
  INT_PTR OnMinLimitChanged(WPARAM, LPARAM);
  INT_PTR OnMaxLimitChanged(WPARAM, LPARAM);
  // Saves the controls, applies one rule to the members, shows the result.
  void ApplyRule(void (*rule)(ManualSelection&));

  static const ui::MessageEntry<ManualSelectionDialog> Messages[];
  const StepTable& steps_;
};

}  // namespace dialogs
