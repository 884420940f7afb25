// The registry layer both programs use for all their state. Failures are silent: every
// operation reports through its result (false, empty text, 0 or -1) and the caller goes on.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom::reg {

// Longest string value the layer reads (a 1024-byte buffer with its terminator).
inline constexpr std::size_t kMaxString = 1023;

// Reads a string value; expandable strings are expanded (result at most kMaxString).
// A text longer than `limit` reads as empty. Missing key or value: empty. Values of other
// types read as empty as well (a REG_DWORD or REG_BINARY where text is expected is junk).
std::string read_string(HKEY root, std::string_view key, std::string_view name, std::size_t limit = kMaxString);

// The first two bytes of a value as an unsigned number; `missing` when the value is absent.
int read_small_number(HKEY root, std::string_view key, std::string_view name, int missing);

bool write_string(HKEY root, std::string_view key, std::string_view name, std::string_view text);
bool write_number(HKEY root, std::string_view key, std::string_view name, std::uint32_t value);
// False when the key or the value is missing.
bool delete_value(HKEY root, std::string_view key, std::string_view name);
// Deletes the key with all its subkeys; a key that does not exist counts as deleted.
bool delete_key_tree(HKEY root, std::string_view key);
bool key_exists(HKEY root, std::string_view key);
bool value_exists(HKEY root, std::string_view key, std::string_view name);
// True when the key's default (unnamed) value exists and is not empty.
bool has_default_value(HKEY root, std::string_view key);
bool create_key(HKEY root, std::string_view key);

// Names of the values / subkeys of a key (names longer than `name_limit` are skipped).
std::vector<std::string> value_names(HKEY root, std::string_view key, std::size_t name_limit = 255);
std::vector<std::string> subkey_names(HKEY root, std::string_view key, std::size_t name_limit = 255);

// The "load=" and "run=" lines of the [windows] section of win.ini, kept as ";"-separated
// lists. Both clear the read-only attribute of win.ini first.
bool add_to_profile_list(std::string_view key_name, std::string_view entry);
bool remove_from_profile_list(std::string_view key_name, std::string_view entry);

}  // namespace kestrom::reg
