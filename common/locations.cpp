#include "common/locations.hpp"

#include <array>

#include "common/string_ids.h"
#include "common/text.hpp"

namespace kestrom {

namespace {

struct NameRow {
  int code;
  std::string_view name;
};

// The History Log's search order; a reader maps names back through the same rows.
constexpr std::array<NameRow, 51> kNames{{
    {1, "MACHINE_RUN"},
    {2, "MACHINE_RUNONCE"},
    {3, "MACHINE_RUNONCEEX"},
    {4, "MACHINE_RUNSERVICES"},
    {5, "MACHINE_RUNSERVICESONCE"},
    {11, "CURRENT_RUN"},
    {12, "CURRENT_RUNONCE"},
    {13, "CURRENT_RUNONCEEX"},
    {14, "CURRENT_RUNSERVICES"},
    {15, "CURRENT_RUNSERVICESONCE"},
    {21, "WOW64_RUN"},
    {22, "WOW64_RUNONCE"},
    {23, "WOW64_RUNONCEEX"},
    {24, "WOW64_RUNSERVICES"},
    {25, "WOW64_RUNSERVICESONCE"},
    {31, "KESTROM_RUN"},
    {32, "KESTROM_RUNONCE"},
    {33, "KESTROM_RUNONCEEX"},
    {34, "KESTROM_RUNSERVICES"},
    {35, "KESTROM_RUNSERVICESONCE"},
    {100, "WIN_LOAD"},
    {101, "WIN_RUN"},
    {200, "GROUP_STARTUP"},
    {250, "WINLOGON_Userinit"},
    {251, "WINLOGON_Shell"},
    {252, "REG_Delayload"},
    {253, "REG_TaskScheduler"},
    {254, "REG_ShellExecuteHook"},
    {255, "REG_AppInitDLLs"},
    {500, "INFO_COOKIE"},
    {501, "INFO_NETCOOKIE"},
    {502, "INFO_SAVECOOKIE"},
    {503, "INFO_NUTS"},
    {600, "INFO_TASK"},
    {700, "SERVICE_EXE"},
    {701, "SERVICE_SVCHOST"},
    {800, "TASK_SCHEDULED"},
    {900, "TYPE_BHO"},
    {300, "RESTART_DELETE"},
    {301, "RESTART_RENAME"},
    {901, "TYPE_TOOLBAR"},
    {902, "TYPE_EXTENSION"},
    {350, "TYPE_MONITOR"},
    {360, "TYPE_BLACKLIST"},
    {450, "TYPE_PROSEARCH"},
    {400, "TYPE_FILETYPE"},
    {370, "TYPE_HIDDEN"},
    {256, "RUN_WINLOGONNOTIFY"},
    {6, "MACHINE_RUNONCESETUP"},
    {7, "MACHINE_RUNPOLICY"},
    {3000, "TYPE_UNKNOWN"},
}};

struct PlaceRow {
  int code;
  std::string_view tag;
  std::string_view fixed_text;  // location text that is not built from the key name
};

constexpr std::array<std::array<std::string_view, kRunKeysPerPass>, 3> kRunTags{{
    {"HKLM_RUN", "HKLM_RUNONCE", "HKLM_RUNONCEEX", "HKLM_RUNSERVICES", "HKLM_RUNSERVICESONCE", "HKLM_RUNONCESETUP",
     "HKLM_POLICY"},
    {"HKCU_RUN", "HKCU_RUNONCE", "HKCU_RUNONCEEX", "HKCU_RUNSERVICES", "HKCU_RUNSERVICESONCE", "HKCU_RUNONCESETUP",
     "HKCU_POLICY"},
    {"x64_RUN", "x64_RUNONCE", "x64_RUNONCEEX", "x64_RUNSERVICES", "x64_RUNSERVICESONCE", "x64_RUNONCESETUP",
     "x64_POLICY"},
}};
constexpr std::array<PlaceRow, 10> kPlaces{{
    {100, "WIN.INI_LOAD", "WIN.INI     [Load] Section"},
    {101, "WIN.INI_RUN", "WIN.INI     [Run] Section"},
    {200, "STARTUP_FOLDER", "Windows Startup Group"},
    {250, "LOGON_USERINIT", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Userinit"},
    {251, "LOGON_SHELL", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Shell"},
    {252, "DELAYLOAD", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad"},
    {253, "TASKSCHEDULER", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler"},
    {254, "SHELLHOOK", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks"},
    {255, "APPINIT_DLL", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows  AppInit_DLLs"},
    {256, "NOTIFY", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Notify"},
}};

// Index 0..6 of a Run-family code inside its pass, -1 for other codes.
int run_index(int code) noexcept {
  for (int base : {code::kMachineBase, code::kCurrentBase, code::kWow64Base})
    if (code > base && code <= base + kRunKeysPerPass) return code - base - 1;
  return -1;
}

}  // namespace

std::string_view location_name(int code) noexcept {
  for (const auto& row : kNames)
    if (row.code == code) return row.name;
  return "TYPE_UNKNOWN";
}

std::optional<int> location_code_from_name(std::string_view name) noexcept {
  for (const auto& row : kNames)
    if (iequals(row.name, name)) return row.code;
  return std::nullopt;
}

std::string_view short_tag(int code) noexcept {
  int i = run_index(code);
  if (i >= 0) {
    return kRunTags[static_cast<std::size_t>(code / 10)][static_cast<std::size_t>(i)];
  }
  for (const auto& p : kPlaces)
    if (p.code == code) return p.tag;
  return {};
}

std::string location_table_text(int code) {
  int i = run_index(code);
  if (i >= 0) {
    // RunOnce\Setup and the policy key have no location text.
    if (i >= 5) return {};
    const bool user = code > code::kCurrentBase && code < code::kWow64Base;
    return (user ? "HKCU\\" : "HKLM\\") + run_key_path(static_cast<RunKey>(i), code > code::kWow64Base);
  }
  for (const auto& p : kPlaces)
    if (p.code == code) return std::string(p.fixed_text);
  return {};
}

int location_text_string(int code) noexcept {
  switch (code) {
    case code::kTaskScheduled: return IDS_LOCATION_TASK_SCHEDULER;
    case code::kTypeBho: return IDS_LOCATION_BHO;
    case code::kTypeToolbar: return IDS_LOCATION_TOOLBAR;
    default: return 0;
  }
}

std::string location_text(int code, bool disabled, std::string_view disabled_word, std::string_view string_text) {
  if (location_text_string(code) != 0) return std::string(string_text);
  if (code > code::kWinlogonNotify) return {};
  std::string out;
  if (disabled) {
    out = " * ";
    out += disabled_word;
    out += " * ";
  }
  out += location_table_text(code);
  if (out.size() > kMaxLocationText) out.resize(kMaxLocationText);
  return out;
}

bool is_run_family(int code) noexcept { return run_index(code) >= 0; }

std::optional<RunKey> run_key_of(int code) noexcept {
  int i = run_index(code);
  if (i < 0) return std::nullopt;
  return static_cast<RunKey>(i);
}

}  // namespace kestrom
