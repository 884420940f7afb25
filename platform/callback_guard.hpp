// Procedures handed to Windows, each running its body through the guard. The body is an
// ordinary function with the procedure's parameters; the instantiation is what Windows gets:
//
//   wc.lpfnWndProc = platform::window_procedure<&handle_owner>;
//
// Each kind answers a fault the way that does least: a window procedure as DefWindowProc would,
// a dialog procedure "not handled", a subclass procedure as the next procedure in the chain, an
// enumeration by stopping, a comparison "equal", a thread with a failure exit code.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/guard.hpp"

namespace kestrom::platform {

// The exit code of a thread whose body failed.
inline constexpr DWORD kFailedThreadExit = 1;

template <LRESULT (*Body)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wp, LPARAM lp) noexcept {
  return guarded(
      "window procedure", [&] { return Body(window, message, wp, lp); },
      [&] { return DefWindowProcA(window, message, wp, lp); });
}

template <INT_PTR (*Body)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK dialog_procedure(HWND dialog, UINT message, WPARAM wp, LPARAM lp) noexcept {
  return guarded(
      "dialog procedure", [&] { return Body(dialog, message, wp, lp); }, [] { return INT_PTR{FALSE}; });
}

template <LRESULT (*Body)(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR)>
LRESULT CALLBACK subclass_procedure(HWND window, UINT message, WPARAM wp, LPARAM lp, UINT_PTR id,
                                    DWORD_PTR data) noexcept {
  return guarded(
      "subclass procedure", [&] { return Body(window, message, wp, lp, id, data); },
      [&] { return DefSubclassProc(window, message, wp, lp); });
}

// EnumWindows, EnumChildWindows and the like: a fault ends the enumeration.
template <BOOL (*Body)(HWND, LPARAM)>
BOOL CALLBACK enum_windows_procedure(HWND window, LPARAM lp) noexcept {
  return guarded("enumeration callback", [&] { return Body(window, lp); }, [] { return BOOL{FALSE}; });
}

// A property sheet's PFNPROPSHEETCALLBACK.
template <int (*Body)(HWND, UINT, LPARAM)>
int CALLBACK property_sheet_callback(HWND sheet, UINT message, LPARAM lp) noexcept {
  return guarded("property sheet callback", [&] { return Body(sheet, message, lp); }, [] { return 0; });
}

// A list view's PFNLVCOMPARE: a fault compares as equal.
template <int (*Body)(LPARAM, LPARAM, LPARAM)>
int CALLBACK compare_procedure(LPARAM a, LPARAM b, LPARAM context) noexcept {
  return guarded("compare callback", [&] { return Body(a, b, context); }, [] { return 0; });
}

template <DWORD (*Body)(LPVOID)>
DWORD WINAPI thread_procedure(LPVOID parameter) noexcept {
  return guarded("thread procedure", [&] { return Body(parameter); }, [] { return kFailedThreadExit; });
}

}  // namespace kestrom::platform
