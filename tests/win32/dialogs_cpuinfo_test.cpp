// The CPU Information dialog on its real template: the texts in their fields, the step list's
// columns and rows, the row limit, and the way it closes.
#include "dialogs/CpuInfoDialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "processor/StepTable.h"
#include "resources/resource.h"
#include "ui/StartUp.h"
#include "support/TestSupport.h"

namespace {

using dialogs::CpuInfoDialog;
using support::FieldText;
using support::ListRow;

int RowCount(HWND list) {
  return static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

// Four steps; the last is 600 MHz at 1.350 V with dividers 3 and 6, the second sits at 1.1 V.
StepTable FourSteps() {
  StepTable t;
  const int32_t mhz[4] = {1000, 866, 733, 600};
  const float volts[4] = {1.6f, 1.1f, 1.4f, 1.35f};
  const uint32_t cd[4] = {5, 4, 4, 3};
  const uint32_t sd[4] = {10, 9, 8, 6};
  for (int i = 0; i < 4; ++i) {
    t.frequencyMHz[i] = mhz[i];
    t.voltage[i] = volts[i];
    t.cdDivider[i] = cd[i];
    t.cdFrequencyMHz[i] = static_cast<uint32_t>(mhz[i]) / cd[i];
    t.sdDivider[i] = sd[i];
    t.sdFrequencyMHz[i] = static_cast<uint32_t>(mhz[i]) / sd[i];
  }
  t.lastStep = 3;
  return t;
}

class CpuInfoDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ui::StartUp(); }
};

TEST_F(CpuInfoDialogTest, RowsShowEveryStepInStepOrder) {
  StepTable table = FourSteps();
  // A faulty reading whose float is a tie at the third decimal: rounded to even, not up.
  table.voltage[2] = 16384.0625f;
  CpuInfoDialog dialog(table);
  ASSERT_TRUE(dialog.Create());
  HWND list = ::GetDlgItem(dialog.Hwnd(), IDC_STEP_LIST);
  EXPECT_EQ(dialog.stepList.Hwnd(), list);
  ASSERT_EQ(RowCount(list), 4);
  EXPECT_EQ(ListRow(list, 0),
            (std::vector<std::string>{"1000MHz", "1.600V", "5", "200MHz", "10", "100MHz"}));
  // Three decimals always, even where the value has fewer.
  EXPECT_EQ(ListRow(list, 1),
            (std::vector<std::string>{"866MHz", "1.100V", "4", "216MHz", "9", "96MHz"}));
  EXPECT_EQ(ListRow(list, 2),
            (std::vector<std::string>{"733MHz", "16384.062V", "4", "183MHz", "8", "91MHz"}));
  EXPECT_EQ(ListRow(list, 3),
            (std::vector<std::string>{"600MHz", "1.350V", "3", "200MHz", "6", "100MHz"}));
  // Text only: no image, state or item data was given.
  LVITEMA item = {};
  item.mask = LVIF_PARAM | LVIF_STATE | LVIF_IMAGE;
  item.iItem = 3;
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  ASSERT_TRUE(::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(item.lParam, 0);
  EXPECT_EQ(item.state & (LVIS_SELECTED | LVIS_FOCUSED), 0u);
}

TEST_F(CpuInfoDialogTest, ColumnsHaveTheirHeadingsAlignmentAndWidths) {
  StepTable table = FourSteps();
  CpuInfoDialog dialog(table);
  ASSERT_TRUE(dialog.Create());
  HWND list = dialog.stepList.Hwnd();
  const char* headings[6] = {"Frequency", "Voltage", "CD_DIV", "CD Freq.", "SD_DIV", "SD Freq."};
  const int widths[6] = {62, 48, 51, 54, 51, 54};
  const int formats[6] = {LVCFMT_RIGHT, LVCFMT_RIGHT,  LVCFMT_CENTER,
                          LVCFMT_RIGHT, LVCFMT_CENTER, LVCFMT_RIGHT};
  for (int k = 0; k < 6; ++k) {
    char heading[32] = {};
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = heading;
    column.cchTextMax = sizeof heading;
    ASSERT_TRUE(::SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(k),
                               reinterpret_cast<LPARAM>(&column)))
        << k;
    EXPECT_STREQ(heading, headings[k]);
    EXPECT_EQ(column.cx, widths[k]) << headings[k];
    // The list view keeps its first column left-aligned whatever is asked.
    if (k > 0) {
      EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, formats[k]) << headings[k];
    }
  }
  LVCOLUMNA past = {};
  past.mask = LVCF_WIDTH;
  EXPECT_FALSE(::SendMessageA(list, LVM_GETCOLUMNA, 6, reinterpret_cast<LPARAM>(&past)));
}

