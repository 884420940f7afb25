// The foundation services the startup code needs (folders, long paths, version texts, string
// table, options, message boxes) in the shape it uses them, and registry access with the
// explicit read limits, value types and 64-bit view the startup places call for.
#pragma once
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/datetext.hpp"
#include "startup/locations.hpp"

namespace kestrom::facts {

std::string program_folder();
std::string windows_folder();
std::string system_folder();
std::string long_path(std::string_view path);  // unchanged when the system has no long form
std::string short_path(std::string_view path);  // unchanged when the system has no short form
bool file_exists(std::string_view path);
std::string command_to_file(std::string_view command);

struct Version {
  std::string product_name, product_version, company_name, file_description;
};
Version version_of(std::string_view file);

LocalTime local_now();
std::string date_text_now();  // the First-Detected Register's date text

std::string load_text(int number);  // string table entry (translation override applied)
int read_option(std::string_view name, int default_value);
int message_box(HWND owner, std::string_view text, UINT flags);

// Registry, always in the 64-bit view the way a native 64-bit program sees it.
HKEY root_key(RegRoot root) noexcept;
// A string value; empty when missing, not a string, or longer than `limit` characters.
// REG_EXPAND_SZ is expanded when `expand`.
std::string reg_read(HKEY root, std::string_view key, std::string_view name, std::size_t limit, bool expand = false);
bool reg_exists(HKEY root, std::string_view key, std::string_view name);
bool reg_write(HKEY root, std::string_view key, std::string_view name, std::string_view text);
bool reg_delete(HKEY root, std::string_view key, std::string_view name);
bool reg_create(HKEY root, std::string_view key);
bool reg_key_exists(HKEY root, std::string_view key);
struct RegValue {
  std::string name, data;
  DWORD type = REG_NONE;
};
// Every value of a key whose name and data fit the limits (others are skipped).
std::vector<RegValue> reg_values(HKEY root, std::string_view key, std::size_t name_limit, std::size_t data_limit);
std::vector<std::string> reg_subkeys(HKEY root, std::string_view key, std::size_t name_limit);

}  // namespace kestrom::facts
