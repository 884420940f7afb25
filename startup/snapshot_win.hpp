// The Startup Snapshot read through a key already open, for a check of every listed entry.
#pragma once
#include <string_view>

#include "platform/reg_key.hpp"

namespace kestrom {

// The snapshot's key opened for reading (not valid when there is no snapshot yet).
platform::RegKey open_startup_snapshot();
// snapshot_number through `snapshot`: the number under one value name; 0 when missing, too
// long or not a number.
int snapshot_number_in(const platform::RegKey& snapshot, std::string_view name);

}  // namespace kestrom
