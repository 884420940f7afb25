// Cookie rules and the SQLite stores: real databases made here with the browsers' schemas.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "categories/cookie_store.hpp"
#include "categories/cookies.hpp"
#include "explorer/cookie_page_rules.hpp"
#include "tests/cookie_stores.hpp"

using namespace kestrom::cookies;
using kestrom::test::Row;
using kestrom::test::Schema;
namespace fs = std::filesystem;

namespace {

std::vector<Filter> filters(std::initializer_list<const char*> texts) {
  std::vector<Filter> out;
  for (const char* t : texts) out.push_back({t, kFilterAdded});
  return out;
}

class CookieStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kestrom_cookies_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                        "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Cookies whose names and hosts are hostile to any SQL built from text.
std::vector<Row> hostile_rows(Schema schema) {
  const bool chrome = kestrom::test::is_chrome(schema);
  auto unit = [chrome](std::int64_t seconds) { return chrome ? (seconds + kSecondsFrom1601To1970) * 1'000'000 : seconds; };
  const std::int64_t far = unit(kLastSecondOf9999);
  return {
      {"keep.example", "o'brien", "v1", "/", 0, 0, ""},
      {"keep.example", "x' OR 1=1 --", "v2", "/", unit(std::int64_t{1} << 31), 1, ""},
      {"keep.example", "100%", "v3", "/", far, 0, ""},
      {"keep.example", "a_b", "v4", "/", 0, 0, ""},
      {"keep.example", "back\\slash", "v5", "/", 0, 0, ""},
      {"tracker.example", "plain", "v6", "/", 0, 0, ""},
      {"keep.example", "\xC3\xA9t\xC3\xA9", "v7", "/", 0, 0, ""},
  };
}

}  // namespace

TEST(CookieRules, BrowserKindFollowsTheOrderOfTheTests) {
  EXPECT_EQ(browser_kind_of_open_command("\"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE\" -nohome"), kKindExplorer);
  EXPECT_EQ(browser_kind_of_open_command("C:\\Program Files\\Mozilla Firefox\\firefox.exe -url %1"), kKindMozilla);
  EXPECT_EQ(browser_kind_of_open_command("C:\\Apps\\FIREFOX.EXE %1"), kKindFirefox);
  EXPECT_EQ(browser_kind_of_open_command("C:\\Netscp\\netscp.exe"), kKindNetscape);
  EXPECT_EQ(browser_kind_of_open_command("C:\\Maxthon\\Maxthon.exe"), kKindMaxthon);
  EXPECT_EQ(browser_kind_of_open_command("C:\\Avant Browser\\iexplore-like.exe"), kKindExplorer);
  EXPECT_EQ(browser_kind_of_open_command("C:\\Google\\Chrome\\chrome.exe"), kKindExplorer);
  EXPECT_EQ(browser_kind_of_open_command(""), kKindExplorer);
}

TEST(CookieRules, BlankOrOverlongFiltersAreRefusedAndSkipped) {
  EXPECT_FALSE(filter_text_acceptable(""));
  EXPECT_FALSE(filter_text_acceptable(" \t "));
  EXPECT_TRUE(filter_text_acceptable(" ad "));
  EXPECT_TRUE(filter_text_acceptable(std::string(kMaxFilterText, 'a')));
  EXPECT_FALSE(filter_text_acceptable(std::string(kMaxFilterText + 1, 'a')));
  const auto loaded = filters_from_values({{"", "1"}, {"  ", "1"}, {"ads", "1"}, {"old", "2"}});
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded[0].text, "ads");
  EXPECT_EQ(loaded[1].number, kFilterCleanedUp);
  EXPECT_TRUE(filter_cleaned_up("2"));
  EXPECT_FALSE(filter_cleaned_up("1"));
}

TEST(CookieRules, MatchingIgnoresCaseAndStopsAt512Characters) {
  const auto f = filters({"Track"});
  EXPECT_TRUE(cookie_matches("ad.TRACKER.example", f));
  EXPECT_FALSE(cookie_matches("example.com", f));
  std::string text(kMaxMatchedText - 5, 'x');
  text += "track";
  EXPECT_TRUE(cookie_matches(text, f));
  EXPECT_FALSE(cookie_matches(text + "x", f));
  EXPECT_FALSE(cookie_matches("anything", {}));
}

