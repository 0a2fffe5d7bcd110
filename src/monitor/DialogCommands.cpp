// The monitor window's commands that open the working dialogs: CPU Information, Properties and
// Manual Selection. Each greys its own tray-menu item while its dialog is open, so it cannot be
// started twice from the nested loop.
#include "monitor/MonitorDialog.h"

#include "dialogs/CpuInfoDialog.h"
#include "dialogs/ManualSelectionDialog.h"
#include "dialogs/ManualSelectionRules.h"
#include "dialogs/PropertiesDialog.h"
#include "processor/MsrRequest.h"
#include "processor/ProcessorStart.h"
#include "resource.h"
#include "ui/App.h"

namespace monitor {

INT_PTR MonitorDialog::OnCpuInformation(WPARAM, LPARAM) {
  RunFromTray(ID_CPU_INFORMATION, [this] {
    dialogs::CpuInfoDialog dialog(steps, processorInfo, Hwnd(), &platform_.shell);
    dialog.policy = LoadText(performancePolicy ? IDS_PERFORMANCE : IDS_ECONOMY);
    if (processorInfo.serialDisabled) dialog.info.serialNumber = LoadText(IDS_SERIAL_DISABLED);
    dialog.DoModal();
  });
  return TRUE;
}

INT_PTR MonitorDialog::OnProperties(WPARAM, LPARAM) {
  RunFromTray(ID_PROPERTIES, [this] {
    dialogs::PropertiesDialog dialog(*app, Hwnd(), &platform_.shell);
    if (dialog.DoModal() != IDOK) return;
    dialog.SaveTo(*app);
    ::KillTimer(Hwnd(), SampleTimer);
    timerId = 0;
    // The next tick finds the chart full, clears it and starts again at the left edge.
    chartModel.Restart();
    // An interval that is not positive as a signed number means no sampling at all.
    if (app->Timer > 0) StartTimer();
    PlaceOnTop();
  });
  return TRUE;
}

INT_PTR MonitorDialog::OnManualSelection(WPARAM, LPARAM) {
  RunFromTray(ID_MANUAL_SELECTION, [this] {
    dialogs::ManualSelectionDialog dialog(steps, Hwnd(), &platform_.shell);
    uint32_t low = 0;
    uint32_t high = 0;
    // An index outside the table (none chosen, or no table at all) has no level to write; the
    // current window and indexes stay as they are, and no notice announces a write.
    if (dialog.DoModal() != IDOK ||
        !dialogs::WindowWords(steps, dialog.minIndex, dialog.maxIndex, low, high)) {
      return;
    }
    // Only informs: the window is written after either answer.
    if (processor.osKind == OsKind::WindowsXp) {
      ui::ShowMessageBox(&platform_.shell, Hwnd(), IDS_XP_NOTICE, IDS_XP_NOTICE_CAPTION,
                         MB_OKCANCEL);
    }
    steps.maxStep = dialog.maxIndex;
    steps.minStep = dialog.minIndex;
    if (!driver.WriteRegister(MsrScalingWindow, low, high)) {
      ui::ShowMessageBox(&platform_.shell, Hwnd(), IDS_REQUEST_REFUSED, IDS_REQUEST_REFUSED_CAPTION,
                         MB_OK);
    }
  });
  return TRUE;
}

}  // namespace monitor
