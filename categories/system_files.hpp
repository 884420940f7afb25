// Watched system files (HOSTS, Autoexec.bat, Config.sys): one subkey per file under
// HKLM\Software\Orvane\Kestrom\Sysfiles with Location, Size, Date, Type and Comment, and the last
// accepted content in the Vault under the subkey name. Pure: the initial set and the change rule.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom {

struct WatchedSystemFile {
  std::string name;      // the subkey and the Vault copy's name
  std::string location;  // full path
  std::string comment;   // shown in the alert
};

// The HOSTS file of the NT family: system32\drivers\etc\hosts under the Windows folder.
std::string hosts_path(std::string_view windows_folder);
// The set recorded on first use, in order: HOSTS, Autoexec.bat, Config.sys.
std::vector<WatchedSystemFile> initial_system_files(std::string_view windows_folder);

// What the registry holds about a file; a value that is not there is nullopt.
struct RecordedFacts {
  std::optional<std::string> size, date;
  int type = 0;  // non-zero: a date change alone counts as a change
};
struct SystemFileCheck {
  bool write_size = false;  // the recorded size is missing: record the current one
  bool write_date = false;  // the recorded date is missing: record the current one (no change)
  bool changed = false;
};
// `check system file` for an existing file with its current size and date texts. Only a size
// that is really missing is refreshed: "0" is the recorded size of an empty file.
SystemFileCheck check_system_file_facts(const RecordedFacts& recorded, std::string_view size,
                                        std::string_view date);

}  // namespace kestrom
