// Resource ids of the baseline dialog.
#pragma once

#define IDD_BASELINE 100
#define IDC_BASELINE_CHART 1000
