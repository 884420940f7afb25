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
