#include "categories/system_files.hpp"

namespace kestrom {

std::string hosts_path(std::string_view windows_folder) {
  std::string path(windows_folder);
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + "system32\\drivers\\etc\\hosts";
}

std::vector<WatchedSystemFile> initial_system_files(std::string_view windows_folder) {
  return {
      {"HOSTS", hosts_path(windows_folder), "HOST file can be used to protect or redirect domain access."},
      {"Autoexec.bat", "C:\\autoexec.bat", "Runs at system boot time at command level."},
      {"Config.sys", "C:\\Config.sys", "Used at system boot time at command level."},
  };
}

SystemFileCheck check_system_file_facts(const RecordedFacts& recorded, std::string_view size,
                                        std::string_view date) {
  SystemFileCheck out;
  out.write_size = !recorded.size || recorded.size->empty();
  const std::string_view recorded_size = out.write_size ? size : std::string_view(*recorded.size);
  if (!recorded.date || recorded.date->empty()) {
    out.write_date = true;
    return out;
  }
  out.changed = *recorded.date != date && (recorded.type != 0 || recorded_size != size);
  return out;
}

}  // namespace kestrom
