/* String-table numbers of the explorer's own texts (resources/strings_explorer.rc); the texts
   both programs load are in common/string_ids.h. Plain defines, so that the resource script and
   the code name each text the same way. Numbers 3100 and up are the explorer's texts without a
   number elsewhere (column titles, menu entries), kept in one range so translations find them. */
#pragma once

#define IDS_EXPLORER_CLASS_NAME 9
#define IDS_SHEET_FAILED 24
#define IDS_NO_SELECTION 57
#define IDS_STARTUP_EXPLANATION 211
#define IDS_MENU_REMOVE 302
#define IDS_CLOSE_BUTTON 304
#define IDS_PAGE_STARTUP 606
#define IDS_PAGE_ACTIVE_TASKS 607
#define IDS_PAGE_COOKIES 608
#define IDS_PAGE_DELAYED_START 609
#define IDS_PAGE_OPTIONS 610
#define IDS_PAGE_SERVICES 636
#define IDS_STARTUP_LOCATION 646
#define IDS_PAGE_SCHEDULED_TASKS 680
#define IDS_PAGE_IE_HELPERS 694
#define IDS_PAGE_FILE_TYPES 739
#define IDS_PATROL_TIME_STARTUP 784
#define IDS_HELP_CAPTION 793
#define IDS_MONITOR_CAPTION 794
#define IDS_LOADING 833
#define IDS_SHOW_ALL_STARTUP 929
#define IDS_PAGE_HIDDEN_FILES 973
#define IDS_DEFAULT_PREFIX 1061
#define IDS_PAGE_ACTIVEX 1155
#define IDS_PAGE_RECENT 1192
#define IDS_COL_TITLE 3101
#define IDS_COL_COMMAND 3102
#define IDS_COL_COMPANY 3103
#define IDS_COL_TYPE 3104
#define IDS_COL_FIRST_DETECTED 3105
#define IDS_COL_STATUS 3106
#define IDS_COL_DELAY_TIME 3107
#define IDS_COL_MODULE 3108
#define IDS_COL_CLSID 3109
#define IDS_COL_NAME 3110
#define IDS_COL_PROGRAM 3111
#define IDS_COL_NEXT_RUN 3112
#define IDS_COL_LAST_RUN 3113
#define IDS_COL_STARTUP 3114
#define IDS_COL_DESCRIPTION 3115
#define IDS_COL_COOKIES 3116
#define IDS_COL_CREATED 3117
#define IDS_COL_COOKIE_NAME 3118
#define IDS_COL_EXPIRES 3119
#define IDS_COL_PATH 3120
#define IDS_COL_VALUE 3121
#define IDS_COL_SSL 3122
#define IDS_COL_CLASS 3123
#define IDS_COL_EXTENSION 3124
#define IDS_COL_LAST_WRITTEN 3125
#define IDS_COL_ACTION 3126
#define IDS_COL_DATE_MODIFIED 3127
#define IDS_MENU_INFO 3140
#define IDS_MENU_EXPLORE 3141
#define IDS_MENU_PROPERTIES 3142
#define IDS_MENU_VIEW_NOTE 3143
#define IDS_MENU_ADD 3144
#define IDS_MENU_MOVE_TO_DELAY 3145
#define IDS_MENU_ENABLE 3146
#define IDS_MENU_DISABLE 3147
#define IDS_MENU_DELETE_ON_REBOOT 3148
#define IDS_MENU_LOOKUP 3149
#define IDS_MENU_LOG 3150
#define IDS_MENU_HELP 3151
#define IDS_OPTIONS_PLACEHOLDER 3160
/* What Windows refused a standard user, and the offer to start again as administrator. */
#define IDS_RESTART_ELEVATED 2262
#define IDS_REPAIR_REFUSED 2264
/* The Services page. */
#define IDS_SERVICES_EXPLANATION 638
#define IDS_SERVICES_HINT 639
#define IDS_NON_MICROSOFT_SERVICES 721
/* The Active Tasks page. */
#define IDS_ACTIVE_TASKS_EXPLANATION 221
#define IDS_ACTIVE_TASKS_HINT 222
#define IDS_KILL_TASK 306
#define IDS_REFRESH_BUTTON 3196
