// `list startup programs`: empties the Item List and refills it from every place from which
// Windows starts programs by itself, in a fixed order. Both programs call it on their user
// interface thread with COM initialised (startup-folder shortcuts are resolved through the
// shell's link interfaces).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "common/item_list.hpp"
#include "startup/rules.hpp"

namespace kestrom {

struct StartupScan {
  // The explorer's Startup Programs page passes true; then the Winlogon and shell-extension
  // places are listed only when show_all_startup (option "ShowAllStartup") is above 0.
  bool advanced = false;
  int show_all_startup = 0;
  // HKLM\Software\Wow6432Node\...\Run can be opened (see wow64_view_present); enables the
  // third Run-family pass.
  bool wow64_view = false;
};

// The item rules of the running program: the system's long paths and its display name.
ItemRules system_item_rules();

// True when HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Run opens for reading
// in the 64-bit view (the process-wide 64-bit view flag the programs set at start-up).
bool wow64_view_present();

// Returns the number of items in the list afterwards.
std::size_t list_startup_programs(ItemList& list, const StartupScan& scan, const ItemRules& rules);

// The file texts of the startup programs, listed with the running program's rules: the
// startup category's source for the First-Detected Register.
std::vector<std::string> startup_program_files(bool wow64_view);

// Lists one folder with the folder rule (code 200): shortcuts, programs and other files.
void list_startup_folder(ItemList& list, const std::string& folder, const ItemRules& rules);

// The Winlogon values (HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon).
FoundCommand userinit_command();
FoundCommand shell_command();

// The explorer's location text of an item: " * " + string 626 + " * " first when a disabled
// marker with a number other than 0 is named like its title, then the place's text.
std::string item_location_text(const StartupItem& item);
// item_location_text for every item of a listing: each text is loaded and the Disabled Store's
// key opened once.
class LocationTexts {
 public:
  LocationTexts();
  ~LocationTexts();
  LocationTexts(const LocationTexts&) = delete;
  LocationTexts& operator=(const LocationTexts&) = delete;
  std::string of(const StartupItem& item);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
// The startup Alert Dialog's explanation of a place (string 765, 766, 767 or 768).
std::string startup_type_text(int code);

// The folder that keeps disabled startup-folder files: the program folder + "\Disabled".
std::string disabled_folder();

}  // namespace kestrom
