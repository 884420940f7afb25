// The monitor's view of kestrompro.dll: two entries, imported by ordinal (see kestrompro.def).
#pragma once
#include <windows.h>

extern "C" {
__declspec(dllimport) int WINAPI KestromProStart(HWND monitor_window);  // ordinal 2
__declspec(dllimport) int WINAPI KestromProStop();                     // ordinal 3
}
