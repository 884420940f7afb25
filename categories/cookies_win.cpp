#include "categories/cookies_win.hpp"

#include <windows.h>

#include <algorithm>


#include "common/file_date_texts.hpp"
#include "common/locations.hpp"
#include "common/paths.hpp"
#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "platform/handles.hpp"

namespace kestrom::cookies {
namespace {

constexpr std::string_view kDefaultBrowserCommand = "SOFTWARE\\Classes\\HTTP\\shell\\open\\command";
constexpr std::string_view kUserShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr std::string_view kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr std::string_view kUpdateCookieFile = "UpdateCookieFile";
constexpr std::string_view kFirefoxWindowClass = "MozillaWindowClass";
// A candidate IE cookie folder counts only within these lengths (the walk appends names).
constexpr std::size_t kMinFolderLength = 3;
constexpr std::size_t kMaxFolderLength = 250;

// The filtered copy of cookies.txt waits beside it under this name.
std::string pending_cookie_file(const std::string& file) {
  return file.substr(0, file.find_last_of('\\') + 1) + "cookiesnew.txt";
}

std::string with_backslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

bool is_folder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_file(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The first sub-folder of `parent` whose name matches `pattern` (and, with `no_dot`, does not
// begin with "."); empty when none.
std::string first_folder(const std::string& parent, const std::string& pattern, bool no_dot = false) {
  WIN32_FIND_DATAA fd;
  platform::UniqueFind find(FindFirstFileA((with_backslash(parent) + pattern).c_str(), &fd));
  if (!find) return {};
  do {
    const std::string name = fd.cFileName;
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..") continue;
    if (no_dot && name.starts_with('.')) continue;
    return with_backslash(parent) + name;
  } while (FindNextFileA(find.get(), &fd));
  return {};
}

// Local date text of seconds since 1970; empty for a session cookie or a time Windows cannot show.
std::string expiry_text(const std::optional<std::int64_t>& seconds) {
  if (!seconds || *seconds < 0 || *seconds > kLastSecondOf9999) return {};
  const std::uint64_t ticks = (static_cast<std::uint64_t>(*seconds) + kSecondsFrom1601To1970) * 10'000'000ULL;
  FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return {};
  return date_text(LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond});
}

// The Internet Explorer folder walk; deletes matching files in a filter pass. The walk has
// each file's name and date from the folder listing itself: no file is opened, the folder's
// long form is asked for once, and the date formats are read once.
std::size_t walk_ie_folder(const Folder& folder, bool filtering, const std::vector<Filter>& filters, ItemList& list,
                           const ItemRules& rules) {
  if (!folder.found) return 0;
  WIN32_FIND_DATAA fd;
  platform::UniqueFind find(FindFirstFileA((folder.path + "*.*").c_str(), &fd));
  if (!find) return list.size();
  const std::string long_folder = with_backslash(rules.long_path ? rules.long_path(folder.path) : folder.path);
  const std::string base = long_folder.size() > 1 ? long_folder : folder.path;
  ItemRules found_names = rules;
  found_names.long_path = nullptr;  // the listing's names are long names already
  const FileDateTexts date_of;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = fd.cFileName;
    const std::string path = base + name;
    switch (ie_cookie_file_step(name, (fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0, filtering, filters)) {
      case IeFileStep::Skip:
        break;
      case IeFileStep::Delete:
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        break;
      case IeFileStep::List:
        if (!list.add(name, path, "", date_of(fd.ftLastWriteTime), code::kInfoCookie, 0, found_names)) return list.size();
        break;
    }
  } while (FindNextFileA(find.get(), &fd));
  return list.size();
}

// The first profile of profiles.ini that holds a cookie store, else its first profile.
std::string profile_from_ini(const std::string& firefox_folder) {
  const auto ini = read_whole_file(firefox_folder + "profiles.ini");
  if (!ini) return {};
  std::string first;
  for (const ProfileEntry& entry : profiles_from_ini(*ini)) {
    const std::string folder = entry.relative ? firefox_folder + entry.path : entry.path;
    if (!is_folder(folder)) continue;
    if (is_file(folder + "\\cookies.sqlite")) return folder;
    if (first.empty()) first = folder;
  }
  return first;
}

void list_text_store(const std::string& file, ItemList& list, const ItemRules& rules, CookieListing& out) {
  const auto content = read_whole_file(file);
  if (!content) return;
  for (const TextCookie& cookie : parse_cookies_txt(*content)) {
    if (!list.add(text_cookie_title(cookie), cookie.path, cookie.value, expiry_text(text_expiry_seconds(cookie.expiry)),
                  code::kCookieEntry, cookie.secure ? 1 : 0, rules))
      break;
    out.keys.push_back({cookie.domain, cookie.name});
  }
}

// Writes the filtered copy beside cookies.txt; the browser keeps the original open, so the copy
// goes over it later (replace_cookie_file). A copy that cannot be written whole leaves the one
// before it, and "UpdateCookieFile", as they were.
bool filter_text_store(const std::string& file, const std::vector<Filter>& filters) {
  const auto content = read_whole_file(file);
  if (!content) return false;
  const std::string kept = filter_cookies_txt(*content, filters, [](std::string_view title) {
    return reg::value_exists(HKEY_CURRENT_USER, keys::kNuts, title);
  });
  if (!replace_file_contents(pending_cookie_file(file), kept)) return false;
  return write_setting(kUpdateCookieFile, 1);
}

// Removes the chosen cookies from cookies.txt, and from the filtered copy still waiting to go
// over it, so the copy does not bring them back. Each file is replaced whole or not at all.
StoreOutcome delete_text_cookies(const std::string& file, const std::vector<CookieKey>& chosen) {
  const auto drop = [&](const TextCookie& cookie) {
    return std::any_of(chosen.begin(), chosen.end(),
                       [&](const CookieKey& key) { return key.host == cookie.domain && key.name == cookie.name; });
  };
  // The waiting copy first: when it cannot be changed, cookies.txt is not changed either.
  std::vector<std::string> files;
  if (read_setting(kUpdateCookieFile, 0) > 0 && is_file(pending_cookie_file(file))) files.push_back(pending_cookie_file(file));
  files.push_back(file);
  StoreOutcome outcome;
  for (const std::string& each : files) {
    const auto content = read_whole_file(each);
    if (!content) return {is_file(each) ? StoreStatus::Failed : StoreStatus::Missing, each, 0};
    const std::string kept = remove_text_cookies(*content, drop);
    if (kept.size() == content->size()) continue;
    if (!replace_file_contents(each, kept)) return {StoreStatus::Failed, each, 0};
    if (each == file) outcome.changed = parse_cookies_txt(*content).size() - parse_cookies_txt(kept).size();
  }
  return outcome;
}

// Netscape and Mozilla kinds read the Firefox profile too, so they get its schema.
Store store_of(int kind) { return mozilla_family(kind) ? Store::Firefox : Store::Chrome; }

bool chromium(int kind) { return kind == kKindChromeStore || kind == kKindEdgeStore; }

// The SQLite store for `kind`, or empty when the kind has a text store or none.
std::string sqlite_store_of(int kind) {
  if (kind == kKindChromeStore) return chrome_store_file(chrome_cookie_folder());
  if (kind == kKindEdgeStore) return chrome_store_file(edge_cookie_folder());
  if (kind == kKindFirefox || kind == kKindNetscape || kind == kKindMozilla) {
    const std::string file = firefox_store_file(firefox_profile_folder(kind));
    if (file.ends_with(".sqlite")) return file;
  }
  return {};
}

void add_store_rows(const std::vector<StoreCookie>& rows, ItemList& list, const ItemRules& rules, CookieListing& out) {
  for (const StoreCookie& row : rows) {
    // A value the browser keeps encrypted is shown as such; it is never decrypted.
    const std::string value = row.encrypted ? text::load(IDS_COOKIE_ENCRYPTED) : row.value;
    if (!list.add(store_cookie_title(row), row.path, value, expiry_text(row.expiry), code::kCookieEntry,
                  row.secure ? 1 : 0, rules))
      break;
    out.keys.push_back({row.host, row.name});
  }
}

CookieListing list_or_filter(int kind, bool filtering, ItemList& list, const ItemRules& given) {
  list.clear();
  // A cookie's path and value are no file names: the long-path lookup would cost a call per
  // cookie and could rewrite a value that happens to read like a short path.
  ItemRules rules = given;
  rules.long_path = nullptr;
  CookieListing out;
  const std::vector<Filter> filters = filtering ? load_filters() : std::vector<Filter>{};
  const std::string store = sqlite_store_of(kind);
  if (!store.empty()) {
    out.store_path = store;
    if (filtering) {
      out.outcome = filter_cookie_store(store, store_of(kind), filters);
      if (out.outcome.status != StoreStatus::Ok) return out;
    }
    std::vector<StoreCookie> rows;
    out.outcome = read_cookie_store(store, store_of(kind), rows, kMaxItems);
    add_store_rows(rows, list, rules, out);
  } else if (mozilla_family(kind)) {
    const std::string file = firefox_store_file(firefox_profile_folder(kind));
    out.store_path = file;
    if (filtering) filter_text_store(file, filters);
    list_text_store(file, list, rules, out);
  } else if (!chromium(kind)) {
    // A Chromium browser without its profile folder has no cookies here; Internet Explorer's
    // files are not to be taken for them.
    walk_ie_folder(ie_cookie_folder(), filtering, filters, list, given);
  }
  out.count = list.size();
  return out;
}

// The folder the user chose (`value` under the product key), else the browser's "Default"
// profile under Local AppData.
Folder chromium_profile_folder(std::string_view value, std::string_view browser) {
  std::string folder = reg::read_string(HKEY_CURRENT_USER, keys::kProduct, value);
  if (folder.empty()) {
    const std::string local = reg::read_string(HKEY_CURRENT_USER, keys::kShellFolders, "Local AppData");
    if (local.empty()) return {};
    folder = local + "\\" + std::string(browser) + "\\User Data\\Default\\";
  }
  return {with_backslash(folder), is_folder(folder)};
}

}  // namespace

bool browser_installed(std::string_view program) {
  return reg::key_exists(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + std::string(program));
}

int default_browser_kind() {
  return browser_kind_of_open_command(reg::read_string(HKEY_LOCAL_MACHINE, kDefaultBrowserCommand, ""));
}

std::vector<Filter> load_filters() {
  std::vector<std::pair<std::string, std::string>> named;
  for (const reg::Value& value : reg::values(HKEY_CURRENT_USER, keys::kNuts, kMaxFilterText, reg::kMaxString))
    named.emplace_back(value.name, value.data);
  return filters_from_values(named);
}

AddFilter add_filter(std::string_view text) {
  if (!filter_text_acceptable(text)) return AddFilter::Refused;
  return reg::write_string(HKEY_CURRENT_USER, keys::kNuts, text, std::to_string(kFilterAdded)) ? AddFilter::Added
                                                                                               : AddFilter::WriteFailed;
}

bool remove_filter(std::string_view text) { return reg::delete_value(HKEY_CURRENT_USER, keys::kNuts, text); }

void cookie_filter_cleanup() {
  for (const reg::Value& value : reg::values(HKEY_CURRENT_USER, keys::kNuts, reg::kLongestText, reg::kMaxString))
    if (filter_cleaned_up(value.data)) reg::delete_value(HKEY_CURRENT_USER, keys::kNuts, value.name);
}

bool cookie_kept(std::string_view title) { return reg::value_exists(HKEY_CURRENT_USER, keys::kCookies, title); }
bool keep_cookie(std::string_view title) { return reg::write_string(HKEY_CURRENT_USER, keys::kCookies, title, "1"); }
void forget_kept_cookie(std::string_view title) { reg::delete_value(HKEY_CURRENT_USER, keys::kCookies, title); }

Folder ie_cookie_folder() {
  const std::string candidates[] = {
      reg::read_string(HKEY_CURRENT_USER, keys::kProduct, "IECookieFolder"),
      reg::read_string(HKEY_CURRENT_USER, keys::kShellFolders, "Cookies"),
      reg::read_string(HKEY_CURRENT_USER, kUserShellFolders, "Cookies"),
      windows_folder() + "\\Cookies",
  };
  for (const std::string& candidate : candidates) {
    if (candidate.size() < kMinFolderLength || candidate.size() > kMaxFolderLength) continue;
    const std::string folder = with_backslash(candidate);
    if (is_file(folder + "index.dat")) return {folder, true};
  }
  return {};
}

int firefox_major_version() {
  std::string program = reg::read_string(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\firefox.exe", "");
  if (program.empty() || !file_exists(program)) return 0;
  return decimal_value(version_information(program).product_version);
}

std::string firefox_store_file(const Folder& profile) {
  if (!profile.found) return {};
  return profile.path + (firefox_major_version() != 0 && firefox_major_version() < 3 ? "cookies.txt" : "cookies.sqlite");
}

Folder firefox_profile_folder(int kind) {
  const std::string chosen = reg::read_string(HKEY_CURRENT_USER, keys::kProduct, "CookieFolder");
  if (!chosen.empty()) return {with_backslash(chosen), is_folder(chosen)};
  const std::string app_data = reg::read_string(HKEY_CURRENT_USER, keys::kShellFolders, "AppData");
  if (app_data.empty()) return {};
  if (kind == kKindNetscape) {
    const std::string folder = first_folder(app_data + "\\Mozilla\\Profiles\\default", "*", true);
    return {with_backslash(folder), !folder.empty()};
  }
  const std::string profiles = app_data + "\\Mozilla\\FireFox\\Profiles";
  std::string folder = first_folder(profiles, "*.default");
  if (folder.empty()) folder = first_folder(profiles, "default.*");
  // Current Firefox names its profiles "*.default-release", which the older rule misses; its
  // profiles.ini says which one is in use.
  if (folder.empty()) folder = profile_from_ini(app_data + "\\Mozilla\\Firefox\\");
  if (folder.empty()) return {};
  Folder found{with_backslash(folder), true};
  if (!is_file(firefox_store_file(found))) {
    char user[257] = {};
    DWORD size = sizeof user;
    if (GetUserNameA(user, &size)) {
      const std::string named = first_folder(profiles, std::string("*.") + user);
      if (!named.empty()) found.path = with_backslash(named);
    }
  }
  return found;
}

Folder chrome_cookie_folder() { return chromium_profile_folder("ChromeCookieFolder", "Google\\Chrome"); }

Folder edge_cookie_folder() { return chromium_profile_folder("EdgeCookieFolder", "Microsoft\\Edge"); }

std::string chrome_store_file(const Folder& folder) {
  if (!folder.found) return {};
  const std::string current = folder.path + "Network\\Cookies";
  if (is_file(current)) return current;
  return folder.path + "Cookies";
}

CookieListing list_cookies(int kind, ItemList& list, const ItemRules& rules) {
  return list_or_filter(kind, false, list, rules);
}

CookieListing cookie_filter_pass(int kind, ItemList& list, const ItemRules& rules) {
  return list_or_filter(kind, true, list, rules);
}

StoreOutcome delete_cookies(int kind, const std::vector<CookieKey>& keys) {
  const std::string store = sqlite_store_of(kind);
  if (!store.empty()) return delete_store_cookies(store, store_of(kind), keys);
  if (mozilla_family(kind)) {
    const std::string file = firefox_store_file(firefox_profile_folder(kind));
    if (!file.empty()) return delete_text_cookies(file, keys);
  }
  return {StoreStatus::Missing, {}, 0};
}

bool replace_cookie_file(const Folder& profile) {
  if (!profile.found || read_setting(kUpdateCookieFile, 0) <= 0) return false;
  if (FindWindowA(std::string(kFirefoxWindowClass).c_str(), nullptr)) return false;
  const auto copy = read_whole_file(profile.path + "cookiesnew.txt");
  if (!copy || !replace_file_contents(profile.path + "cookies.txt", *copy)) return false;
  reg::delete_value(HKEY_CURRENT_USER, keys::kOptions, kUpdateCookieFile);
  cookie_filter_cleanup();
  return true;
}

}  // namespace kestrom::cookies
