// kestrompro.dll: the monitor's outside component. The monitor hands it its window at
// start-up and tells it when it stops; the component may then post message 9024 to the
// window whenever it sees something worth a realtime check. It watches nothing yet.
#include <windows.h>

extern "C" {

// Exported through kestrompro.def only, so no name reaches the export table.

// Ordinal 2: once per run, after the monitor's initialisation.
int WINAPI KestromProStart(HWND monitor_window) {
  (void)monitor_window;
  return 1;
}

// Ordinal 3: the first step of the monitor's shutdown.
int WINAPI KestromProStop() { return 1; }

}  // extern "C"
