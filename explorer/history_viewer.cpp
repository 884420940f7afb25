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

}  // namespace kestrom::explorer
