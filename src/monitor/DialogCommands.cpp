// The monitor window's commands that open the working dialogs: CPU Information, Properties and
// Manual Selection.
#include "monitor/MonitorDialog.h"

namespace monitor {

INT_PTR MonitorDialog::OnCpuInformation(WPARAM, LPARAM) { return TRUE; }
INT_PTR MonitorDialog::OnProperties(WPARAM, LPARAM) { return TRUE; }
INT_PTR MonitorDialog::OnManualSelection(WPARAM, LPARAM) { return TRUE; }

}  // namespace monitor
