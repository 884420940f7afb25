// The few foundation services the monitor uses, in one place. The shared foundation is still
// being built, so these are small stand-ins with the same meaning; each forwards to the shared
// code once that lands, and nothing else in the monitor changes.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrom::monitor::fnd {

inline constexpr std::size_t kNameSize = 32;  // class name and window title: 31 characters

std::string load_text(int number, std::size_t size = 1024);
// Options Store: decimal string values under ...\Kestrom\Options; missing, empty or not a
// string reads as the default.
int read_option(std::string_view name, int default_value);
// Writes a value without raising `Update` (the monitor only ever clears it).
void write_option_text(std::string_view name, std::string_view text);

int message_box(HWND owner, std::string_view text, UINT flags);
std::string program_folder();

// Product initialisation: creates the product keys on first use; returns the number of
// delayed programs.
int initialise_product();
bool always_run_state();
void set_always_run(bool on);

void trace_begin(std::string_view tag, std::string_view label);
void trace_end();

}  // namespace kestrom::monitor::fnd
