// Resource ids shared by the resource script and the code. Fixed numbers: the tray menu, the
// dialogs and the registry profile of earlier releases depend on them.
#pragma once

// Controls that code never addresses (labels, frames)
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_MONITOR 102
#define IDD_CPUINFO 135
#define IDD_PROPERTIES 137
#define IDD_MANUALSELECTION 153

// Strings: the two texts of the first tray-menu item
#define IDS_SHOW_MONITOR 103
#define IDS_HIDE_MONITOR 104
// Every other text the program shows
#define IDS_TOOLTIP 200
#define IDS_ALREADY_RUNNING 201
#define IDS_WRONG_VENDOR 202
#define IDS_WRONG_VENDOR_CAPTION 203
#define IDS_VARISTEP_ABSENT 204
#define IDS_VARISTEP_ABSENT_CAPTION 205
#define IDS_OPEN_NOT_SUPPORTED 206
#define IDS_OPEN_FAILED 207
#define IDS_REQUEST_REFUSED 208
#define IDS_REQUEST_REFUSED_CAPTION 209
#define IDS_XP_NOTICE 210
#define IDS_XP_NOTICE_CAPTION 211
#define IDS_POSITIVE_INTEGER 212
#define IDS_PERFORMANCE 213
#define IDS_ECONOMY 214
#define IDS_SERIAL_DISABLED 215
#define IDS_COLUMN_FREQUENCY 216
#define IDS_COLUMN_VOLTAGE 217
#define IDS_COLUMN_CD_DIVIDER 218
#define IDS_COLUMN_CD_FREQUENCY 219
#define IDS_COLUMN_SD_DIVIDER 220
#define IDS_COLUMN_SD_FREQUENCY 221

// Icons: the application icon and the eight speed icons (145 = innermost turn green ... 151 = all
// green; 152 = all yellow, the same picture as 128)
#define IDI_APPLICATION_ICON 128
#define IDI_SPEED_1 145
#define IDI_SPEED_2 146
#define IDI_SPEED_3 147
#define IDI_SPEED_4 148
#define IDI_SPEED_5 149
#define IDI_SPEED_6 150
#define IDI_SPEED_7 151
#define IDI_SPEED_IDLE 152

// Tray menu (also the tray icon's id)
#define IDR_TRAY_MENU 134

// Commands
#define ID_SHOW_HIDE 32771
#define ID_PROPERTIES 32772
#define ID_ABOUT 32773
// The setup program sends Close to a running copy, through Product.h.
#define ID_CLOSE 32774
#define ID_PERFORMANCE 32776
#define ID_ECONOMY 32777
#define ID_HELP 32778
#define ID_MANUAL_SELECTION 32779
#define ID_CPU_INFORMATION 32780

// Monitor window
#define IDC_CHART 1038

// CPU Information
#define IDC_CPU_ID 1003
#define IDC_FREQUENCY_BITMAP 1004
#define IDC_VOLTAGE_BITMAP 1005
#define IDC_L2_CACHE_SIZE 1007
#define IDC_STEP_LIST 1010
#define IDC_XTL_VERSION 1011
#define IDC_CPU_NAME 1013
#define IDC_CPU_REVISION 1014
#define IDC_CPU_TYPE 1015
#define IDC_SERIAL_NUMBER 1020
#define IDC_POLICY 1067
#define IDC_CPUINFO_OK 1068

// Properties
#define IDC_START_MIN 1005
#define IDC_SPDSEN_ICON 1006
#define IDC_INTERVAL_SPIN 1007
#define IDC_ALWAYS_ON_TOP 1015
#define IDC_ABOUT_BOX 1024
#define IDC_INTERVAL 1029
#define IDC_SHOW_MIN_MAX 1069
#define IDC_PROPERTIES_OK 3
#define IDC_PROPERTIES_CANCEL 4

// Manual Selection
#define IDC_MAX_COMBO 1026
#define IDC_MIN_COMBO 1027
#define IDC_LOCK_MAX 1029
#define IDC_LOCK_MIN 1030
