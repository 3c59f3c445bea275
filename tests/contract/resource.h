// Resource ids of the contract test.
#pragma once

#define IDD_PROBE 100
#define IDD_PAGE_A 101
#define IDD_PAGE_B 102
#define IDB_RED 200
#define IDS_ABOUT 300

#define IDC_PUSH 1001
#define IDC_LIST 1002
#define IDC_LISTBOX 1003
#define IDC_COMBO 1004
#define IDC_DATE 1005
#define IDC_EDIT 1006
#define IDC_SPIN 1007
#define IDC_LINK 1008
#define IDC_BITMAP 1009
#define IDC_CHECK 1010
#define IDC_PLAIN 1011
#define IDC_NOBITMAP 1012
