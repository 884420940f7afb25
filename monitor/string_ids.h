/* String-table numbers of the monitor's own texts (resources/strings_monitor.rc and the
   alerts' alerts.rc); the texts both programs load are in common/string_ids.h. Plain defines,
   so that the resource scripts and the code name each text the same way. */
#pragma once

#define IDS_MONITOR_CLASS_NAME 1
#define IDS_NEW_COOKIES_QUESTION 16
#define IDS_EXIT_QUESTION 17
#define IDS_MENU_STARTUP 503
#define IDS_MENU_ACTIVE_TASKS 504
#define IDS_MENU_COOKIES 505
#define IDS_MENU_EXIT 508
#define IDS_MENU_SERVICES 509
#define IDS_MENU_FILE_TYPES 510
#define IDS_MENU_OPTIONS 610
#define IDS_MENU_SCHEDULED_TASKS 685
#define IDS_MENU_IE_HELPERS 697
#define IDS_EXPLORER_MISSING 795
#define IDS_TIP_PATROL 820
#define IDS_TIP_STARTUP 821
#define IDS_TIP_IE_HELPERS 822
#define IDS_TIP_SCHEDULED_TASKS 823
#define IDS_TIP_CHANGES 824
#define IDS_TIP_SERVICES 825
#define IDS_TIP_COOKIES 826
#define IDS_TIP_FILE_TYPES 827
#define IDS_TIP_HOSTS 828
#define IDS_TIP_START_PAGES 829
#define IDS_TIP_SYSTEM_SETTINGS 830
#define IDS_MENU_HIDDEN_FILES 1018
#define IDS_MENU_DELAYED_START 1020
#define IDS_MENU_ACTIVEX 1067
#define IDS_MENU_RECENT 1192
#define IDS_SYSTEM_ERROR_CAPTION 1900

/* The alert dialogs. */
#define IDS_NEW_PROGRAM_QUESTION 7
#define IDS_VERSION 630
#define IDS_DISABLE 633
#define IDS_INFO_BUTTON 641
#define IDS_VERSION_LABEL 644
#define IDS_NEW_PROGRAM_TITLE 718
#define IDS_YES 719
#define IDS_NO 720
#define IDS_PUT_BACK_QUESTION 1022
#define IDS_PUT_BACK_TITLE 1023
/* The new-task alert. */
#define IDS_TASK_QUESTION 692
#define IDS_TASK_NEXT_RUN_LABEL 693

/* The hidden-files alert. */
#define IDS_HIDDEN_DELETE 925
#define IDS_HIDDEN_QUESTION 1015

/* The File Change Alert of the watched system files. */
#define IDS_FILE_CHANGE_TITLE 1000
#define IDS_FILE_CHANGE_TEXT 1001
#define IDS_FILE_CHANGE_ACCEPT_TEXT 1002
#define IDS_FILE_CHANGE_REJECT_TEXT 1003
#define IDS_FILE_CHANGE_NAME_LABEL 1004
#define IDS_FILE_CHANGE_PATH_LABEL 1005
#define IDS_FILE_CHANGE_VIEW_NEW 1006
#define IDS_FILE_CHANGE_VIEW_PREVIOUS 1007
#define IDS_FILE_CHANGE_ACCEPT 1008
#define IDS_FILE_CHANGE_REJECT 1009
#define IDS_FILE_CHANGE_STOP_WATCHING 1010
#define IDS_SYSTEM_FILE_REFUSED 2281
/* The new IE helper and new ActiveX control alerts (dialogs 140, 193). */
#define IDS_HELPER_QUESTION 701
#define IDS_ACTIVEX_QUESTION 1066
/* The new-service alert (dialog 171). */
#define IDS_NEW_SERVICE_MESSAGE 900
#define IDS_NEW_SERVICE_QUESTION 901
/* The File Type Change Alert (dialog 143). */
#define IDS_FILE_TYPE_INFO_BUTTON 301
#define IDS_FILE_TYPE_INTRO 756
#define IDS_FILE_TYPE_OLD_LABEL 757
#define IDS_FILE_TYPE_NEW_LABEL 758
#define IDS_FILE_TYPE_QUESTION 759
#define IDS_FILE_TYPE_TITLE 760
#define IDS_FILE_TYPE_STOP_WATCHING 1400
