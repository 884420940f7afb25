#include "categories/cookie_store.hpp"

#include <sqlite3.h>

#include <array>
#include <memory>
#include <string_view>

#include "common/text.hpp"

namespace kestrom::cookies {
namespace {

// How long a statement waits for a browser that holds the store's lock before it is reported.
constexpr int kBusyWaitMilliseconds = 1000;

struct CloseDatabase {
  void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// The columns a store names differently across browsers and versions, as found in its schema.
// Every name here comes from the lists below, never from the store's data.
struct Columns {
  std::string_view table;
  std::string_view host, expiry, secure;
  bool has_value = false, has_path = false, has_encrypted_value = false;
};

StoreOutcome failed(sqlite3* db) {
  return {StoreStatus::Failed, db ? sqlite3_errmsg(db) : "out of memory", 0};
}

// Opens an existing store for reading and writing; a missing file stays missing.
StoreOutcome open_store(const std::string& path, Database& db) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
  db.reset(raw);
  if (rc == SQLITE_CANTOPEN) return {StoreStatus::Missing, {}, 0};
  if (rc != SQLITE_OK) return failed(raw);
  sqlite3_busy_timeout(raw, kBusyWaitMilliseconds);
  return {};
}

Statement prepare(sqlite3* db, std::string_view sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) return {};
  return Statement(raw);
}

std::string_view pick(const std::vector<std::string>& present, std::initializer_list<std::string_view> choices) {
  for (std::string_view choice : choices)
    for (const std::string& name : present)
      if (iequals(name, choice)) return choice;
  return {};
}

// Reads the store's schema; fails when the table or its name and host columns are missing.
StoreOutcome read_columns(sqlite3* db, Store store, Columns& columns) {
  columns = {};
  columns.table = store == Store::Firefox ? "moz_cookies" : "cookies";
  const Statement info = prepare(db, store == Store::Firefox ? "PRAGMA table_info(moz_cookies)"
                                                             : "PRAGMA table_info(cookies)");
  if (!info) return failed(db);
  std::vector<std::string> present;
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(info.get())) == SQLITE_ROW) {
    const unsigned char* name = sqlite3_column_text(info.get(), 1);
    present.emplace_back(name ? reinterpret_cast<const char*>(name) : "");
  }
  if (rc != SQLITE_DONE) return failed(db);
  columns.host = pick(present, {"host", "host_key"});
  columns.expiry = pick(present, {"expiry", "expires_utc"});
  columns.secure = pick(present, {"isSecure", "secure", "is_secure"});
  columns.has_value = !pick(present, {"value"}).empty();
  columns.has_path = !pick(present, {"path"}).empty();
  columns.has_encrypted_value = !pick(present, {"encrypted_value"}).empty();
  if (columns.host.empty() || pick(present, {"name"}).empty())
    return {StoreStatus::Failed, "the database holds no cookie table", 0};
  return {};
}

std::string column_text(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  if (!text) return {};
  return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

std::string quoted(std::string_view identifier) { return "\"" + std::string(identifier) + "\""; }

std::string select_statement(const Columns& c) {
  auto or_null = [](bool present, std::string_view name) { return present ? quoted(name) : std::string("NULL"); };
  return "SELECT name, " + quoted(c.host) + ", " + or_null(c.has_value, "value") + ", " +
         or_null(c.has_path, "path") + ", " + or_null(!c.expiry.empty(), c.expiry) + ", " +
         or_null(!c.secure.empty(), c.secure) + ", " + or_null(c.has_encrypted_value, "encrypted_value") +
         " FROM " + quoted(c.table);
}

// Runs `work` inside one write transaction: everything or nothing reaches the store.
template <typename Work>
StoreOutcome in_transaction(sqlite3* db, Work&& work) {
  if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return failed(db);
  StoreOutcome outcome = work();
  if (outcome.status == StoreStatus::Ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
    return outcome;
  if (outcome.status == StoreStatus::Ok) outcome = failed(db);
  sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  outcome.changed = 0;
  return outcome;
}

bool bind_text(sqlite3_stmt* statement, int index, const std::string& text) {
  return sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) == SQLITE_OK;
}

}  // namespace

