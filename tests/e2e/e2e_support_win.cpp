#include "tests/e2e/e2e_support_win.hpp"

#include <commctrl.h>
#include <prsht.h>

namespace kestrom::e2e {

namespace {

constexpr const char* kMonitorClass = "Kestrom";
constexpr const char* kExplorerClass = "KestromEx";
constexpr const char* kWineTrayClass = "__winex11_standalone_tray";
constexpr int kQuitCommand = 6030;
constexpr DWORD kPoliteMs = 5000;
constexpr int kListId = 1000;  // every list page's list

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

// Asks each window's program to end, and ends it by force when it does not.
void end_all(const char* class_name, UINT message, WPARAM wp) {
  driver::WindowQuery q;
  q.class_name = class_name;
  for (HWND w : driver::find_windows(q)) {
    const DWORD pid = process_of(w);
    PostMessageA(w, message, wp, 0);
    if (!driver::wait_until_gone(w, kPoliteMs)) terminate(pid);
  }
}

}  // namespace

std::string program_folder(std::string_view layout) {
  const std::string bin = test::test_program_folder();
  return bin.substr(0, bin.find_last_of('\\')) + "\\e2e\\" + std::string(layout);
}

Process start_monitor(std::string_view layout, std::string_view arguments) {
  const std::string folder = program_folder(layout);
  return test::start_process(folder + "\\Kestrom.exe", arguments, folder);
}

Process start_monitor_for_new_services(const test::TestService& before) {
  constexpr const char* kServicesSnapshot = "Software\\Orvane\\Kestrom\\Services";
  test::set_value(HKEY_CURRENT_USER, kOptions, "Services", "1");
  test::set_value(HKEY_CURRENT_USER, kOptions, "Sound", "0");
  Process m = start_monitor("alone");
  if (m && monitor_window(m.pid) && test::poll([&] {
        return test::get_value(HKEY_CURRENT_USER, kServicesSnapshot, before.display_name()) == "700";
      }))
    return m;
  test::end_process(m);
  return {};
}

Process start_explorer(std::string_view arguments) {
  return test::start_process(test::fixture("KestromEx.exe"), arguments);
}

long quit_explorer(const Process& explorer) {
  wait_exit(start_explorer("-Q"));
  return wait_exit(explorer);
}

HWND monitor_window(DWORD pid) {
  driver::WindowQuery q;
  q.class_name = kMonitorClass;
  q.process_id = pid;
  return driver::wait_for_window(q, kWaitMs);
}

HWND dialog_of(DWORD pid, const char* caption, DWORD timeout_ms) {
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.title = caption;
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

std::size_t window_count(const char* class_name) {
  driver::WindowQuery q;
  q.class_name = class_name;
  return driver::find_windows(q).size();
}

void reset_state() {
  end_all(kExplorerClass, WM_COMMAND, kQuitCommand);
  // No question on the way out: the first parameter is not 0.
  end_all(kMonitorClass, WM_DESTROY, 1);
  driver::WindowQuery boxes;
  boxes.class_name = "#32770";
  boxes.title = "Kestrom";
  for (HWND w : driver::find_windows(boxes)) terminate(process_of(w));

  test::delete_tree(HKEY_CURRENT_USER, "Software\\Orvane");
  test::delete_tree(HKEY_LOCAL_MACHINE, "Software\\Orvane");
  test::forget_explorer_starts();
  test::delete_tree(HKEY_CLASSES_ROOT, "exefile\\shell\\Kestrom VANT");
  const char* machine_run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  test::delete_value(HKEY_LOCAL_MACHINE, machine_run, "Kestrom");
  test::delete_value(HKEY_LOCAL_MACHINE, machine_run, "Kestrom VANT");
}

bool tray_icon_shown() {
  driver::WindowQuery q;
  q.class_name = kWineTrayClass;
  q.visible_only = true;
  return !driver::find_windows(q).empty();
}

bool wait_tray_icon(bool shown) {
  return test::poll([&] { return tray_icon_shown() == shown; });
}

// The Options tab is the last of the sheet, however many category tabs come before it.
int options_tab(HWND sheet) {
  DWORD_PTR tab = 0, count = 0;
  if (!SendMessageTimeoutA(sheet, PSM_GETTABCONTROL, 0, 0, SMTO_ABORTIFHUNG, 5000, &tab) || !tab) return -1;
  if (!SendMessageTimeoutA(reinterpret_cast<HWND>(tab), TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count))
    return -1;
  return static_cast<int>(count) - 1;
}

HWND box_saying(DWORD pid, const std::string& part) {
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.process_id = pid;
  q.visible_only = true;
  HWND found = nullptr;
  test::poll([&] {
    for (HWND w : driver::find_windows(q))
      for (const auto& c : driver::children(w))
        if (c.class_name == "Static" && c.text.find(part) != std::string::npos) return (found = w) != nullptr;
    return false;
  });
  return found;
}

HWND shown_list(HWND sheet) {
  for (const auto& c : driver::children(sheet))
    if (c.id == kListId && c.class_name == "SysListView32" && IsWindowVisible(c.hwnd)) return c.hwnd;
  return nullptr;
}

HWND page_list(HWND sheet, HWND other_than) {
  HWND found = nullptr;
  test::poll([&] {
    for (const auto& c : driver::children(sheet))
      if (c.id == kListId && c.class_name == "SysListView32" && IsWindowVisible(c.hwnd) && c.hwnd != other_than)
        return (found = c.hwnd) != nullptr;
    return false;
  });
  return found;
}

HWND page_with(HWND sheet, int id, const char* class_name) {
  HWND found = nullptr;
  test::poll([&] {
    for (const auto& c : driver::children(sheet))
      if (c.id == id && (!class_name || c.class_name == class_name) && IsWindowVisible(c.hwnd))
        return (found = GetParent(c.hwnd)) != nullptr;
    return false;
  });
  return found;
}

}  // namespace kestrom::e2e
