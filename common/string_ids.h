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
