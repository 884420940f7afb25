// The First-Detected Register (HKCU\Software\Orvane\Detected): when each item was first
// seen, one subkey per category, value name = the item's command or file, data = date text.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom {

inline constexpr std::size_t kMaxDetectedDate = 23;

namespace detected {
inline constexpr std::string_view kStartup = "Startup";
inline constexpr std::string_view kIEHelper = "IEHelper";
inline constexpr std::string_view kServices = "Services";
inline constexpr std::string_view kTasks = "Tasks";
inline constexpr std::string_view kActiveTasks = "ActiveTasks";
inline constexpr std::string_view kFileTypes = "FileTypes";
inline constexpr std::string_view kHidden = "Hidden";
inline constexpr std::string_view kActiveX = "ActiveX";
}  // namespace detected

// Pure: the category subkey name of a location or category code.
std::string_view detected_category(int code) noexcept;

// Records the first sighting of `name` in `category` (a subkey name above). True when an
// entry already existed. A name whose program file does not exist is not noted (except
// ActiveX, which is noted without a file test).
bool note_first_sighting(std::string_view name, std::string_view category);
// The date text of the first sighting in the category of `code`; empty when none.
std::string first_sighting(std::string_view name, int code);
// The same, noting the sighting in `category` first when there is none: a page that shows an
// item has seen it. An empty name is never noted (it would be the category key's default value).
std::string first_sighting_noted(std::string_view name, int code, std::string_view category);
// first_sighting for every item of a listing: each category's key is opened once.
class Sightings {
 public:
  Sightings();
  ~Sightings();
  Sightings(const Sightings&) = delete;
  Sightings& operator=(const Sightings&) = delete;
  std::string of(std::string_view name, int code);

 private:
  struct Keys;
  std::unique_ptr<Keys> keys_;
};
// The listings of the categories for the first fill; each returns the file (or command)
// texts to note and may be empty while its category is not built in. The categories sit above
// this register, so the programs hand their listings in (categories/register_sources.hpp).
struct RegisterSources {
  std::function<std::vector<std::string>()> startup, ie_helpers, tasks, services, file_types, active_tasks, hidden,
      activex;
};
// Fills the register at first use from `sources`. The ActiveX subkey is filled once on its own
// ("P" marker).
void initialise_register(const RegisterSources& sources);
// Deletes the entries whose file no longer exists; the default value stays.
void prune_category(std::string_view category);

}  // namespace kestrom
