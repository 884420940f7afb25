// Cookies on the system: the default browser's kind, the cookie filter list (Nuts) and the keep
// snapshot in the registry, the browsers' cookie folders, and the listing and filter pass of
// each store into the Item List.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "categories/cookie_store.hpp"
#include "categories/cookies.hpp"
#include "common/item_list.hpp"

namespace kestrom::cookies {

// The kind named by the default browser's open command (HKLM).
int default_browser_kind();
// Whether the App Paths key (HKLM) knows the program, "firefox.exe" or "chrome.exe".
bool browser_installed(std::string_view program);

// --- the filter list and the keep snapshot
std::vector<Filter> load_filters();
enum class AddFilter { Added, Refused, WriteFailed };
// Refuses a blank or over-long text; does not run the filter pass (the caller does).
AddFilter add_filter(std::string_view text);
bool remove_filter(std::string_view text);
void cookie_filter_cleanup();
bool cookie_kept(std::string_view title);
bool keep_cookie(std::string_view title);
void forget_kept_cookie(std::string_view title);

// --- where the stores are
struct Folder {
  std::string path;  // ends with a backslash when found
  bool found = false;
};
Folder ie_cookie_folder();
// 0 when Firefox is not installed or its version cannot be read.
int firefox_major_version();
// The profile folder holding the Firefox store for `kind` (kKindNetscape looks in the older
// Mozilla folder); the store file name follows from the version.
Folder firefox_profile_folder(int kind);
std::string firefox_store_file(const Folder& profile);  // "cookies.txt" or "cookies.sqlite" path
Folder chrome_cookie_folder();
// The value "EdgeCookieFolder" under the product key, else Edge's "Default" profile folder.
Folder edge_cookie_folder();
// The Chromium database of Chrome and Edge: "Network\Cookies" of current versions when
// present, else "Cookies".
std::string chrome_store_file(const Folder& folder);

// --- listing and the filter pass
struct CookieListing {
  std::size_t count = 0;
  StoreOutcome outcome;          // of the SQLite store, when one was read
  std::vector<CookieKey> keys;   // host and name of each store item, in list order
  std::string store_path;
};
// Lists the cookies of the store for `kind` into `list` (emptied first).
CookieListing list_cookies(int kind, ItemList& list, const ItemRules& rules);
// Deletes what matches the filter list from the store for `kind`; the Item List gets what is
// left of an Internet Explorer folder.
CookieListing cookie_filter_pass(int kind, ItemList& list, const ItemRules& rules);
// Deletes chosen cookies of the store for `kind` (SQLite, or cookies.txt lines) by their stored
// host and name.
StoreOutcome delete_cookies(int kind, const std::vector<CookieKey>& keys);
// Copies the filtered "cookiesnew.txt" over "cookies.txt" once Firefox is closed.
bool replace_cookie_file(const Folder& profile);

}  // namespace kestrom::cookies
