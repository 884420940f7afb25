// String-table numbers of the explorer's own texts that have no number elsewhere (column
// titles, menu entries and button captions), kept in one range so translations find them.
#pragma once

namespace kestrom::explorer::ids {

inline constexpr int kColTitle = 3101;
inline constexpr int kColCommand = 3102;
inline constexpr int kColCompany = 3103;
inline constexpr int kColType = 3104;
inline constexpr int kColFirstDetected = 3105;
inline constexpr int kColStatus = 3106;
inline constexpr int kColDelayTime = 3107;
inline constexpr int kColModule = 3108;
inline constexpr int kColClsid = 3109;
inline constexpr int kColName = 3110;
inline constexpr int kColProgram = 3111;
inline constexpr int kColNextRun = 3112;
inline constexpr int kColLastRun = 3113;
inline constexpr int kColStartup = 3114;
inline constexpr int kColDescription = 3115;
inline constexpr int kColCookies = 3116;
inline constexpr int kColCreated = 3117;
inline constexpr int kColCookieName = 3118;
inline constexpr int kColExpires = 3119;
inline constexpr int kColPath = 3120;
inline constexpr int kColValue = 3121;
inline constexpr int kColSsl = 3122;
inline constexpr int kColClass = 3123;
inline constexpr int kColExtension = 3124;
inline constexpr int kColLastWritten = 3125;
inline constexpr int kColAction = 3126;
inline constexpr int kColDateModified = 3127;

inline constexpr int kMenuInfo = 3140;
inline constexpr int kMenuExplore = 3141;
inline constexpr int kMenuProperties = 3142;
inline constexpr int kMenuViewNote = 3143;
inline constexpr int kMenuAdd = 3144;
inline constexpr int kMenuMoveToDelay = 3145;
inline constexpr int kMenuRemove = 302;
inline constexpr int kMenuEnable = 3146;
inline constexpr int kMenuDisable = 3147;
inline constexpr int kMenuDeleteOnReboot = 3148;
inline constexpr int kMenuLookup = 3149;
inline constexpr int kMenuLog = 3150;
inline constexpr int kMenuHelp = 3151;
inline constexpr int kOptionsPlaceholder = 3160;

// Numbers the system gives.
inline constexpr int kClassName = 9;
inline constexpr int kProductTitle = 2;
inline constexpr int kStartupExplanation = 211;
inline constexpr int kLoading = 833;
inline constexpr int kSheetFailed = 24;
inline constexpr int kCloseButton = 304;
inline constexpr int kDisabledType = 626;
inline constexpr int kLanguageCode = 634;
inline constexpr int kStartupLocation = 646;
inline constexpr int kHelpCaption = 793;
inline constexpr int kMonitorCaption = 794;
inline constexpr int kShowAllStartup = 929;
inline constexpr int kNoSelection = 57;
inline constexpr int kDefaultPrefix = 1061;
// What Windows refused a standard user, and the offer to start again as administrator.
inline constexpr int kRestartElevated = 2262;
inline constexpr int kAlwaysRunRefused = 2263;  // strings_startup.rc: the monitor says it too
inline constexpr int kRepairRefused = 2264;

}  // namespace kestrom::explorer::ids
