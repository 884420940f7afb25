// The scan log on the real system: the findings gathered from the registry, the files and
// the categories' listings, written to a file and opened.
#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "reports/scan_log.hpp"

namespace kestrom::reports {

// The texts of the string table the log uses (the interface language's).
struct ScanTexts {
  std::string product_title;                             // string 2
  std::string processes_heading = "Running processes:";  // string 818
  std::array<std::string, 5> auto_update;                // strings 1050 to 1054
};

ScanFacts gather_scan_facts(const ScanTexts& texts);

// Writes the log to `path`; true when the file was written whole.
bool save_scan_log(const std::string& path, const ScanTexts& texts);
// Writes the log to `path` under the wait cursor; true when the file was written whole. Only
// a whole file is then opened with the shell.
bool write_scan_log(HWND owner, const std::string& path, const ScanTexts& texts);

}  // namespace kestrom::reports
