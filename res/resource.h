// Resource and control ids, shared by the resource script and the code.
// One name per value.
#pragma once

// Application title (string table) and icon.
#define IDS_APP_TITLE 1
#define IDI_APP 104

// Dialog templates. The panel's template is named, not numbered.
#define IDD_ABOUT 105
#define IDD_SCAN 106

// Control panel.
#define IDC_FILE_NAME 1002
#define IDC_FILE_ROUTE 1003
#define IDC_PORT_LIST 1004
#define IDC_SCAN 1005
#define IDC_SELECT_FILE 1006
#define IDC_UPDATE 1007
#define IDC_STATUS 1008
#define IDC_RADIO_BAND 1009

// Scan dialog. Its list shares the value 1009 with the panel's Radio / Band button; they
// live in different dialogs.
#define IDC_SCAN_LIST 1009
#define IDC_SCAN_LABEL 1010
#define IDC_SCAN_OK 1011

// Menu commands.
#define IDM_EXIT 40001
#define IDM_ABOUT 40004