TEST(CookieRules, IeWalkMatchesTheFileNameOnly) {
  const auto f = filters({"cookie", "ads"});
  EXPECT_EQ(ie_cookie_file_step("alice@ads[1].txt", false, true, f), IeFileStep::Delete);
  EXPECT_EQ(ie_cookie_file_step("alice@ads[1].txt", false, false, f), IeFileStep::List);
  EXPECT_EQ(ie_cookie_file_step("alice@news[2].TXT", false, true, f), IeFileStep::List);
  EXPECT_EQ(ie_cookie_file_step("alice@ads[1].txt", true, true, f), IeFileStep::Skip);
  EXPECT_EQ(ie_cookie_file_step("index.dat", false, true, f), IeFileStep::Skip);
  EXPECT_EQ(ie_cookie_file_step("txt", false, true, f), IeFileStep::Skip);
}

TEST(CookieRules, CookiesTxtReaderSkipsCommentsAndTakesCrlf) {
  const std::string content =
      "# Netscape HTTP Cookie File\r\n"
      ".example.com\tTRUE\t/\tTRUE\t2147483648\tsid\tabc\r\n"
      "\n"
      "\tTRUE\t/\tFALSE\t0\tnodomain\tx\n"
      "short.example\tFALSE\t/p\n"
      "last.example\tFALSE\t/\tFALSE\t0\tn\tv with spaces";
  const auto cookies = parse_cookies_txt(content);
  ASSERT_EQ(cookies.size(), 3u);
  EXPECT_EQ(cookies[0].domain, "example.com");
  EXPECT_TRUE(cookies[0].secure);
  EXPECT_EQ(cookies[0].expiry, "2147483648");
  EXPECT_EQ(cookies[0].value, "abc");
  EXPECT_EQ(text_cookie_title(cookies[0]), "example.com - sid");
  EXPECT_EQ(cookies[1].path, "/p");
  EXPECT_EQ(cookies[1].name, "");
  EXPECT_EQ(cookies[2].value, "v with spaces");
}

TEST(CookieRules, CookiesTxtFilterPassKeepsEveryOtherByteOfALargeFile) {
  std::string content = "# comment mentioning ads is kept? no: it matches\n";
  std::string expected;
  for (int i = 0; i < 6000; ++i) {
    const std::string line = "site" + std::to_string(i) + ".example\tFALSE\t/\tFALSE\t0\tn" + std::to_string(i) + "\tvalue\r\n";
    content += line;
    expected += line;
    if (i % 1000 == 0) content += ".ads.example\tFALSE\t/\tFALSE\t0\tx\ty\r\n";
  }
  content += "named.example\tFALSE\t/\tFALSE\t0\tkeepme\tz";  // dropped by its title
  ASSERT_GT(content.size(), 0x41800u);
  const auto kept = filter_cookies_txt(content, filters({"ADS"}),
                                       [](std::string_view title) { return title == "named.example - keepme"; });
  EXPECT_EQ(kept, expected);
}

TEST(CookieRules, RemovingTextCookiesKeepsEveryOtherLineAsItWas) {
  const std::string content =
      "# Netscape HTTP Cookie File\r\n"
      ".ads.example\tTRUE\t/\tFALSE\t0\tid\t1\r\n"
      "ads.example\tFALSE\t/x\tFALSE\t0\tid\t2\n"                // same host and name, other path
      "ads.example\tFALSE\t/\tFALSE\t0\tid2\t3\r\n"
      "\n"
      "\tTRUE\t/\tFALSE\t0\tid\tno domain\r\n"                   // not a cookie to this reader: kept
      "caf\xc3\xa9.example\tFALSE\t/\tFALSE\t0\tx' OR 1=1 --\t4\r\n"
      "news.example\tFALSE\t/\tFALSE\t0\tsid\t5";             // no line end
  const auto drop = [](std::initializer_list<std::pair<const char*, const char*>> keys) {
    return [keys](const TextCookie& c) {
      return std::any_of(keys.begin(), keys.end(), [&](const auto& k) { return c.domain == k.first && c.name == k.second; });
    };
  };
  EXPECT_EQ(remove_text_cookies(content, drop({})), content);
  EXPECT_EQ(remove_text_cookies(content, drop({{"ads.example", "id"}, {"caf\xc3\xa9.example", "x' OR 1=1 --"}})),
            "# Netscape HTTP Cookie File\r\n"
            "ads.example\tFALSE\t/\tFALSE\t0\tid2\t3\r\n"
            "\n"
            "\tTRUE\t/\tFALSE\t0\tid\tno domain\r\n"
            "news.example\tFALSE\t/\tFALSE\t0\tsid\t5");
  EXPECT_EQ(remove_text_cookies(content, drop({{"news.example", "sid"}})),
            content.substr(0, content.find("news.example")));
}

