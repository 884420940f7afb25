// Every user-visible text comes from the running program's string table through here, so a
// translation (values "LString<N>" under HKLM\Software\Orvane\Kestrom) can replace it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

namespace kestrom::text {

// Size of the buffers the programs load texts into unless a caller says otherwise.
inline constexpr std::size_t kDefaultSize = 1024;

// The module whose string table is read (the program itself by default).
void set_module(HINSTANCE module) noexcept;
HINSTANCE module() noexcept;

// The interface language identifier (Windows primary language id; 0 until set, 9 English).
int language() noexcept;
void set_language(int id) noexcept;
// Reads string 634 through the loader and sets the language from the code table.
void set_language_from_string_table();

// Loads string `number` cut to size - 1 characters, with the override rules.
std::string load(int number, std::size_t size = kDefaultSize);
// The same into `destination`; the result is the loader's length: the string's length, or for
// an override its length before "%n" became a line break. 0 when there is no such string.
std::size_t load(int number, std::string& destination, std::size_t size);

// Deletes the "LString0".."LString1165" overrides and every remembered window position.
// False, with nothing deleted, when the overrides' key may not be written (a standard user).
bool reset_to_english();

}  // namespace kestrom::text
