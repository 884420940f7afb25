// The registry layer both programs use for all their state. Failures are silent: every
// operation reports through its result (false, empty text, 0 or -1) and the caller goes on.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/reg_key.hpp"

namespace kestrom::reg {

// Longest string value the layer reads (a 1024-byte buffer with its terminator).
inline constexpr std::size_t kMaxString = 1023;
// A limit no stored text of the product reaches: read with it, a value that is there but too
// long for its own limit can be told from a missing one.
inline constexpr std::size_t kLongestText = 32767;

// Reads a string value; expandable strings are expanded (result at most kMaxString).
// A text longer than `limit` reads as empty. Missing key or value: empty. Values of other
// types read as empty as well (a REG_DWORD or REG_BINARY where text is expected is junk).
std::string read_string(HKEY root, std::string_view key, std::string_view name, std::size_t limit = kMaxString);
// The same through a key already open, for a step that reads many values of one key.
std::string read_string(const platform::RegKey& key, std::string_view name, std::size_t limit = kMaxString);

enum class Expand { No, Yes };
// Reads a string value the way a caller with a buffer of its own size does: the text up to its
// first terminator; empty when missing, of another type, longer than `limit`, or when the data
// does not fit limit + 2 bytes. `limit` may exceed kMaxString. Expandable strings stay as
// stored unless asked (the expanded text, at most kMaxString, must fit `limit` too).
std::string read_text(HKEY root, std::string_view key, std::string_view name, std::size_t limit,
                      Expand expansion = Expand::No);
// The same rule applied to a value already read from a key the caller holds open (unexpanded):
// a caller that reads many values of one key opens it once.
std::string read_text(const platform::RegKey::RawValue& value, std::size_t limit, Expand expansion = Expand::No);

// The first two bytes of a value as an unsigned number; `missing` when the value is absent.
int read_small_number(HKEY root, std::string_view key, std::string_view name, int missing);

bool write_string(HKEY root, std::string_view key, std::string_view name, std::string_view text);
bool write_number(HKEY root, std::string_view key, std::string_view name, std::uint32_t value);
// A REG_BINARY value with exactly these bytes (the key is created when missing).
bool write_binary(HKEY root, std::string_view key, std::string_view name, std::string_view bytes);
// The bytes of a REG_BINARY value; nullopt when the value is missing or of another type.
std::optional<std::string> read_binary(HKEY root, std::string_view key, std::string_view name);
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

struct Value {
  std::string name;
  std::string data;  // the bytes up to the first zero byte, whatever the type
  DWORD type = REG_NONE;
  bool is_text() const noexcept { return type == REG_SZ || type == REG_EXPAND_SZ; }
};
// Every value of a key whose name fits `name_limit` characters and whose data fits
// `data_limit` + 1 bytes; the others are skipped, not cut. As many values are visited as the
// key held when the listing began.
std::vector<Value> values(HKEY root, std::string_view key, std::size_t name_limit, std::size_t data_limit);

// The "load=" and "run=" lines of the [windows] section of win.ini, kept as ";"-separated
// lists. Both clear the read-only attribute of win.ini first.
bool add_to_profile_list(std::string_view key_name, std::string_view entry);
bool remove_from_profile_list(std::string_view key_name, std::string_view entry);
// True when one of the line's entries equals `entry`, ignoring case.
bool profile_list_contains(std::string_view key_name, std::string_view entry);

}  // namespace kestrom::reg
