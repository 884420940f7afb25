// The registry backup: the product's keys of the current user and of the machine, in a file
// the system's registry editor imports.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace kestrom::reports {

// Writes "<folder>\<user>-Kestrom.reg". The file's long path when it was written whole and
// closed without error; nothing otherwise (an incomplete file is never reported as saved).
std::optional<std::string> export_settings(const std::string& folder, const std::string& user);
// The same in the program folder for the logged-on user.
std::optional<std::string> export_settings();

// The file's content as 8-bit text; the file holds it in UTF-16.
std::string settings_backup_text();

}  // namespace kestrom::reports
