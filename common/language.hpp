// The interface-language table and the translation override rule. Pure.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrom {

inline constexpr std::size_t kOverrideLimit = 772;  // longest translation override read

// Windows primary language id for a language code of string 634 (0 when none matches).
int language_id_from_code(std::string_view code) noexcept;

// An override cut to size - 1 characters with every "%n" turned into a line break.
std::string apply_override(std::string_view override_text, std::size_t size);

}  // namespace kestrom
