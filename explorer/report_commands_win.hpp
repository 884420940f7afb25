// The explorer's report commands: the program report (command 9 and the Options page's
// "Kestrom &Log"), the CSV log ("&Spreadsheet Report"), the scan log ("&Hijack Log", and an
// explorer named "hijack...") and the registry backup ("E&xport Settings"), each telling the
// user when its file could not be written.
#pragma once
#include "explorer/app_win.hpp"

namespace kestrom::explorer {

void wire_report_commands(App& app);

}  // namespace kestrom::explorer
