// Kestrom.exe, the tray monitor.
#include <windows.h>

#include "monitor/monitor_win.hpp"
#include "monitor/wiring_win.hpp"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  using namespace kestrom::monitor;
  // Lives until the message loop has ended: the monitor's hooks refer to it.
  MonitorWiring wiring;
  return run_monitor(instance, command_line ? command_line : "", wiring.hooks());
}
