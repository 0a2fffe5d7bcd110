#include "dialogs/CpuInfoDialog.h"

#include <commctrl.h>

#include "base/FormatText.h"
#include "processor/StepTable.h"
#include "resources/resource.h"
#include "ui/App.h"
#include "ui/DataExchange.h"

namespace dialogs {

namespace {

struct Column {
  UINT heading;
  int format;
  int width;
};

constexpr Column Columns[] = {
    {IDS_COLUMN_FREQUENCY, LVCFMT_RIGHT, 62},   {IDS_COLUMN_VOLTAGE, LVCFMT_RIGHT, 48},
    {IDS_COLUMN_CD_DIVIDER, LVCFMT_CENTER, 51}, {IDS_COLUMN_CD_FREQUENCY, LVCFMT_RIGHT, 54},
    {IDS_COLUMN_SD_DIVIDER, LVCFMT_CENTER, 51}, {IDS_COLUMN_SD_FREQUENCY, LVCFMT_RIGHT, 54},
};
constexpr int ColumnCount = static_cast<int>(sizeof Columns / sizeof Columns[0]);
constexpr size_t CellSize = 32;

}  // namespace

// The OK button has its own id, not IDOK, so it is mapped to the standard confirm here.
const ui::MessageEntry<CpuInfoDialog> CpuInfoDialog::Messages[] = {
    {WM_COMMAND, IDC_CPUINFO_OK, BN_CLICKED, &CpuInfoDialog::OkCommand},
};

CpuInfoDialog::CpuInfoDialog(const StepTable& steps, const ProcessorInfo& texts, HWND owner,
                             const ui::Shell* shell)
    : ui::Dialog(IDD_CPUINFO, owner, shell), info(texts), steps_(steps) {}

INT_PTR CpuInfoDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  INT_PTR result = ui::RouteMessage(*this, Messages, message, wParam, lParam, handled);
  return handled ? result : ui::Dialog::HandleMessage(message, wParam, lParam, handled);
}

void CpuInfoDialog::DoDataExchange(ui::DataExchange& dx) {
  dx.Control(IDC_STEP_LIST, stepList);
  dx.Text(IDC_CPU_ID, info.cpuId);
  dx.Text(IDC_XTL_VERSION, info.xtlVersion);
  dx.Text(IDC_FREQUENCY_BITMAP, info.frequencyBitmap);
  dx.Text(IDC_L2_CACHE_SIZE, info.l2CacheSize);
  dx.Text(IDC_POLICY, policy);
  dx.Text(IDC_CPU_NAME, info.cpuName);
  dx.Text(IDC_CPU_REVISION, info.cpuRevision);
  dx.Text(IDC_CPU_TYPE, info.cpuType);
  dx.Text(IDC_SERIAL_NUMBER, info.serialNumber);
  dx.Text(IDC_VOLTAGE_BITMAP, info.voltageBitmap);
}

BOOL CpuInfoDialog::OnInitDialog() {
  ui::Dialog::OnInitDialog();
  InsertColumns();
  const int rows = RowCount();
  for (int i = 0; i < rows; ++i) InsertRow(i);
  return TRUE;
}

void CpuInfoDialog::InsertColumns() {
  for (int k = 0; k < ColumnCount; ++k) {
    LongText heading = LoadText(Columns[k].heading);
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = Columns[k].format;
    column.cx = Columns[k].width;
    column.pszText = heading.data();
    column.iSubItem = k;
    ::SendMessageA(stepList.Hwnd(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(k),
                   reinterpret_cast<LPARAM>(&column));
  }
}

void CpuInfoDialog::InsertRow(int i) {
  char cells[ColumnCount][CellSize];
  FormatText(cells[0], sizeof cells[0], "%dMHz", static_cast<int>(steps_.frequencyMHz[i]));
  char volts[CellSize];
  FormatVolts(volts, sizeof volts, steps_.voltage[i]);
  FormatText(cells[1], sizeof cells[1], "%sV", volts);
  FormatText(cells[2], sizeof cells[2], "%d", static_cast<int>(steps_.cdDivider[i]));
  FormatText(cells[3], sizeof cells[3], "%dMHz", static_cast<int>(steps_.cdFrequencyMHz[i]));
  FormatText(cells[4], sizeof cells[4], "%d", static_cast<int>(steps_.sdDivider[i]));
  FormatText(cells[5], sizeof cells[5], "%dMHz", static_cast<int>(steps_.sdFrequencyMHz[i]));

  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = i;
  item.pszText = cells[0];
  ::SendMessageA(stepList.Hwnd(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  for (int k = 1; k < ColumnCount; ++k) {
    LVITEMA sub = {};
    sub.iSubItem = k;
    sub.pszText = cells[k];
    ::SendMessageA(stepList.Hwnd(), LVM_SETITEMTEXTA, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(&sub));
  }
}

}  // namespace dialogs
