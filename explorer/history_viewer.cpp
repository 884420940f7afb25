#include "explorer/history_viewer.hpp"

#include <iterator>

namespace kestrom::explorer {

std::vector<HistoryRecord> newest_history_rows(std::vector<HistoryRecord> records) {
  if (records.size() > kMaxHistoryRows)
    records.erase(records.begin(), records.end() - static_cast<std::ptrdiff_t>(kMaxHistoryRows));
  return records;
}

bool history_restorable(int action) noexcept {
  return action == action::kStartRemove || action == action::kHiddenDeleteFile;
}

std::optional<std::string> vault_file_name(std::string_view recorded_path) {
  const auto slash = recorded_path.find_last_of("\\/");
  std::string_view name = slash == std::string_view::npos ? recorded_path : recorded_path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  for (char c : name)
    if (c == ':' || static_cast<unsigned char>(c) < 32) return std::nullopt;
  // Windows drops trailing dots and blanks, so "..." or ". ." would name the folder above.
  if (name.find_first_not_of(". ") == std::string_view::npos) return std::nullopt;
  return std::string(name);
}

}  // namespace kestrom::explorer
