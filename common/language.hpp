// The interface-language table and the translation override rule. Pure.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrom {

inline constexpr std::size_t kOverrideLimit = 772;     // longest translation override read
inline constexpr std::size_t kOverrideMaxText = 771;   // longest override text a caller receives
inline constexpr int kLanguageEnglish = 9;
inline constexpr int kHighestTranslatedString = 1165;  // reset to English forgets 0..this

// Windows primary language id for a language code (string IDS_LANGUAGE_CODE) (0 when none matches).
int language_id_from_code(std::string_view code) noexcept;

// An override cut to size - 1 characters (771 at most) with every "%n" turned into a line break.
std::string apply_override(std::string_view override_text, std::size_t size);
// The length the text loader reports for an override: its length after the cut, before "%n"
// is replaced.
std::size_t override_length(std::string_view override_text, std::size_t size) noexcept;

// `text` cut to at most `max_bytes` bytes; a cut that would split a UTF-8 sequence ends
// before that character instead.
std::string_view cut_text(std::string_view text, std::size_t max_bytes) noexcept;

}  // namespace kestrom
