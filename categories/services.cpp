#include "categories/services.hpp"

#include "common/history.hpp"
#include "common/options_table.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"

namespace kestrom::services {

namespace {
constexpr int kFirstState = 1;  // SERVICE_STOPPED
constexpr int kLastState = 7;   // SERVICE_PAUSED
}  // namespace

bool is_service_code(int code) noexcept { return code == kServiceExe || code == kServiceSvchost; }

bool runs_in_svchost(std::string_view image_path) noexcept { return contains(image_path, "svchost"); }

bool listed_in_full(std::string_view image_path) noexcept {
  return contains(image_path, ".exe") || runs_in_svchost(image_path);
}

int start_type_string(int start) noexcept {
  switch (start) {
    case kStartAutomatic: return IDS_START_AUTOMATIC;
    case kStartManual: return IDS_START_MANUAL;
    case kStartDisabled: return IDS_START_DISABLED;
    default: return 0;
  }
}

int alert_start_type_string(int start) noexcept {
  int s = start_type_string(start);
  return s ? s : IDS_UNKNOWN_START_TYPE;
}

int status_string(int state) noexcept {
  // 652 "Stopped" to 658 "Paused" follow the states 1 to 7 in order.
  if (state < kFirstState || state > kLastState) return IDS_SERVICE_STOPPED;
  return IDS_SERVICE_STOPPED + (state - kFirstState);
}

std::uint32_t pack_status(std::uint32_t state, std::uint32_t type) noexcept {
  return ((state & 0xFFFFu) << 16) | (type & 0xFFFFu);
}

int state_of(std::uint32_t packed) noexcept { return static_cast<int>(packed >> 16); }

int start_type_of_position(int position) noexcept { return position + kStartAutomatic; }

std::optional<int> position_of_start_type(int start) noexcept {
  if (start < kStartAutomatic || start > kStartDisabled) return std::nullopt;
  return start - kStartAutomatic;
}

std::optional<int> start_type_action(int start) noexcept {
  auto p = position_of_start_type(start);
  if (!p) return std::nullopt;
  return action::kServiceAutomatic + *p;
}

std::optional<int> old_start_type_action(int start) noexcept {
  // The records are named after start types, so they follow the start type the service had,
  // not its run state; "SERVICE__from_Disabled" (20) is a second spelling nothing writes.
  auto p = position_of_start_type(start);
  if (!p) return std::nullopt;
  return action::kServiceFromAutomatic + *p;
}

bool approves(std::optional<std::string> value) {
  return value && decimal_value(*value) != 0;
}

bool any_unapproved(const std::vector<std::string>& names, const std::function<bool(std::string_view)>& approved) {
  for (const auto& name : names)
    if (!approved(name)) return true;
  return false;
}

}  // namespace kestrom::services
