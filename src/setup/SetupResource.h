// Resource ids of the setup program, shared by its resource script and its code.
#pragma once

#define IDI_SETUP 1
#define IDD_WIZARD 100
#define IDR_MONITOR_EXE 201
#define IDR_DEMO_EXE 202
#define IDR_README 203
#define IDR_UNINSTALLER 204

#define IDC_BACK 3
#define IDC_HEADING 1001
#define IDC_TEXT 1002
#define IDC_STARTUP 1003
#define IDC_FOLDER 1004
#define IDC_BROWSE 1005
#define IDC_SPACE 1006
#define IDC_PROGRESS 1007
#define IDC_LOG 1008
#define IDC_RUN_NOW 1009
#define IDC_SETUP_ICON 1010
#define IDC_STATUS 1011
