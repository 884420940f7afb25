// Listing and filtering a cookie store of 10,000 cookies (current Chrome schema) through the
// store module, against plain SQLite statements doing the same work in the same run: one
// prepared SELECT of the same columns into the same records, and one prepared DELETE per
// filter with the same bound pattern inside one transaction. Rounds alternate and the medians
// are compared; the goal is a ratio of at most 1.3.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "categories/cookie_store.hpp"
#include "tests/cookie_stores.hpp"

using namespace kestrom::cookies;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kCookies = 10'000;
constexpr int kRounds = 15;

std::vector<kestrom::test::Row> rows() {
  std::vector<kestrom::test::Row> out;
  for (int i = 0; i < kCookies; ++i)
    out.push_back({"site" + std::to_string(i % 700) + ".example", "cookie" + std::to_string(i), "value" + std::to_string(i),
                   "/", (kSecondsFrom1601To1970 + 1'800'000'000LL) * 1'000'000, i % 2, ""});
  return out;
}

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::vector<StoreCookie> plain_read(const std::string& path) {
  std::vector<StoreCookie> out;
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, "SELECT name, host_key, value, path, expires_utc, is_secure, encrypted_value FROM cookies", -1, &s,
                     nullptr);
  while (sqlite3_step(s) == SQLITE_ROW) {
    StoreCookie c;
    auto text = [&](int i) {
      const unsigned char* t = sqlite3_column_text(s, i);
      return t ? std::string(reinterpret_cast<const char*>(t), static_cast<std::size_t>(sqlite3_column_bytes(s, i)))
               : std::string();
    };
    c.name = text(0);
    c.host = text(1);
    c.value = text(2);
    c.path = text(3);
    c.expiry = chrome_expiry_seconds(sqlite3_column_int64(s, 4));
    c.secure = sqlite3_column_int64(s, 5) != 0;
    c.encrypted = c.value.empty() && sqlite3_column_bytes(s, 6) > 0;
    out.push_back(std::move(c));
  }
  sqlite3_finalize(s);
  sqlite3_close_v2(db);
  return out;
}

void plain_filter(const std::string& path, const std::vector<Filter>& filters) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, "DELETE FROM cookies WHERE name LIKE ?1 ESCAPE '\\' OR host_key LIKE ?1 ESCAPE '\\'", -1, &s,
                     nullptr);
  for (const Filter& f : filters) {
    const std::string pattern = like_contains_pattern(f.text);
    sqlite3_bind_text(s, 1, pattern.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(s);
    sqlite3_reset(s);
  }
  sqlite3_finalize(s);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close_v2(db);
}

}  // namespace

int main() {
  const auto dir = std::filesystem::temp_directory_path() / "kestrom_cookie_bench";
  std::filesystem::create_directories(dir);
  const std::string db = (dir / "Cookies").string();
  const auto data = rows();
  const std::vector<Filter> filters{{"site13.", 1}, {"cookie99", 1}, {"nothing", 1}, {"SITE2", 1}};

  std::vector<double> ours_list, plain_list, ours_filter, plain_filter_ms;
  for (int round = 0; round < kRounds; ++round) {
    kestrom::test::make_store(db, kestrom::test::Schema::ChromeCurrent, data);
    std::vector<StoreCookie> cookies;
    auto t = Clock::now();
    read_cookie_store(db, Store::Chrome, cookies);
    ours_list.push_back(ms_since(t));
    t = Clock::now();
    const auto plain = plain_read(db);
    plain_list.push_back(ms_since(t));
    if (plain.size() != cookies.size()) return std::fprintf(stderr, "listings differ\n"), 1;

    t = Clock::now();
    filter_cookie_store(db, Store::Chrome, filters);
    ours_filter.push_back(ms_since(t));
    kestrom::test::make_store(db, kestrom::test::Schema::ChromeCurrent, data);
    t = Clock::now();
    plain_filter(db, filters);
    plain_filter_ms.push_back(ms_since(t));
  }
  std::filesystem::remove_all(dir);
  std::printf("list %d cookies:   store %.2f ms, plain %.2f ms, ratio %.2f\n", kCookies, median(ours_list),
              median(plain_list), median(ours_list) / median(plain_list));
  std::printf("filter %d cookies: store %.2f ms, plain %.2f ms, ratio %.2f\n", kCookies, median(ours_filter),
              median(plain_filter_ms), median(ours_filter) / median(plain_filter_ms));
  return 0;
}