std::string store_cookie_title(const StoreCookie& cookie) { return cookie.host + " / " + cookie.name; }

StoreOutcome read_cookie_store(const std::string& path, Store store, std::vector<StoreCookie>& cookies,
                               std::size_t limit) {
  cookies.clear();
  Database db;
  if (StoreOutcome opened = open_store(path, db); opened.status != StoreStatus::Ok) return opened;
  Columns columns;
  if (StoreOutcome schema = read_columns(db.get(), store, columns); schema.status != StoreStatus::Ok) return schema;
  const Statement select = prepare(db.get(), select_statement(columns));
  if (!select) return failed(db.get());
  int rc = SQLITE_ROW;
  while (cookies.size() < limit && (rc = sqlite3_step(select.get())) == SQLITE_ROW) {
    sqlite3_stmt* row = select.get();
    StoreCookie cookie;
    cookie.name = column_text(row, 0);
    cookie.host = column_text(row, 1);
    cookie.value = column_text(row, 2);
    cookie.path = column_text(row, 3);
    const std::int64_t expiry = sqlite3_column_int64(row, 4);
    cookie.expiry = columns.expiry == "expires_utc" ? chrome_expiry_seconds(expiry) : firefox_expiry_seconds(expiry);
    cookie.secure = sqlite3_column_int64(row, 5) != 0;
    cookie.encrypted = cookie.value.empty() && sqlite3_column_bytes(row, 6) > 0;
    cookies.push_back(std::move(cookie));
  }
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    cookies.clear();
    return failed(db.get());
  }
  return {};
}

StoreOutcome filter_cookie_store(const std::string& path, Store store, const std::vector<Filter>& filters) {
  Database db;
  if (StoreOutcome opened = open_store(path, db); opened.status != StoreStatus::Ok) return opened;
  Columns columns;
  if (StoreOutcome schema = read_columns(db.get(), store, columns); schema.status != StoreStatus::Ok) return schema;
  return in_transaction(db.get(), [&]() -> StoreOutcome {
    const Statement erase = prepare(db.get(), "DELETE FROM " + quoted(columns.table) + " WHERE name LIKE ?1 ESCAPE '\\' OR " +
                                                  quoted(columns.host) + " LIKE ?1 ESCAPE '\\'");
    if (!erase) return failed(db.get());
    StoreOutcome outcome;
    for (const Filter& filter : filters) {
      if (!filter_text_acceptable(filter.text)) continue;
      if (!bind_text(erase.get(), 1, like_contains_pattern(filter.text)) || sqlite3_step(erase.get()) != SQLITE_DONE)
        return failed(db.get());
      outcome.changed += static_cast<std::size_t>(sqlite3_changes(db.get()));
      sqlite3_reset(erase.get());
    }
    return outcome;
  });
}

StoreOutcome delete_store_cookies(const std::string& path, Store store, const std::vector<CookieKey>& keys) {
  Database db;
  if (StoreOutcome opened = open_store(path, db); opened.status != StoreStatus::Ok) return opened;
  Columns columns;
  if (StoreOutcome schema = read_columns(db.get(), store, columns); schema.status != StoreStatus::Ok) return schema;
  return in_transaction(db.get(), [&]() -> StoreOutcome {
    const Statement erase =
        prepare(db.get(), "DELETE FROM " + quoted(columns.table) + " WHERE name = ?1 AND " + quoted(columns.host) + " = ?2");
    if (!erase) return failed(db.get());
    StoreOutcome outcome;
    for (const CookieKey& key : keys) {
      if (!bind_text(erase.get(), 1, key.name) || !bind_text(erase.get(), 2, key.host) ||
          sqlite3_step(erase.get()) != SQLITE_DONE)
        return failed(db.get());
      outcome.changed += static_cast<std::size_t>(sqlite3_changes(db.get()));
      sqlite3_reset(erase.get());
    }
    return outcome;
  });
}

}  // namespace kestrom::cookies
