// Kestrom.exe, the tray monitor.
#include <windows.h>

#include "monitor/monitor_win.hpp"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  using namespace kestrom::monitor;
  MonitorHooks hooks;
  hooks.count_processes = &count_running_processes;
  return run_monitor(instance, command_line ? command_line : "", std::move(hooks));
}
