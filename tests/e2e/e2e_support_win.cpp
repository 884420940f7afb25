#include "tests/e2e/e2e_support_win.hpp"

#include <algorithm>

#include "tests/wine/wine_test_support.hpp"
#include "tools/driver_win.hpp"

namespace kestrom::e2e {

namespace {

constexpr const char* kRecordKey = "Software\\KestromTest";
constexpr const char* kOptionsKey = "Software\\Orvane\\Kestrom\\Options";
constexpr const char* kMonitorClass = "Kestrom";
constexpr const char* kCaption = "Kestrom";
constexpr const char* kWineTrayClass = "__winex11_standalone_tray";

std::string build_folder() {
  std::string bin = test::test_program_folder();
  return bin.substr(0, bin.find_last_of('\\'));
}

// Polls a condition with the driver's period until it holds or the time is up.
template <typename F>
bool poll(DWORD timeout_ms, F&& condition) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(driver::kPollMs);
  }
}

DWORD process_of(HWND w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  return pid;
}

void terminate(DWORD pid) {
  platform::UniqueHandle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
  if (!p) return;
  TerminateProcess(p.get(), 1);
  WaitForSingleObject(p.get(), kWaitMs);
}

void delete_tree(HKEY root, const char* key) {
  if (RegDeleteTreeA(root, key) == ERROR_SUCCESS) RegDeleteKeyA(root, key);
}

}  // namespace

std::string program_folder(std::string_view layout) { return build_folder() + "\\e2e\\" + std::string(layout); }

Started start_monitor(std::string_view layout, std::string_view arguments) {
  const std::string folder = program_folder(layout);
  std::string command = "\"" + folder + "\\Kestrom.exe\"";
  if (!arguments.empty()) command += " " + std::string(arguments);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  Started out;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
    return out;
  CloseHandle(pi.hThread);
  out.process.reset(pi.hProcess);
  out.pid = pi.dwProcessId;
  return out;
}

long wait_exit(const Started& p, DWORD timeout_ms) {
  if (!p || WaitForSingleObject(p.process.get(), timeout_ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(p.process.get(), &code);
  return static_cast<long>(code);
}

bool still_running(const Started& p) { return p && WaitForSingleObject(p.process.get(), 0) == WAIT_TIMEOUT; }

HWND monitor_window(DWORD pid, DWORD timeout_ms) {
  driver::WindowQuery q;
  q.class_name = kMonitorClass;
  q.process_id = pid;
  return driver::wait_for_window(q, timeout_ms);
}

HWND message_box_of(DWORD pid, DWORD timeout_ms) {
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.title = kCaption;
  q.process_id = pid;
  q.visible_only = true;
  return driver::wait_for_window(q, timeout_ms);
}

std::string message_text(HWND box) {
  std::string out;
  for (const auto& c : driver::children(box))
    if (c.class_name == "Static" && !c.text.empty()) out += c.text;
  return out;
}

void reset_state() {
  // Politely first (no question: the first parameter is not 0), then by force.
  driver::WindowQuery monitors;
  monitors.class_name = kMonitorClass;
  for (HWND w : driver::find_windows(monitors)) {
    const DWORD pid = process_of(w);
    PostMessageA(w, WM_DESTROY, 1, 0);
    if (!driver::wait_until_gone(w, 5000)) terminate(pid);
  }
  driver::WindowQuery boxes;
  boxes.class_name = "#32770";
  boxes.title = kCaption;
  for (HWND w : driver::find_windows(boxes)) terminate(process_of(w));

  delete_tree(HKEY_CURRENT_USER, "Software\\Orvane");
  delete_tree(HKEY_CURRENT_USER, kRecordKey);
  delete_tree(HKEY_CLASSES_ROOT, "exefile\\shell\\Kestrom VANT");
  HKEY run = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_SET_VALUE,
                    &run) == ERROR_SUCCESS) {
    RegDeleteValueA(run, "Kestrom");
    RegDeleteValueA(run, "Kestrom VANT");
    RegCloseKey(run);
  }
}

void set_option_text(std::string_view name, std::string_view text) {
  const std::string n(name), t(text);
  RegSetKeyValueA(HKEY_CURRENT_USER, kOptionsKey, n.c_str(), REG_SZ, t.c_str(), static_cast<DWORD>(t.size() + 1));
}

void set_option_dword(std::string_view name, DWORD value) {
  const std::string n(name);
  RegSetKeyValueA(HKEY_CURRENT_USER, kOptionsKey, n.c_str(), REG_DWORD, &value, sizeof value);
}

std::vector<std::string> explorer_starts() {
  std::vector<std::string> out;
  DWORD starts = 0, size = sizeof starts;
  if (RegGetValueA(HKEY_CURRENT_USER, kRecordKey, "Starts", RRF_RT_REG_DWORD, nullptr, &starts, &size) !=
      ERROR_SUCCESS)
    return out;
  for (DWORD i = 1; i <= starts; ++i) {
    char text[1024] = {};
    DWORD len = sizeof text;
    const std::string name = "Switch" + std::to_string(i);
    RegGetValueA(HKEY_CURRENT_USER, kRecordKey, name.c_str(), RRF_RT_REG_SZ, nullptr, text, &len);
    out.emplace_back(text);
  }
  return out;
}

bool wait_explorer_starts(std::size_t count, DWORD timeout_ms) {
  return poll(timeout_ms, [&] { return explorer_starts().size() >= count; });
}

bool tray_icon_shown() {
  driver::WindowQuery q;
  q.class_name = kWineTrayClass;
  q.visible_only = true;
  return !driver::find_windows(q).empty();
}

bool wait_tray_icon(bool shown, DWORD timeout_ms) {
  return poll(timeout_ms, [&] { return tray_icon_shown() == shown; });
}

bool screenshot(std::string_view name) {
  // The build folder seen from Linux: Wine maps the Unix root to drive Z:.
  std::string folder = build_folder() + "\\screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string windows_file = folder + "\\" + std::string(name) + ".png";
  DeleteFileA(windows_file.c_str());
  std::string unix_file = windows_file;
  if (unix_file.size() > 2 && unix_file[1] == ':') unix_file = unix_file.substr(2);
  std::replace(unix_file.begin(), unix_file.end(), '\\', '/');
  std::string command = "start.exe /unix /usr/bin/import -window root " + unix_file;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // import runs on the Linux side, outside Wine's process list: wait for a complete file.
  LONGLONG last = -1;
  return poll(kWaitMs, [&] {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExA(windows_file.c_str(), GetFileExInfoStandard, &a)) return false;
    const LONGLONG size = (static_cast<LONGLONG>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
    const bool stable = size > 0 && size == last;
    last = size;
    if (!stable) Sleep(200);
    return stable;
  });
}

}  // namespace kestrom::e2e
