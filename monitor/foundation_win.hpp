// The foundation services the monitor uses that the shared foundation does not provide yet
// (product initialisation, the start-with-Windows entry, message boxes, the trace file). Each
// is a small stand-in with the same meaning and forwards to the shared code once that lands.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string_view>

namespace kestrom::monitor::fnd {

inline constexpr std::size_t kNameSize = 32;  // class name and window title: 31 characters

// Caption = the window title, topmost, in the interface language.
int message_box(HWND owner, std::string_view text, UINT flags);

// Sets the interface language and creates the product keys on first use; returns the number
// of delayed programs.
int initialise_product();
bool always_run_state();
void set_always_run(bool on);

void trace_begin(std::string_view tag, std::string_view label);
void trace_end();

}  // namespace kestrom::monitor::fnd
