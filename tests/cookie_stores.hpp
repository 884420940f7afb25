// Cookie databases for the tests, made with the real schemas of old and current Firefox and
// Chrome, and the checks run on them afterwards with the SQLite of the build tree. Used by the
// native tests and the tests under Wine.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrom::test {

enum class Schema { FirefoxOld, FirefoxCurrent, ChromeOld, ChromeCurrent };

struct Row {
  std::string host, name, value, path = "/";
  std::int64_t expiry = 0;  // in the store's own unit
  int secure = 0;
  std::string encrypted;    // Chrome's encrypted_value, current schema only
};

inline const char* schema_sql(Schema schema) {
  switch (schema) {
    case Schema::FirefoxOld:
      return "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, name TEXT, value TEXT, host TEXT, path TEXT,"
             " expiry INTEGER, lastAccessed INTEGER, isSecure INTEGER, isHttpOnly INTEGER)";
    case Schema::FirefoxCurrent:
      return "PRAGMA journal_mode=WAL;"
             "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '',"
             " name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER,"
             " creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER DEFAULT 0,"
             " sameSite INTEGER DEFAULT 0, schemeMap INTEGER DEFAULT 0, isPartitionedAttributeSet INTEGER DEFAULT 0,"
             " CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes))";
    case Schema::ChromeOld:
      return "CREATE TABLE cookies (creation_utc INTEGER NOT NULL UNIQUE PRIMARY KEY, host_key TEXT NOT NULL,"
             " name TEXT NOT NULL, value TEXT NOT NULL, path TEXT NOT NULL, expires_utc INTEGER NOT NULL,"
             " secure INTEGER NOT NULL, httponly INTEGER NOT NULL, last_access_utc INTEGER NOT NULL)";
    case Schema::ChromeCurrent:
      return "CREATE TABLE cookies(creation_utc INTEGER NOT NULL, host_key TEXT NOT NULL, top_frame_site_key TEXT"
             " NOT NULL, name TEXT NOT NULL, value TEXT NOT NULL, encrypted_value BLOB NOT NULL, path TEXT NOT NULL,"
             " expires_utc INTEGER NOT NULL, is_secure INTEGER NOT NULL, is_httponly INTEGER NOT NULL,"
             " last_access_utc INTEGER NOT NULL, has_expires INTEGER NOT NULL, is_persistent INTEGER NOT NULL,"
             " priority INTEGER NOT NULL, samesite INTEGER NOT NULL, source_scheme INTEGER NOT NULL, source_port"
             " INTEGER NOT NULL, last_update_utc INTEGER NOT NULL, source_type INTEGER NOT NULL,"
             " has_cross_site_ancestor INTEGER NOT NULL);"
             "CREATE UNIQUE INDEX cookies_unique_index ON cookies(host_key, top_frame_site_key,"
             " has_cross_site_ancestor, name, path, source_scheme, source_port)";
  }
  return "";
}

inline const char* insert_sql(Schema schema) {
  switch (schema) {
    case Schema::FirefoxOld:
    case Schema::FirefoxCurrent:
      return "INSERT INTO moz_cookies (host, name, value, path, expiry, isSecure) VALUES (?1, ?2, ?3, ?4, ?5, ?6)";
    case Schema::ChromeOld:
      return "INSERT INTO cookies VALUES ((SELECT count(*) FROM cookies) + 1, ?1, ?2, ?3, ?4, ?5, ?6, 0, 0)";
    case Schema::ChromeCurrent:
      return "INSERT INTO cookies VALUES ((SELECT count(*) FROM cookies) + 1, ?1, '', ?2, ?3, ?7, ?4, ?5, ?6, 0, 0,"
             " 1, 1, 1, 0, 2, 443, 0, 0, 0)";
  }
  return "";
}

class Db {
 public:
  static constexpr int kBusyWaitMs = 10000;
  explicit Db(const std::string& path, int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) {
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK)
      throw std::runtime_error("cannot open " + path);
    // A check may meet the program under test in the middle of its own transaction.
    sqlite3_busy_timeout(db_, kBusyWaitMs);
  }
  ~Db() { sqlite3_close_v2(db_); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;
  sqlite3* get() const { return db_; }
  void exec(const std::string& sql) const {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      std::string text = error ? error : "?";
      sqlite3_free(error);
      throw std::runtime_error(text + " in " + sql);
    }
  }
  // The first column of every row of a query, as text.
  std::vector<std::string> column(const std::string& sql) const {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db_));
    std::vector<std::string> out;
    while (sqlite3_step(s) == SQLITE_ROW) {
      const unsigned char* t = sqlite3_column_text(s, 0);
      out.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
    }
    sqlite3_finalize(s);
    return out;
  }

 private:
  sqlite3* db_ = nullptr;
};

inline void make_store(const std::string& path, Schema schema, const std::vector<Row>& rows) {
  std::remove(path.c_str());
  Db db(path);
  db.exec(schema_sql(schema));
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db.get(), insert_sql(schema), -1, &s, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db.get()));
  db.exec("BEGIN");
  for (const Row& r : rows) {
    sqlite3_bind_text(s, 1, r.host.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 2, r.name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 3, r.value.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 4, r.path.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(s, 5, r.expiry);
    sqlite3_bind_int(s, 6, r.secure);
    if (schema == Schema::ChromeCurrent)
      sqlite3_bind_blob(s, 7, r.encrypted.data(), static_cast<int>(r.encrypted.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(s) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db.get()));
    sqlite3_reset(s);
  }
  sqlite3_finalize(s);
  db.exec("COMMIT");
}

inline bool is_chrome(Schema schema) { return schema == Schema::ChromeOld || schema == Schema::ChromeCurrent; }

// "host|name" of every row left, in insertion order.
inline std::vector<std::string> rows_left(const std::string& path, Schema schema) {
  Db db(path, SQLITE_OPEN_READONLY);
  return db.column(is_chrome(schema) ? "SELECT host_key || '|' || name FROM cookies ORDER BY creation_utc"
                                     : "SELECT host || '|' || name FROM moz_cookies ORDER BY id");
}

inline std::string integrity(const std::string& path) {
  Db db(path, SQLITE_OPEN_READONLY);
  const auto result = db.column("PRAGMA integrity_check");
  return result.empty() ? "" : result.front();
}

}  // namespace kestrom::test
