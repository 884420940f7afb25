#include "explorer/recent_page.hpp"

#include "common/detected.hpp"
#include "explorer/resource_ids.h"
#include "explorer/string_ids.h"

namespace kestrom::explorer::recent {

int type_string(int tag) noexcept {
  switch (tag) {
    case kActive: return IDS_RECENT_TYPE_ACTIVE;
    case kStartup: return IDS_RECENT_TYPE_STARTUP;
    case kIEHelper: return IDS_RECENT_TYPE_IE_HELPER;
    case kServices: return IDS_RECENT_TYPE_SERVICES;
    case kHidden: return IDS_RECENT_TYPE_HIDDEN;
    case kTasks: return IDS_RECENT_TYPE_SCHEDULED;
    case kActiveX: return IDS_RECENT_TYPE_ACTIVEX;
    default: return 0;
  }
}

std::string_view detected_category(int tag) noexcept {
  switch (tag) {
    case kActive: return detected::kActiveTasks;
    case kStartup: return detected::kStartup;
    case kIEHelper: return detected::kIEHelper;
    case kServices: return detected::kServices;
    case kHidden: return detected::kHidden;
    case kTasks: return detected::kTasks;
    case kActiveX: return detected::kActiveX;
    default: return {};
  }
}

int action_command(int tag) noexcept {
  switch (tag) {
    case kActive: return kKill;
    case kHidden: return kDelete;
    case kIEHelper:
    case kTasks:
    case kStartup: return menu::kRemove;
    case kServices: return kStop;
    default: return 0;
  }
}

int action_string(int action) noexcept {
  switch (action) {
    case kKill: return IDS_KILL_TASK;
    case kDelete: return IDS_MENU_DELETE_FILE;
    case menu::kRemove: return IDS_MENU_REMOVE;
    case kStop: return IDS_STOP_SERVICE;
    default: return 0;
  }
}

// The entries follow the row's kind, so a Run entry of any place offers its removal, not
// only one of the first Run key.
std::vector<MenuEntry> recent_menu(int tag, bool has_note) {
  std::vector<MenuEntry> entries{{IDS_MENU_EXPLORE, menu::kExploreFolder}, {IDS_MENU_PROPERTIES, menu::kProperties}};
  if (has_note) entries.push_back({IDS_MENU_VIEW_NOTE, menu::kViewNote});
  entries.push_back({0, 0});
  switch (tag) {
    case kIEHelper: entries.push_back({IDS_MENU_REMOVE, menu::kRemove}); break;
    case kActive:
      entries.push_back({IDS_MENU_REFRESH, kRefresh});
      entries.push_back({IDS_KILL_TASK, kKill});
      break;
    case kStartup:
    case kTasks:
      entries.push_back({0, 0});
      entries.push_back({IDS_MENU_REMOVE, menu::kRemove});
      break;
    case kHidden:
      entries.push_back({IDS_MENU_REFRESH, kRefresh});
      entries.push_back({IDS_MENU_DELETE_FILE, kDelete});
      entries.push_back({IDS_MENU_VIEW_NOTEPAD, kViewNotepad});
      break;
    default: break;
  }
  entries.push_back({IDS_MENU_REFRESH, kRefresh});
  entries.push_back({IDS_MENU_DELETE_ON_REBOOT, menu::kDeleteOnReboot});
  return entries;
}

std::optional<std::size_t> find_again(const std::vector<StartupItem>& fresh, const StartupItem& item) {
  for (std::size_t i = 0; i < fresh.size(); ++i) {
    const StartupItem& f = fresh[i];
    if (f.code == item.code && f.file == item.file && f.title == item.title) return i;
  }
  return std::nullopt;
}

}  // namespace kestrom::explorer::recent
