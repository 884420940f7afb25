/* Resource and control numbers of the explorer, shared by its resource script and code. */
#pragma once

#define IDD_STARTUP 102
#define IDD_OPTIONS 114
#define IDD_MESSAGE 184
#define IDD_DEFAULT_WARNING 190
#define IDD_PATROL_TIME 160
#define IDD_HISTORY 141
#define IDD_HIDE_ALERTS 213
#define IDD_SERVICES 132
#define IDD_ACTIVE_TASKS 110

#define IDI_PROGRAM 101
#define IDI_UNKNOWN_PROGRAM 115
#define IDI_MONITOR_ACTIVE 3201
#define IDI_MONITOR_INACTIVE 3202

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

/* The Scheduled Tasks page. */
#define IDD_SCHEDULED_TASKS 137
#define IDC_EXPLANATION_2 1005

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

/* The Options page. */
#define IDC_OPT_ALWAYS_RUN 1017
#define IDC_OPT_SOUND 1020
#define IDC_OPT_HISTORY 1024
#define IDC_OPT_HIDE_RUSKO 1025
#define IDC_OPT_LOCK_FILE_TYPES 1026
#define IDC_OPT_CONFIRM_EXIT 1027
#define IDC_OPT_TRAY_ICON 1201
#define IDC_OPT_VANT 1202
#define IDC_OPT_EXPLORER_MENU 1018
#define IDC_OPT_GROUP 1019
#define IDC_OPT_START_PAGE_IMAGE 1136
#define IDC_OPT_HOSTS_IMAGE 1137
#define IDC_OPT_START_PAGE_TEXT 1140
#define IDC_OPT_HOSTS_TEXT 1141
#define IDC_OPT_LOG 1108
#define IDC_OPT_VIEW_HISTORY 1104
#define IDC_OPT_VIEW_HOSTS 1105
#define IDC_OPT_EXPORT 1106
#define IDC_OPT_RESTORE_DELAYED 1107
#define IDC_OPT_HIJACK_LOG 1109
#define IDC_OPT_SPREADSHEET 1110
#define IDC_OPT_HIDE_ALERTS 1236

/* The History viewer. */
#define IDC_HISTORY_TEXT 1102
#define IDC_HISTORY_RESTORE 1104
#define IDC_HISTORY_CLEAR 1106

/* The Hide Alerts dialog (the rows' controls are in explorer/hide_alerts.hpp). */
#define IDC_HIDE_TEXT 1240
#define IDC_HIDE_ALLOW_HEAD 1241
#define IDC_HIDE_PREVENT_HEAD 1242
#define IDC_HIDE_TYPE_HEAD 1243
#define IDC_HIDE_RUNONCE 1187
#define IDC_HIDE_SHOW_ALL 1188

/* The Hidden Files page. */
#define IDD_HIDDEN_FILES 195
#define IDC_REFRESH 1006
#define IDC_UNHIDE 1012
#define IDC_VIEW_NOTEPAD 1180
#define IDC_DELETE_HIDDEN 1184
/* The Recent page. */
#define IDD_RECENT 214
#define IDC_RECENT_ACTION 1246
