// Random bytes through every parser of the core; run under ASan/UBSan, so an out-of-range read
// or an overflow fails here even when the invariants below still hold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "common/datetext.hpp"
#include "common/language.hpp"
#include "common/options_table.hpp"
#include "common/pathtext.hpp"
#include "common/profile_list.hpp"
#include "common/text.hpp"
#include "common/trace.hpp"
#include "check/policy.hpp"

using namespace kestrom;

namespace {

// Bytes that mean something to the parsers, mixed with anything else.
std::string random_text(std::mt19937& rng, std::size_t max_len) {
  static constexpr char kSpecial[] = "%n.XxLl:\"; \\=-+0123456789SYSTEMROOT%PROGRAMFILES%";
  std::uniform_int_distribution<std::size_t> len(0, max_len);
  std::uniform_int_distribution<int> pick(0, 3);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<std::size_t> special(0, sizeof kSpecial - 2);
  std::string s(len(rng), '\0');
  for (char& c : s) c = pick(rng) == 0 ? static_cast<char>(byte(rng)) : kSpecial[special(rng)];
  return s;
}

}  // namespace

TEST(RandomInput, ParsersKeepTheirLimitsOnAnyBytes) {
  std::mt19937 rng(20100);
  for (int i = 0; i < 20000; ++i) {
    std::string s = random_text(rng, 900);
    std::size_t size = static_cast<std::size_t>(rng() % 1100);

    std::string file = command_to_file_text(s, "C:\\Windows", "C:\\Program Files");
    EXPECT_LE(file.size(), s.size() + 20);
    EXPECT_EQ(file, to_upper(file));

    std::string over = apply_override(s, size);
    EXPECT_LE(over.size(), size == 0 ? 0 : std::min<std::size_t>(size - 1, kOverrideMaxText));
    EXPECT_GE(override_length(s, size), over.size());

    std::string_view cut = cut_text(s, size);
    EXPECT_LE(cut.size(), size);
    EXPECT_EQ(s.compare(0, cut.size(), cut), 0);

    (void)decimal_value(s);
    (void)language_id_from_code(s.substr(0, 6));
    (void)contains(s, s.substr(0, size % 8));

    std::string entry = s.substr(0, size % 12);
    if (entry.find(';') == std::string::npos && !entry.empty()) {
      EXPECT_FALSE(profile_list_has(profile_list_remove(s, entry), entry));
    }

    std::string stripped = strip_quotes(s);
    EXPECT_EQ(stripped.find('"'), std::string::npos);
    EXPECT_LE(stripped.size(), kStripQuotesLimit);

    LocalTime t{static_cast<int>(rng()), static_cast<int>(rng()), static_cast<int>(rng()),
                static_cast<int>(rng()), static_cast<int>(rng()), 0};
    EXPECT_LE(format_date_text(t, s.substr(0, 12), s.substr(0, 12)).size(), 2 * kDatePartLimit + 1);
    EXPECT_LE(trace::begin_value(t, "T", "L").size(), 200u);
  }
}

TEST(RandomInput, DecimalValueAgreesWithStrtolWhereItCannotOverflow) {
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) {
    std::string s = random_text(rng, 9);
    long expected = std::strtol(s.c_str(), nullptr, 10);
    // strtol also skips the blanks it knows and stops at a terminator, like the stored text does.
    if (s.find('\0') != std::string::npos) continue;
    EXPECT_EQ(decimal_value(s), static_cast<int>(expected)) << s;
  }
}

// The approved policy reader: a real document cut, spliced and sprinkled with bytes that mean
// something to JSON. Whatever it makes of one, a document it takes writes back into one it takes
// again unchanged, and a refused one returns nothing.
TEST(RandomInput, PolicyReaderTakesAllOrNothingOfMangledDocuments) {
  using namespace kestrom::check;
  Policy seed;
  seed.startup = {{"C:\\APP.EXE", 1}, {"say \"hi\"", 11}};
  seed.services = {{"Svc", 700}};
  seed.tasks = {{"T.job", 800}};
  seed.ie_helpers = {{"Bar", 901}};
  seed.activex = {"{1}"};
  seed.hidden_files = {{"C:\\h.dll", "1/1/2026"}};
  seed.watched_file_types = {"EXE"};
  seed.file_types = {{"txt", 1, "txtfile", "notepad %1"}};
  seed.settings.update_level = 2;
  seed.settings.start_page = "about:blank";
  seed.system_files = {{"HOSTS", "C:\\hosts", "", "127.0.0.1 localhost\n"}};
  const std::string text = write_policy(seed);
  static constexpr char kJson[] = "{}[]\":,\\u0000-1e9 \x7f\xc3\xff";
  std::mt19937 rng(13013);
  for (int i = 0; i < 4000; ++i) {
    std::string doc = text;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits && !doc.empty(); ++e) {
      const std::size_t at = rng() % doc.size();
      switch (rng() % 4) {
        case 0: doc[at] = kJson[rng() % (sizeof kJson - 1)]; break;
        case 1: doc.erase(at, rng() % 24); break;
        case 2: doc.insert(at, doc.substr(rng() % doc.size(), rng() % 40)); break;
        default: doc.resize(at); break;
      }
    }
    const auto read = read_policy(doc);
    ASSERT_EQ(read.policy.has_value(), read.error == PolicyError::None) << doc;
    if (!read.policy) continue;
    const std::string again = write_policy(*read.policy);
    const auto reread = read_policy(again);
    ASSERT_TRUE(reread.policy) << again;
    EXPECT_EQ(write_policy(*reread.policy), again);
  }
}
