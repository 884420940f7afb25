#include "check/policy_win.hpp"

#include "check/policy_string_ids.h"
#include "common/textloader.hpp"

namespace kestrom::check {

PolicyOutcome export_policy(const std::wstring&) {
  return PolicyOutcome{false, text::load(IDS_POLICY_NOT_AVAILABLE), {}};
}

PolicyOutcome import_policy(const std::wstring&) {
  return PolicyOutcome{false, text::load(IDS_POLICY_NOT_AVAILABLE), {}};
}

}  // namespace kestrom::check
