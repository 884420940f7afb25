/* String-table numbers of the texts that the shared code of both programs loads
   (resources/strings_common.rc and strings_startup.rc). Plain defines, so that the resource
   scripts and the code name each text the same way; the numbers are the system's own. */
#pragma once

#define IDS_PRODUCT_NAME 2
#define IDS_VANT_NAME 622
#define IDS_DISABLED_TYPE 626
#define IDS_LANGUAGE_CODE 634 /* the interface language's two-letter code */
#define IDS_NEVER 686
#define IDS_STOP_PROGRAM_QUESTION 707
#define IDS_LOCATION_TOOLBAR 724
#define IDS_LOCATION_BHO 725
#define IDS_LOCATION_TASK_SCHEDULER 726
#define IDS_STARTUP_TYPE_ALWAYS 765
#define IDS_STARTUP_TYPE_RUNONCE 766
#define IDS_STARTUP_TYPE_WININI 767
#define IDS_STARTUP_TYPE_FOLDER 768
#define IDS_REMOVE_KEY_LOCATION_QUESTION 1013
#define IDS_EXPLORER_MENU_TEXT 1183
#define IDS_WINLOGON_USERINIT 2250
#define IDS_WINLOGON_SHELL 2251
/* What Windows refused a standard user: said by the monitor, and 2263 by the explorer too. */
#define IDS_REMOVE_REFUSED 2260
#define IDS_DISABLE_REFUSED 2261
#define IDS_ALWAYS_RUN_REFUSED 2263
#define IDS_FORGET_DELAYED_REFUSED 2265
/* Cookies. */
#define IDS_COOKIE_ENCRYPTED 2290
/* Scheduled tasks: the status texts and what `delete task` could not do. */
#define IDS_TASK_STATUS_READY 688
#define IDS_TASK_STATUS_RUNNING 689
#define IDS_TASK_STATUS_NOT_SCHEDULED 690
#define IDS_TASK_SCHEDULER_UNAVAILABLE 2270
#define IDS_TASK_DELETE_FAILED 2271

/* Hidden files: a deletion Windows refused (monitor and explorer). */
#define IDS_HIDDEN_DELETE_REFUSED 2280

/* IE helpers and ActiveX controls: a removal or kill bit Windows refused (monitor and explorer). */
#define IDS_HELPER_REMOVE_REFUSED 2340
#define IDS_KILL_BIT_REFUSED 2341
#define IDS_KILL_BIT_CLEAR_REFUSED 2342

/* The watched single settings: questions of the monitor, the default prefix of both programs. */
#define IDS_START_PAGE_CHANGED 625
#define IDS_SEARCH_PAGE_CHANGED 676
#define IDS_DESKTOP_PAGE_CHANGED 1017
#define IDS_AUTO_UPDATE_CAPTION 1050
#define IDS_AUTO_UPDATE_OFF 1051
#define IDS_AUTO_UPDATE_NOTIFY 1052
#define IDS_AUTO_UPDATE_DOWNLOAD 1053
#define IDS_AUTO_UPDATE_AUTOMATIC 1054
#define IDS_AUTO_UPDATE_CHANGED 1055
#define IDS_PREFIX_CAPTION 1060
#define IDS_DEFAULT_PREFIX 1061
#define IDS_PREFIX_CHANGED 1065
#define IDS_AUTO_UPDATE_UNKNOWN 2282
#define IDS_SETTING_REFUSED 2283
/* Services: start types and states, shown by both programs. */
#define IDS_UNKNOWN_START_TYPE 616
#define IDS_SERVICE_STOPPED 652
#define IDS_SERVICE_START_PENDING 653
#define IDS_SERVICE_STOP_PENDING 654
#define IDS_SERVICE_RUNNING 655
#define IDS_SERVICE_CONTINUE_PENDING 656
#define IDS_SERVICE_PAUSE_PENDING 657
#define IDS_SERVICE_PAUSED 658
#define IDS_START_AUTOMATIC 664
#define IDS_START_MANUAL 665
#define IDS_START_DISABLED 666
#define IDS_SERVICE_DISABLE_REFUSED 2266
/* File types: the watched list at first, and a restore Windows refused (monitor and explorer). */
#define IDS_FILE_TYPES_WATCHED 750
#define IDS_FILE_TYPE_RESTORE_REFUSED 2310
