// The one guard between the system and our code. Windows calls window, dialog and subclass
// procedures and other callbacks from its own frames, which know nothing of C++ exceptions: one
// that unwound through them would end the program or leave the window manager's state broken.
// Every such entry point runs its body here; a fault is caught, noted and answered with the
// safe result the caller gives. Free of Windows headers, so the rule is tested natively; the
// adapters for each kind of procedure are in platform/callback_guard.hpp.
#pragma once
#include <atomic>
#include <type_traits>
#include <utility>

namespace kestrom::platform {

// Told where a fault was caught ("window procedure", ...). Must not throw.
using FaultNote = void (*)(const char* where) noexcept;

namespace detail {
inline std::atomic<FaultNote> g_fault_note{nullptr};
}  // namespace detail

// Installs the note for the whole process (nullptr: faults pass unnoted). Returns the previous one.
inline FaultNote set_fault_note(FaultNote note) noexcept { return detail::g_fault_note.exchange(note); }

// Runs body(); if it throws, notes `where` and returns fallback() instead. The fallback is
// called only after a fault, so it may be the system's default handling of the same message.
template <typename Body, typename Fallback>
std::invoke_result_t<Body&> guarded(const char* where, Body&& body, Fallback&& fallback) noexcept {
  using Result = std::invoke_result_t<Body&>;
  try {
    return body();
  } catch (...) {
    if (FaultNote note = detail::g_fault_note.load()) note(where);
  }
  if constexpr (std::is_void_v<Result>) {
    fallback();
  } else {
    return static_cast<Result>(fallback());
  }
}

}  // namespace kestrom::platform