TEST(CookieRules, ExpiryUnitsOfEachStore) {
  EXPECT_EQ(chrome_expiry_seconds(0), std::nullopt);
  EXPECT_EQ(chrome_expiry_seconds((kSecondsFrom1601To1970 + 1'700'000'000) * 1'000'000 + 999'999), 1'700'000'000);
  EXPECT_EQ(chrome_expiry_seconds((kSecondsFrom1601To1970 + kLastSecondOf9999) * 1'000'000), kLastSecondOf9999);
  EXPECT_EQ(firefox_expiry_seconds(0), std::nullopt);
  EXPECT_EQ(firefox_expiry_seconds(std::int64_t{1} << 31), std::int64_t{1} << 31);
  EXPECT_EQ(firefox_expiry_seconds(kLastSecondOf9999), kLastSecondOf9999);
  EXPECT_EQ(firefox_expiry_seconds(1'700'000'000'123), 1'700'000'000);
  EXPECT_EQ(text_expiry_seconds("4102444800"), 4'102'444'800);
  EXPECT_EQ(text_expiry_seconds("0"), std::nullopt);
  EXPECT_EQ(text_expiry_seconds("12x"), std::nullopt);
  EXPECT_EQ(text_expiry_seconds("99999999999999999999"), std::nullopt);
}

TEST(CookieRules, ProfilesIniPutsTheProfileInUseFirst) {
  const std::string ini =
      "[General]\r\nStartWithLastProfile=1\r\n\r\n"
      "[Profile1]\r\nName=old\r\nIsRelative=1\r\nPath=Profiles/abcd.default\r\nDefault=1\r\n\r\n"
      "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/wxyz.default-release\r\n\r\n"
      "[Profile2]\r\nName=elsewhere\r\nIsRelative=0\r\nPath=D:\\Profiles\\mine\r\n\r\n"
      "[Install308046B0AF4A39CB]\r\nDefault=Profiles/wxyz.default-release\r\nLocked=1\r\n";
  const auto profiles = profiles_from_ini(ini);
  ASSERT_EQ(profiles.size(), 3u);
  EXPECT_EQ(profiles[0].path, "Profiles\\wxyz.default-release");
  EXPECT_TRUE(profiles[0].relative);
  EXPECT_EQ(profiles[1].path, "Profiles\\abcd.default");
  EXPECT_EQ(profiles[2].path, "D:\\Profiles\\mine");
  EXPECT_FALSE(profiles[2].relative);
  EXPECT_TRUE(profiles_from_ini("").empty());
  EXPECT_TRUE(profiles_from_ini("Path=x\n[Profile0]\nName=no path\n").empty());
}

TEST(CookieRules, FirstNewCookieIsTheFirstNotKept) {
  const std::vector<std::string> titles{"a / 1", "b / 2", "c / 3"};
  auto kept_set = [](std::vector<std::string> kept) {
    return [kept](std::string_view t) { return std::find(kept.begin(), kept.end(), t) != kept.end(); };
  };
  EXPECT_EQ(first_new_cookie(titles, kept_set({"a / 1"})), 1u);
  EXPECT_EQ(first_new_cookie(titles, kept_set({"a / 1", "b / 2", "c / 3"})), std::nullopt);
  EXPECT_EQ(first_new_cookie({}, kept_set({})), std::nullopt);
  EXPECT_TRUE(mozilla_family(kKindNetscape) && mozilla_family(kKindFirefox) && mozilla_family(kKindMozilla));
  EXPECT_FALSE(mozilla_family(kKindExplorer) || mozilla_family(kKindAvant) || mozilla_family(kKindMaxthon));
}

TEST(CookieRules, LikePatternEscapesWildcardsAndTheEscape) {
  EXPECT_EQ(like_contains_pattern("a%b_c\\d'e"), "%a\\%b\\_c\\\\d'e%");
  EXPECT_EQ(like_contains_pattern(""), "%%");
}

TEST_F(CookieStoreTest, EachSchemaListsWithItsOwnUnits) {
  for (Schema schema : {Schema::FirefoxOld, Schema::FirefoxCurrent, Schema::ChromeOld, Schema::ChromeCurrent}) {
    SCOPED_TRACE(static_cast<int>(schema));
    const std::string db = path("store.sqlite");
    kestrom::test::make_store(db, schema, hostile_rows(schema));
    const Store store = kestrom::test::is_chrome(schema) ? Store::Chrome : Store::Firefox;
    std::vector<StoreCookie> cookies;
    ASSERT_EQ(read_cookie_store(db, store, cookies).status, StoreStatus::Ok);
    ASSERT_EQ(cookies.size(), 7u);
    EXPECT_EQ(cookies[0].name, "o'brien");
    EXPECT_EQ(store_cookie_title(cookies[0]), "keep.example / o'brien");
    EXPECT_EQ(cookies[0].expiry, std::nullopt);
    EXPECT_TRUE(cookies[1].secure);
    EXPECT_EQ(cookies[1].expiry, std::int64_t{1} << 31);
    EXPECT_EQ(cookies[2].expiry, kLastSecondOf9999);
    EXPECT_EQ(cookies[6].name, "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(cookies[5].value, "v6");
    std::vector<StoreCookie> two;
    ASSERT_EQ(read_cookie_store(db, store, two, 2).status, StoreStatus::Ok);
    EXPECT_EQ(two.size(), 2u);
  }
}

TEST_F(CookieStoreTest, FilterTextsAreParametersNotSql) {
  for (Schema schema : {Schema::FirefoxOld, Schema::FirefoxCurrent, Schema::ChromeOld, Schema::ChromeCurrent}) {
    SCOPED_TRACE(static_cast<int>(schema));
    const std::string db = path("store.sqlite");
    kestrom::test::make_store(db, schema, hostile_rows(schema));
    const Store store = kestrom::test::is_chrome(schema) ? Store::Chrome : Store::Firefox;
    // Each filter must take exactly the cookie that holds it literally, or none.
    auto outcome = filter_cookie_store(db, store, filters({"x' OR 1=1 --", "%", "_", "\\", "TRACKER", "  ", "'"}));
    ASSERT_EQ(outcome.status, StoreStatus::Ok) << outcome.error;
    EXPECT_EQ(kestrom::test::rows_left(db, schema),
              (std::vector<std::string>{"keep.example|\xC3\xA9t\xC3\xA9"}));
    EXPECT_EQ(outcome.changed, 6u);
    EXPECT_EQ(kestrom::test::integrity(db), "ok");
  }
}

TEST_F(CookieStoreTest, WildcardsInAFilterMatchOnlyThemselves) {
  // Unescaped, "e_a" and "%e" would match every "example" host.
  const std::string db = path("store.sqlite");
  kestrom::test::make_store(db, Schema::ChromeCurrent, hostile_rows(Schema::ChromeCurrent));
  const auto outcome = filter_cookie_store(db, Store::Chrome, filters({"e_a", "%e", "k\\e"}));
  ASSERT_EQ(outcome.status, StoreStatus::Ok);
  EXPECT_EQ(outcome.changed, 0u);
  EXPECT_EQ(kestrom::test::rows_left(db, Schema::ChromeCurrent).size(), 7u);
}

TEST_F(CookieStoreTest, DeletingUsesTheStoredHostAndName) {
  const std::string db = path("Cookies");
  auto rows = hostile_rows(Schema::ChromeCurrent);
  rows[5].value = "";
  rows[5].encrypted = std::string("v10\x01\x02", 5);
  kestrom::test::make_store(db, Schema::ChromeCurrent, rows);
  std::vector<StoreCookie> cookies;
  ASSERT_EQ(read_cookie_store(db, Store::Chrome, cookies).status, StoreStatus::Ok);
  EXPECT_TRUE(cookies[5].encrypted);
  EXPECT_FALSE(cookies[0].encrypted);
  const auto outcome = delete_store_cookies(db, Store::Chrome,
                                            {{cookies[0].host, cookies[0].name}, {cookies[1].host, cookies[1].name},
                                             {"keep.example", "no such"}, {"KEEP.example", "a_b"}});
  ASSERT_EQ(outcome.status, StoreStatus::Ok);
  EXPECT_EQ(outcome.changed, 2u);
  EXPECT_EQ(kestrom::test::rows_left(db, Schema::ChromeCurrent).size(), 5u);
  EXPECT_EQ(kestrom::test::integrity(db), "ok");
}

TEST_F(CookieStoreTest, MissingStoreStaysMissingAndCorruptOneIsUntouched) {
  const std::string missing = path("cookies.sqlite");
  std::vector<StoreCookie> cookies;
  EXPECT_EQ(read_cookie_store(missing, Store::Firefox, cookies).status, StoreStatus::Missing);
  EXPECT_EQ(filter_cookie_store(missing, Store::Firefox, filters({"a"})).status, StoreStatus::Missing);
  EXPECT_EQ(delete_store_cookies(missing, Store::Chrome, {{"h", "n"}}).status, StoreStatus::Missing);
  EXPECT_FALSE(fs::exists(missing));

  const std::string corrupt = path("corrupt.sqlite");
  kestrom::test::make_store(corrupt, Schema::FirefoxOld, hostile_rows(Schema::FirefoxOld));
  {
    std::fstream f(corrupt, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(0);
    f.write("garbage garbage garbage", 23);
  }
  const std::string before = read_all(corrupt);
  const auto outcome = filter_cookie_store(corrupt, Store::Firefox, filters({"keep"}));
  EXPECT_EQ(outcome.status, StoreStatus::Failed);
  EXPECT_FALSE(outcome.error.empty());
  EXPECT_EQ(read_cookie_store(corrupt, Store::Firefox, cookies).status, StoreStatus::Failed);
  EXPECT_TRUE(cookies.empty());
  EXPECT_EQ(read_all(corrupt), before);

  // A database of something else is not a cookie store, and is left as it was.
  const std::string other = path("other.sqlite");
  kestrom::test::make_store(other, Schema::ChromeOld, {});
  EXPECT_EQ(read_cookie_store(other, Store::Firefox, cookies).status, StoreStatus::Failed);
  EXPECT_EQ(filter_cookie_store(other, Store::Firefox, filters({"a"})).status, StoreStatus::Failed);
}

TEST_F(CookieStoreTest, ALockedStoreIsReportedAndLeftWhole) {
  const std::string db = path("store.sqlite");
  kestrom::test::make_store(db, Schema::FirefoxCurrent, hostile_rows(Schema::FirefoxCurrent));
  kestrom::test::Db browser(db);
  browser.exec("BEGIN EXCLUSIVE");
  const auto outcome = filter_cookie_store(db, Store::Firefox, filters({"keep"}));
  EXPECT_EQ(outcome.status, StoreStatus::Failed);
  EXPECT_EQ(outcome.changed, 0u);
  browser.exec("ROLLBACK");
  EXPECT_EQ(kestrom::test::rows_left(db, Schema::FirefoxCurrent).size(), 7u);
}

// Random bytes as cookies.txt and as database files: under the sanitizers nothing may read out
// of bounds, and a store that is not one is reported, never changed.
TEST_F(CookieStoreTest, RandomInputNeverCrashesTheReaders) {
  std::mt19937 rng(20261207);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<std::size_t> len(0, 3000);
  static constexpr char kSpecial[] = "\t\n\r#.TRUEFALSE%_\\'[]=Profile1Path";
  for (int round = 0; round < 300; ++round) {
    std::string text(len(rng), '\0');
    for (char& c : text) c = byte(rng) < 128 ? kSpecial[byte(rng) % (sizeof kSpecial - 1)] : static_cast<char>(byte(rng));
    const auto cookies = parse_cookies_txt(text);
    const auto kept = filter_cookies_txt(text, filters({"a"}), nullptr);
    EXPECT_EQ(remove_text_cookies(text, [](const TextCookie&) { return false; }), text);
    EXPECT_TRUE(parse_cookies_txt(remove_text_cookies(text, [](const TextCookie&) { return true; })).empty());
    for (const auto& profile : profiles_from_ini(text)) EXPECT_FALSE(profile.path.empty());
    EXPECT_LE(kept.size(), text.size());
    for (const auto& c : cookies) EXPECT_FALSE(c.domain.empty());
  }
  const std::string db = path("random.sqlite");
  kestrom::test::make_store(db, Schema::FirefoxOld, hostile_rows(Schema::FirefoxOld));
  const std::string good = read_all(db);
  for (int round = 0; round < 40; ++round) {
    std::string bytes = good;
    for (int n = 0; n < 20; ++n) bytes[std::uniform_int_distribution<std::size_t>(0, bytes.size() - 1)(rng)] =
        static_cast<char>(byte(rng));
    {
      std::ofstream out(db, std::ios::binary | std::ios::trunc);
      out << bytes;
    }
    std::vector<StoreCookie> cookies;
    const auto outcome = read_cookie_store(db, Store::Firefox, cookies);
    EXPECT_NE(outcome.status, StoreStatus::Missing);
    if (outcome.status == StoreStatus::Failed) {
      EXPECT_TRUE(cookies.empty());
    }
  }
}

TEST(CookiePageRules, BrowserButtonsAndTheStoresTheyList) {
  using kestrom::explorer::BrowserButton;
  using namespace kestrom::explorer;
  for (int stored : {1, 4, 5, 0, 7, 10, -1}) EXPECT_EQ(button_of_browser_option(stored), BrowserButton::Explorer) << stored;
  for (int stored : {2, 3, 6}) EXPECT_EQ(button_of_browser_option(stored), BrowserButton::Mozilla) << stored;
  EXPECT_EQ(button_of_browser_option(8), BrowserButton::Chrome);
  EXPECT_EQ(button_of_browser_option(9), BrowserButton::Edge);
  for (BrowserButton b : {BrowserButton::Explorer, BrowserButton::Mozilla, BrowserButton::Chrome, BrowserButton::Edge})
    EXPECT_EQ(button_of_browser_option(browser_option_of_button(b)), b);
  EXPECT_EQ(cookie_kind_of_button(BrowserButton::Explorer), kKindExplorer);
  EXPECT_EQ(cookie_kind_of_button(BrowserButton::Mozilla), kKindFirefox);
  EXPECT_EQ(cookie_kind_of_button(BrowserButton::Chrome), kKindChromeStore);
  EXPECT_EQ(cookie_kind_of_button(BrowserButton::Edge), kKindEdgeStore);
  // Edge's kind is the explorer's own: no default browser's command names it.
  EXPECT_EQ(browser_kind_of_open_command("\"C:\\Program Files\\Microsoft\\Edge\\msedge.exe\" -- \"%1\""), kKindExplorer);
}

TEST(CookiePageRules, CookieListMenuOffersViewOnlyForCookieFiles) {
  using namespace kestrom::explorer;
  auto commands = [](int kind) {
    std::vector<int> out;
    for (const MenuEntry& e : cookie_list_menu(kind)) out.push_back(e.command);
    return out;
  };
  EXPECT_EQ(commands(kKindExplorer), (std::vector<int>{1008, 1004, 1103, 0, menu::kLookup, menu::kHelp}));
  for (int kind : {kKindFirefox, kKindChromeStore, kKindEdgeStore})
    EXPECT_EQ(commands(kind), (std::vector<int>{1004, 1103, 0, menu::kLookup, menu::kHelp})) << kind;
}

TEST(CookiePageRules, AddRefusesBlankOverlongAndAFullList) {
  using namespace kestrom::explorer;
  EXPECT_EQ(check_new_filter("ads", 0), AddFilterCheck::Add);
  EXPECT_EQ(check_new_filter("ads", kMaxFilters - 1), AddFilterCheck::Add);
  EXPECT_EQ(check_new_filter("ads", kMaxFilters), AddFilterCheck::ListFull);
  EXPECT_EQ(check_new_filter("  ", 0), AddFilterCheck::Blank);
  EXPECT_EQ(check_new_filter("", 0), AddFilterCheck::Blank);
  EXPECT_EQ(check_new_filter(std::string(kMaxFilterText + 1, 'a'), 0), AddFilterCheck::TooLong);
}
