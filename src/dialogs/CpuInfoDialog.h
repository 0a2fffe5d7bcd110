// CPU Information: the identification texts, the policy and the step table, read only. The
// command hands in copies of the texts and views of the step arrays; nothing is read back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/Dialog.h"
#include "ui/Window.h"

namespace dialogs {

class CpuInfoDialog : public ui::Dialog {
 public:
  // Without an owner the dialog is owned by the main window when it runs.
  explicit CpuInfoDialog(HWND owner = nullptr);

  // Rows 0..lastStep are listed, never more than the step table holds.
  int32_t lastStep = -1;
  // Views of the step table's arrays; the dialog only reads them, and only while it runs.
  const int32_t* frequencyMHz = nullptr;
  const uint32_t* cdDivider = nullptr;
  const uint32_t* cdFrequencyMHz = nullptr;
  const uint32_t* sdDivider = nullptr;
  const uint32_t* sdFrequencyMHz = nullptr;
  const float* voltage = nullptr;
  ui::Window stepList;
  std::string cpuId;
  std::string xtlVersion;
  std::string frequencyBitmap;
  std::string l2CacheSize;
  std::string policy;
  std::string cpuName;
  std::string cpuRevision;
  std::string cpuType;
  std::string serialNumber;
  std::string voltageBitmap;

  // How many rows the list gets for this lastStep.
  int RowCount() const;

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  BOOL OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

 private:
  void InsertColumns();
  void InsertRow(int i);

  static const ui::MessageEntry<CpuInfoDialog> kMessages[];
};

}  // namespace dialogs
