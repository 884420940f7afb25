// The History viewer's rules: which records it shows, which it can undo, and where a deleted
// hidden file's copy lies in the Vault. Pure.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/history.hpp"
#include "common/item_list.hpp"

namespace kestrom::explorer {

// The viewer shows at most this many records: the newest, in the file's order.
inline constexpr std::size_t kMaxHistoryRows = kMaxItems;
std::vector<HistoryRecord> newest_history_rows(std::vector<HistoryRecord> records);

// The records "&Restore" undoes: a removed startup entry and a deleted hidden file.
bool history_restorable(int action) noexcept;

}  // namespace kestrom::explorer
