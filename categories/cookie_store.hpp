// The SQLite cookie stores of Firefox (from version 3, table moz_cookies) and Chrome (table
// cookies): listing, the filter pass and deleting chosen cookies. Every statement is prepared
// with bound parameters; filter texts and cookie names never become SQL. A store is only ever
// opened, never created, and every change runs in one transaction, so a locked or damaged
// store is reported and left as it was.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "categories/cookies.hpp"

namespace kestrom::cookies {

enum class Store { Firefox, Chrome };

struct StoreCookie {
  std::string host;   // as stored: deleting uses it, never the shown title
  std::string name;
  std::string value;  // empty when the store keeps it encrypted
  std::string path;
  std::optional<std::int64_t> expiry;  // seconds since 1970; nullopt for a session cookie
  bool secure = false;
  bool encrypted = false;  // the value is kept encrypted (current Chrome and Edge); never decrypted
};

enum class StoreStatus { Ok, Missing, Failed };

struct StoreOutcome {
  StoreStatus status = StoreStatus::Ok;
  std::string error;        // SQLite's words when Failed
  std::size_t changed = 0;  // rows deleted
};

struct CookieKey {
  std::string host;
  std::string name;
};

// "host / name", the title of a store item.
std::string store_cookie_title(const StoreCookie& cookie);

// Every cookie of the store at `path` (UTF-8), at most `limit`.
StoreOutcome read_cookie_store(const std::string& path, Store store, std::vector<StoreCookie>& cookies,
                               std::size_t limit = SIZE_MAX);
// Deletes every cookie whose name or host contains a filter's text (ASCII letters in any case).
StoreOutcome filter_cookie_store(const std::string& path, Store store, const std::vector<Filter>& filters);
// Deletes the cookies with these exact hosts and names.
StoreOutcome delete_store_cookies(const std::string& path, Store store, const std::vector<CookieKey>& keys);

}  // namespace kestrom::cookies
