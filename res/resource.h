// Resource ids of Kestor.exe, shared by Kestor.rc (windres) and the C++ code.
// One block per dialog: an id is unique within its block; the same number may name another control elsewhere.
// Only #define lines and comments here, so that both the resource compiler and C++ can read this file.

#ifndef KESTOR_RESOURCE_H
#define KESTOR_RESOURCE_H

// common to every dialog; IDOK (1) and IDCANCEL (2) come from <windows.h> in the script and from the
// platform layer in the code, so they are not macros here
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// dialog templates
#define IDD_ABOUTBOX 100
#define IDD_SYSTEMINFO 134
#define IDD_TIMESET 140
#define IDD_CONTROL 142
#define IDD_PROCESS 143
#define IDD_NEWREMINDER 144
#define IDD_NOTICE 147
#define IDD_UNLOCK 154
#define IDD_NEWUSERLIMIT 155
#define IDD_ADMIN 160
#define IDD_PASSWORDINPUT 161
#define IDD_PLAY 163
#define IDD_ADDPROCESS 165

// menu 145 tray menu
#define IDR_TRAY_MENU 145
#define ID_TRAY_SHUTDOWN 107
#define ID_TRAY_RESTART 108
#define ID_TRAY_LOCK 32776
#define ID_TRAY_SET_UNLOCK_PASSWORD 32779
#define ID_TRAY_SHOW 104
#define ID_TRAY_AUTORUN 32775
#define ID_TRAY_ABOUT 103
#define ID_TRAY_EXIT 105

// system menu of the main window
#define IDM_ABOUTBOX 16

// string table
#define IDS_ABOUTBOX 101

// icons
#define IDI_MAIN 128
#define IDI_TRAY 129
#define IDI_NOTICE 148
#define IDI_LOCK 1010

// cursor
#define IDCUR_HAND 142

// bitmaps: the operating-system banners of the information page
#define IDB_BANNER_WINME 149
#define IDB_BANNER_WIN98 153
#define IDB_BANNER_WIN95 157

// dialog 100 CAboutDlg
#define IDC_ABOUT_EMAIL 1012
#define IDC_ABOUT_SOUND 1045

// dialog 134 CSystemInfo
#define IDC_OS_BANNER 1066
#define IDC_OS_VERSION 1039
#define IDC_COMPUTER_NAME 1040
#define IDC_USER_NAME 1041
#define IDC_TODAY 1036
#define IDC_UPTIME 1035
#define IDC_LOCAL_TIME 1037
#define IDC_UTC_TIME 1038
#define IDC_ABOUT_LINK 1042
#define IDC_SHUTDOWN_NOW 1045
#define IDC_RESTART_NOW 1046
#define IDC_LOGOFF_NOW 1047

// dialog 140 CTovrelTimeset
#define IDC_REMINDER_LABEL 1028
#define IDC_REMINDER_LIST 1019
#define IDC_REMINDER_NEW 1001
#define IDC_REMINDER_DELETE 1003
#define IDC_CHIME 1015
#define IDC_CHIME_INTERVAL 1014
#define IDC_TIMED_SHUTDOWN 1016
#define IDC_TIMED_SHUTDOWN_PREFIX 1024
#define IDC_TIMED_SHUTDOWN_TIME 1020
#define IDC_TIMED_SHUTDOWN_SUFFIX 1025
#define IDC_COUNTDOWN 1023
#define IDC_COUNTDOWN_PREFIX 1026
#define IDC_COUNTDOWN_TIME 1022
#define IDC_COUNTDOWN_SUFFIX 1027
#define IDC_AUTORUN 1050

// dialog 142 CTovrelControl
#define IDC_USER_LIST 1049
#define IDC_USER_NEW 1051
#define IDC_USER_DELETE 1052
#define IDC_USER_NOTE 1103
#define IDC_MACHINE_ADMIN 1070
#define IDC_ADMIN_SETTINGS 1075

// dialog 143 CProcessManager
#define IDC_PROCESS_LIST 1007
#define IDC_PROCESS_REFRESH 1000
#define IDC_NEW_TASK 1002
#define IDC_END_PROCESS 1013
#define IDC_TERMINATION_LIST 1098
#define IDC_TERMINATION_ADD 1101
#define IDC_TERMINATION_DELETE 1102

// dialog 144 CNewReminderDlg
#define IDC_REMINDER_YEAR 1061
#define IDC_REMINDER_TIME 1033
#define IDC_REMINDER_MESSAGE 1031

// dialog 147 CNoticeDlg
#define IDC_NOTICE_MESSAGE 1042
#define IDC_NOTICE_COUNTDOWN 1043

// dialog 154 CUnlockDlg
#define IDC_UNLOCK_PASSWORD 1067

// dialog 155 CNewUserLimitDlg
#define IDC_LIMIT_USER 1054
#define IDC_LIMIT_CONTINUOUS 1057
#define IDC_LIMIT_HOURS 1055
#define IDC_LIMIT_WINDOW 1056
#define IDC_LIMIT_REST 1069
#define IDC_LIMIT_REST_SPIN 1082
#define IDC_LIMIT_START 1062
#define IDC_LIMIT_END 1063
#define IDC_LIMIT_NOTE 1042

// dialog 160 CAdminSettingsDlg
#define IDC_ADMIN_NO_TRAY 1076
#define IDC_ADMIN_NAME 1072
#define IDC_ADMIN_HIDE 1077
#define IDC_ADMIN_PASSWORD 1073
#define IDC_ADMIN_NOTE 1104

// dialog 161 CPasswordInputDlg
#define IDC_PASSWORD 1078
#define IDC_PASSWORD_PROMPT 1085
#define IDC_PASSWORD_CANCEL 1092

// dialog 163 CTovrelPlay
#define IDC_PLAYLIST 1086
#define IDC_ADD_FILES 1087
#define IDC_ADD_FOLDER 1089
#define IDC_DELETE_SELECTED 1088
#define IDC_DELETE_UNSELECTED 1090
#define IDC_AUTOPLAY 1093
#define IDC_PLAY 1095
#define IDC_STOP 1094

// dialog 165 CAddProcessDlg
#define IDC_RUNNING_LIST 1105
#define IDC_PROCESS_PATH 1107
#define IDC_BROWSE 1108
#define IDC_TERMINATION_TIME 1032
#define IDC_ADDPROCESS_NOTE 1042

#endif
