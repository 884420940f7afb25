/* Resource and control numbers of the explorer, shared by its resource script and code. */
#pragma once

#define IDD_STARTUP 102
#define IDD_OPTIONS 114
#define IDD_MESSAGE 184
#define IDD_SERVICES 132
#define IDD_ACTIVE_TASKS 110

#define IDI_PROGRAM 101
#define IDI_UNKNOWN_PROGRAM 115

/* Controls of the list pages. */
#define IDC_LIST 1000
#define IDC_EXPLANATION 1001
#define IDC_HINT 1005
#define IDC_REFRESH 1006
#define IDC_KILL_TASK 1007
#define IDC_ENABLE 10
#define IDC_DISABLE 11
#define IDC_REMOVE 1003
#define IDC_CLOSE_PAGE 1004
#define IDC_INFO 1008
#define IDC_SHOW_ALL 1014
#define IDC_ADD 1064
#define IDC_HELP_IMAGE 1077
#define IDC_HELP_CAPTION 1078
#define IDC_MONITOR_IMAGE 1112
#define IDC_MONITOR_CAPTION 1113

/* The message dialog. */
#define IDC_MESSAGE_TEXT 1002
