// CPU Information: the identification texts, the policy and the step table, read only. The
// command hands in the step table and a copy of the texts; nothing is read back.
#pragma once

#include <windows.h>

#include <cstdint>

#include "processor/ProcessorInfo.h"
#include "processor/StepTable.h"
#include "ui/Dialog.h"
#include "ui/Window.h"

namespace dialogs {

class CpuInfoDialog : public ui::Dialog {
 public:
  // Without an owner the dialog is owned by the main window when it runs. The table is only
  // read, and only while the dialog runs.
  explicit CpuInfoDialog(const StepTable& steps, const ProcessorInfo& texts = ProcessorInfo(),
                         HWND owner = nullptr, const ui::Shell* shell = nullptr);
  ui::Window stepList;
  // The identification texts as shown; serialNumber holds the word for a disabled number.
  ProcessorInfo info;
  ShortText policy;

  // How many rows the list gets: steps 0..lastStep, never more than the table holds.
  int RowCount() const { return steps_.StepCount(); }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  BOOL OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

 private:
  void InsertColumns();
  void InsertRow(int i);

  static const ui::MessageEntry<CpuInfoDialog> Messages[];
  const StepTable& steps_;
};

}  // namespace dialogs