TEST_F(CpuInfoDialogTest, RowCountFollowsLastStepWithinTheTable) {
  StepTable table = FourSteps();
  struct Case {
    int32_t lastStep;
    int rows;
  };
  // Past the ten-entry arrays the list stops at their end instead of reading beyond them.
  for (Case c : {Case{0, 1}, Case{-1, 0}, Case{-7, 0}, Case{9, 10}, Case{25, 10}}) {
    table.lastStep = c.lastStep;
    CpuInfoDialog dialog(table);
    ASSERT_TRUE(dialog.Create());
    HWND list = dialog.stepList.Hwnd();
    EXPECT_EQ(RowCount(list), c.rows) << "lastStep " << c.lastStep;
    // The headings are there even without rows.
    HWND header = reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 6);
  }
  // An empty table: no rows.
  const StepTable empty;
  CpuInfoDialog bare(empty);
  ASSERT_TRUE(bare.Create());
  EXPECT_EQ(RowCount(bare.stepList.Hwnd()), 0);
}

TEST_F(CpuInfoDialogTest, EachTextGoesIntoItsOwnField) {
  const StepTable empty;
  CpuInfoDialog dialog(empty);
  dialog.info.cpuId = "id";
  dialog.info.xtlVersion = "xtl";
  dialog.info.frequencyBitmap = "fbits";
  dialog.info.l2CacheSize = "512KB";
  dialog.policy = "Economy";
  // As long as a brand name gets, longer than the field: shown whole.
  dialog.info.cpuName = std::string(48, 'n').c_str();
  dialog.info.cpuRevision = "rev";
  dialog.info.cpuType = "type";
  dialog.info.serialNumber = "psn";
  dialog.info.voltageBitmap = "";
  ASSERT_TRUE(dialog.Create());
  HWND h = dialog.Hwnd();
  EXPECT_EQ(FieldText(h, IDC_CPU_ID), "id");
  EXPECT_EQ(FieldText(h, IDC_XTL_VERSION), "xtl");
  EXPECT_EQ(FieldText(h, IDC_FREQUENCY_BITMAP), "fbits");
  EXPECT_EQ(FieldText(h, IDC_L2_CACHE_SIZE), "512KB");
  EXPECT_EQ(FieldText(h, IDC_POLICY), "Economy");
  EXPECT_EQ(::GetWindowTextLengthA(::GetDlgItem(h, IDC_CPU_NAME)), 48);
  EXPECT_EQ(FieldText(h, IDC_CPU_REVISION), "rev");
  EXPECT_EQ(FieldText(h, IDC_CPU_TYPE), "type");
  EXPECT_EQ(FieldText(h, IDC_SERIAL_NUMBER), "psn");
  EXPECT_EQ(FieldText(h, IDC_VOLTAGE_BITMAP), "");
}

TEST_F(CpuInfoDialogTest, TheOkButtonEnterEscapeAndTheCloseBoxEndIt) {
  StepTable table = FourSteps();
  const char* const ways[] = {"OK button", "Enter", "Escape", "close box"};
  for (int way = 0; way < 4; ++way) {
    SCOPED_TRACE(ways[way]);
    CpuInfoDialog dialog(table);
    ASSERT_TRUE(dialog.Create());
    MSG key = {dialog.Hwnd(), WM_KEYDOWN, way == 1 ? WPARAM{VK_RETURN} : WPARAM{VK_ESCAPE}, 0, 0,
               {0, 0}};
    if (way == 0) {
      ::SendMessageA(::GetDlgItem(dialog.Hwnd(), IDC_CPUINFO_OK), BM_CLICK, 0, 0);
    } else if (way == 3) {
      ::SendMessageA(dialog.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
      support::Pump();  // the close box's IDCANCEL
    } else {
      ::IsDialogMessageA(dialog.Hwnd(), &key);
    }
    // The confirming ways also take the window away at once.
    if (way < 2) {
      EXPECT_FALSE(dialog.HasWindow());
    }
    EXPECT_EQ(dialog.Result(), way < 2 ? IDOK : IDCANCEL);
  }
}

}  // namespace
