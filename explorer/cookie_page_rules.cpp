#include "explorer/cookie_page_rules.hpp"

#include "categories/cookies.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/resource_ids.h"
#include "explorer/string_ids.h"

namespace kestrom::explorer {

BrowserButton button_of_browser_option(int stored) noexcept {
  switch (stored) {
    case cookies::kKindNetscape:
    case cookies::kKindFirefox:
    case cookies::kKindMozilla:
      return BrowserButton::Mozilla;
    case kBrowserChrome:
      return BrowserButton::Chrome;
    case kBrowserEdge:
      return BrowserButton::Edge;
    default:
      return BrowserButton::Explorer;
  }
}

int browser_option_of_button(BrowserButton button) noexcept {
  switch (button) {
    case BrowserButton::Mozilla: return kBrowserMozilla;
    case BrowserButton::Chrome: return kBrowserChrome;
    case BrowserButton::Edge: return kBrowserEdge;
    case BrowserButton::Explorer: break;
  }
  return kBrowserExplorer;
}

int cookie_kind_of_button(BrowserButton button) noexcept {
  switch (button) {
    case BrowserButton::Mozilla: return cookies::kKindFirefox;
    case BrowserButton::Chrome: return cookies::kKindChromeStore;
    case BrowserButton::Edge: return cookies::kKindEdgeStore;
    case BrowserButton::Explorer: break;
  }
  return cookies::kKindExplorer;
}

AddFilterCheck check_new_filter(std::string_view text, std::size_t filters_now) noexcept {
  if (filters_now >= cookies::kMaxFilters) return AddFilterCheck::ListFull;
  if (text.size() > cookies::kMaxFilterText) return AddFilterCheck::TooLong;
  if (!cookies::filter_text_acceptable(text)) return AddFilterCheck::Blank;
  return AddFilterCheck::Add;
}

std::vector<MenuEntry> cookie_list_menu(int kind) {
  std::vector<MenuEntry> entries;
  if (kind == cookies::kKindExplorer) entries.push_back({IDS_COOKIE_VIEW_FILE, IDC_COOKIE_VIEW_FILE});
  entries.push_back({IDS_REMOVE_UNCHECKED, IDC_COOKIE_REMOVE_UNCHECKED});
  entries.push_back({IDS_REMOVE_CHECKED, IDC_COOKIE_REMOVE_CHECKED});
  append_common_menu_end(entries, cmd::kCookies);
  return entries;
}

}  // namespace kestrom::explorer
