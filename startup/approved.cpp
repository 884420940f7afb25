#include "startup/approved.hpp"

#include "common/locations.hpp"
#include "common/pathtext.hpp"

namespace kestrom {

std::optional<ApprovedPlace> approved_place(int code, std::string_view title, std::string_view folder_file,
                                            bool common_folder) {
  std::string key(kStartupApprovedParent);
  switch (code) {
    case code::kMachineRun: return ApprovedPlace{RegRoot::LocalMachine, key + "Run", std::string(title)};
    case code::kCurrentRun: return ApprovedPlace{RegRoot::CurrentUser, key + "Run", std::string(title)};
    case code::kWow64Run: return ApprovedPlace{RegRoot::LocalMachine, key + "Run32", std::string(title)};
    case code::kGroupStartup: {
      std::string name(file_name_of_path(folder_file));
      if (name.empty()) return std::nullopt;
      return ApprovedPlace{common_folder ? RegRoot::LocalMachine : RegRoot::CurrentUser, key + "StartupFolder",
                           std::move(name)};
    }
    default: return std::nullopt;
  }
}

bool approved_switched_off(const std::optional<std::string>& value) noexcept {
  if (!value || value->empty()) return false;
  return (static_cast<unsigned char>(value->front()) & 1u) != 0;
}

std::string approved_enabled_value() {
  std::string v(kApprovedValueSize, '\0');
  v[0] = 2;
  return v;
}

}  // namespace kestrom
