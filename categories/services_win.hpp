// Windows services on the real system: the listing from the Services key, the Services
// snapshot under the product key, and stop / start type through the service manager.
// Services are named by their display name, as the lists show them; the service manager's
// key name is looked up for every call, never guessed from the registry.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "categories/services.hpp"
#include "common/item_list.hpp"
#include "startup/actions.hpp"

namespace kestrom::services {

inline constexpr std::string_view kServicesKey = "SYSTEM\\CurrentControlSet\\Services";

enum class ListMode {
  Full,   // every rule: programs and the shared host only, display names, Microsoft filter
  Quick,  // every service and driver with an image path, by key name, code 700, no filter
};
// Clears the list and fills it; the count. `hide_microsoft` leaves out services whose program
// is a Microsoft file (full mode only).
std::size_t list_services(ItemList& list, ListMode mode, const ItemRules& rules, bool hide_microsoft);
// The same with HideMicrosoftServices from the Options Store.
std::size_t list_services(ItemList& list, ListMode mode, const ItemRules& rules);

// Builds the snapshot once ("P" marker); leaves the list empty.
void build_services_snapshot(ItemList& list, const ItemRules& rules);
bool service_approved(std::string_view display_name);
bool approve_service(std::string_view display_name, int code);
// First stage of the patrol: some service named by the quick listing is not approved.
bool services_changed(ItemList& list, const ItemRules& rules);

// The service manager's names; nullopt when it does not know the service.
std::optional<std::string> service_key_name(std::string_view display_name);
std::optional<std::string> service_display_name(std::string_view key_name);

struct ServiceState {
  bool known = false;        // the state could be read
  int state = 0;             // SERVICE_STOPPED (1) .. SERVICE_PAUSED (7)
  std::uint32_t type = 0;
  std::uint32_t controls = 0;  // the controls it accepts now
  bool can_stop() const noexcept;
};
ServiceState service_state(std::string_view display_name);
// `service status`: packed state and type; 0 when it cannot be read.
std::uint32_t service_status(std::string_view display_name);
// The state's text; "Stopped" when it cannot be read.
std::string service_status_text(std::string_view display_name, std::uint32_t* packed = nullptr);
// The state texts of every service the manager knows, read by one enumeration, for listings
// that show many states at once (the reports). A name the enumeration did not give reads as
// service_status_text reads a service it cannot query.
class ServiceStateTexts {
 public:
  ServiceStateTexts();
  std::string text_of(std::string_view display_name) const;

 private:
  std::unordered_map<std::string, int> states_;  // upper-case display name -> state
};
// The "Start" value of the service's own key; -1 when it cannot be read.
int service_start_type(std::string_view display_name);
// The text of a start type as the lists show it.
std::string start_type_text(int start);

// The plain calls: Done when the service manager accepted them, Refused when it denied the
// rights, NotDone for anything else. They write no History record.
ActionResult stop_service(std::string_view display_name);
ActionResult set_service_start_type(std::string_view display_name, int start);

// The user's actions, each with its History records, written only for what was done:
// Stop (SERVICE_Stop).
ActionResult stop_service_logged(const StartupItem& item);
// A new start type: the record of the old start type, then that of the new one.
ActionResult change_service_start_type(const StartupItem& item, int start);
// The No answer to a new service: stopped and disabled, with "from", Stop and Disabled records.
// Refused when Windows denied disabling it.
ActionResult refuse_new_service(const StartupItem& item);

// The "Description" of the service that runs `program_file` (its image path, or for the shared
// host its "ServiceDll", reduced to a program file); empty when no service runs it.
inline constexpr std::size_t kMaxProgramDescription = 1024;
std::string service_description_for_program(std::string_view program_file);

// The program files of the listed services: the category's source for the First-Detected
// Register.
std::vector<std::string> service_files();

}  // namespace kestrom::services
