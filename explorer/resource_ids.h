/* Resource and control numbers of the explorer, shared by its resource script and code. */
#pragma once

#define IDD_STARTUP 102
#define IDD_OPTIONS 114
#define IDD_MESSAGE 184
#define IDD_DEFAULT_WARNING 190
#define IDD_PATROL_TIME 160

#define IDI_PROGRAM 101
#define IDI_UNKNOWN_PROGRAM 115
#define IDI_MONITOR_ACTIVE 3201
#define IDI_MONITOR_INACTIVE 3202

/* Controls of the list pages. */
#define IDC_LIST 1000
#define IDC_EXPLANATION 1001
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

/* The default-warning dialog of protected startup entries. */
#define IDC_WARNING_TEXT 1150
#define IDC_WARNING_ENTRY 1151
#define IDC_WARNING_CHECK 1152

/* The Set Patrol Time dialog. */
#define IDC_PATROL_TEXT 1160
#define IDC_PATROL_MINUTES 1161
#define IDC_PATROL_ZERO 1162
#define IDC_PATROL_SLIDER 1163
#define IDC_PATROL_BOX 1165
#define IDC_PATROL_REALTIME 1014
