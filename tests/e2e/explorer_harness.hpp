// Starting, finding and ending the real explorer from a test program, and the registry state
// each explorer test starts from. Header-only so each explorer test file can include it.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/handles.hpp"
#include "tests/e2e/e2e_support_win.hpp"
#include "tests/wine/wine_test_support.hpp"
#include "tools/driver_win.hpp"

namespace kestrom::e2e::ex {

inline constexpr int kQuit = 6030;
inline constexpr int kListId = 1000;
inline constexpr const char* kClass = "KestromEx";
inline constexpr const char* kOptions = "Software\\Orvane\\Kestrom\\Options";
inline constexpr const char* kProduct = "Software\\Orvane\\Kestrom";
inline constexpr const char* kUserRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

inline bool wait_until(const std::function<bool()>& done, DWORD timeout_ms = kWaitMs) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() > end) return false;
    Sleep(driver::kPollMs);
  }
}

struct Explorer {
  platform::UniqueHandle process;
  DWORD pid = 0;
  explicit operator bool() const noexcept { return static_cast<bool>(process); }
};

inline Explorer start_explorer(std::string_view arguments) {
  std::string command = "\"" + test::test_program_folder() + "\\KestromEx.exe\" " + std::string(arguments);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  Explorer e;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return e;
  CloseHandle(pi.hThread);
  e.process.reset(pi.hProcess);
  e.pid = pi.dwProcessId;
  return e;
}

// Exit code, or -1 when the process did not end in time.
inline long wait_exit(const Explorer& e, DWORD timeout_ms = kWaitMs) {
  if (!e.process || WaitForSingleObject(e.process.get(), timeout_ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(e.process.get(), &code);
  return static_cast<long>(code);
}

// The visible property sheet of the process (its caption is the product title).
inline HWND sheet_of(DWORD pid, DWORD timeout_ms = kWaitMs) {
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.title = "Kestrom";
  q.process_id = pid;
  q.visible_only = true;
  return driver::wait_for_window(q, timeout_ms);
}

inline int current_tab(HWND sheet) {
  DWORD_PTR tab = 0, sel = 0;
  if (!SendMessageTimeoutA(sheet, PSM_GETTABCONTROL, 0, 0, SMTO_ABORTIFHUNG, 5000, &tab) || !tab) return -1;
  if (!SendMessageTimeoutA(reinterpret_cast<HWND>(tab), TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &sel)) return -1;
  return static_cast<int>(sel);
}

// The list view of the page on show.
inline HWND list_of(HWND sheet) {
  for (const auto& c : driver::children(sheet))
    if (c.id == kListId && c.class_name == "SysListView32" && IsWindowVisible(c.hwnd)) return c.hwnd;
  return nullptr;
}

inline std::string read_value(HKEY root, const char* key, const char* name) {  // name null: the default value
  char buf[1024] = {};
  DWORD size = sizeof buf - 1;
  if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return {};
  return buf;
}

inline void write_value(HKEY root, const char* key, const char* name, std::string_view text) {
  const std::string t(text);
  RegSetKeyValueA(root, key, name, REG_SZ, t.c_str(), static_cast<DWORD>(t.size() + 1));
}

inline void delete_value(HKEY root, const char* key, const char* name) { RegDeleteKeyValueA(root, key, name); }

// Ends every explorer (politely, then by force), then the monitor's known state.
inline void reset_explorer_state() {
  driver::WindowQuery q;
  q.class_name = kClass;
  for (HWND w : driver::find_windows(q)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    PostMessageA(w, WM_COMMAND, MAKEWPARAM(kQuit, 0), 0);
    if (!driver::wait_until_gone(w, 5000)) {
      platform::UniqueHandle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
      if (p) {
        TerminateProcess(p.get(), 1);
        WaitForSingleObject(p.get(), 5000);
      }
    }
  }
  reset_state();
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Orvane");
}

// Asks the explorer to end as a second start with "-Q" would, and waits for it.
inline long quit(const Explorer& e) {
  Explorer q = start_explorer("-Q");
  wait_exit(q);
  return wait_exit(e);
}

}  // namespace kestrom::e2e::ex
