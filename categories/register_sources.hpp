// The listings of the categories as sources of the First-Detected Register. The register sits
// below the categories, so both programs build the sources here and hand them to
// initialise_register at start-up.
#pragma once
#include "common/detected.hpp"

namespace kestrom {

// A source for each category built in so far: startup programs, running programs, scheduled
// tasks, hidden files, services, IE helpers and ActiveX controls.
RegisterSources detected_register_sources(bool wow64_view);

// The product start-up's `build missing category snapshots` step: each category built in so far
// builds its snapshot when it has none yet (services, ActiveX).
void build_missing_category_snapshots();

}  // namespace kestrom
