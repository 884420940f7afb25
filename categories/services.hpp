// Windows services: the rules of the listing, the Services snapshot, the status and start-type
// texts and the History Log records of the service actions. Pure; the system side is in
// categories/services_win.hpp.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom::services {

inline constexpr int kServiceExe = 700;      // SERVICE_EXE
inline constexpr int kServiceSvchost = 701;  // SERVICE_SVCHOST
inline constexpr std::size_t kMaxDisplayName = 4096;
inline constexpr std::size_t kMaxDescriptionRead = 4096;
// The snapshot's default value once it has been built.
inline constexpr std::string_view kSnapshotMarker = "P";

// Start values of a service key.
inline constexpr int kStartAutomatic = 2;
inline constexpr int kStartManual = 3;
inline constexpr int kStartDisabled = 4;

bool is_service_code(int code) noexcept;
// A service run by the shared service host ("svchost" anywhere in its image path).
bool runs_in_svchost(std::string_view image_path) noexcept;
// The full listing keeps only services whose image path names a program (".exe") or the
// shared host; kernel and file-system drivers stay out.
bool listed_in_full(std::string_view image_path) noexcept;

// String number of the start-type text in the list ("Automatic", "Manual", "Disabled");
// 0 for every other Start value, which the list shows as "0".
int start_type_string(int start) noexcept;
// The same for the new-service question, where other values read "Unknown" (string 616).
int alert_start_type_string(int start) noexcept;
// String number of a service's current state (1 to 7); "Stopped" for anything unknown.
int status_string(int state) noexcept;

// `service status`: the state in the upper 16 bits, the low 16 bits of the service type below.
std::uint32_t pack_status(std::uint32_t state, std::uint32_t type) noexcept;
int state_of(std::uint32_t packed) noexcept;

// Start-type list positions 0, 1, 2 are the start types 2, 3, 4.
int start_type_of_position(int position) noexcept;
std::optional<int> position_of_start_type(int start) noexcept;
// History action of a new start type (SERVICE_Automatic, _Manual, _Disabled).
std::optional<int> start_type_action(int start) noexcept;
// History action naming the start type a service had before it was changed
// (SERVICE_from_Automatic, _from_Manual, _from_Disabled); none for boot and system starts.
std::optional<int> old_start_type_action(int start) noexcept;

// A snapshot value that approves a service: present and a non-zero number.
bool approves(std::optional<std::string> value);

// `services changed`: yes when any of the quick listing's names is not approved.
bool any_unapproved(const std::vector<std::string>& names, const std::function<bool(std::string_view)>& approved);

}  // namespace kestrom::services
