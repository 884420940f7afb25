// Text rules of the startup places that need no system call: the RUNDLL32 rule, the Winlogon
// Userinit and Shell values, the win.ini load=/run= lists and the AppInit_DLLs list. Pure.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom {

struct RundllResult {
  int flag = 0;      // 1 when the command was started through rundll32
  std::string text;  // the DLL call alone, or the command unchanged
};
RundllResult rundll32_rule(std::string_view command);

struct FoundCommand {
  bool found = false;
  std::string text;
};
// The program that Winlogon starts after Userinit ("path," gives path; "a,b" gives b).
FoundCommand userinit_command_from(std::string_view value);
// The program of the Shell value ("Explorer.exe" gives itself; "a b" gives b).
FoundCommand shell_command_from(std::string_view value);

// win.ini lists: the non-empty pieces of a ";"-separated line (rebuilding a line is
// common/profile_list.hpp's).
std::vector<std::string> profile_list_pieces(std::string_view line);

// AppInit_DLLs: pieces cut at "," and blanks, empty ones dropped.
std::vector<std::string> appinit_pieces(std::string_view list);
// The list without the pieces whose long form equals `dll` (case-insensitive); the kept
// pieces are joined by ",".
std::string appinit_without(std::string_view list, std::string_view dll,
                            const std::function<std::string(std::string_view)>& long_path);
// The list with `short_dll` appended after a ",".
std::string appinit_with(std::string_view list, std::string_view short_dll);

}  // namespace kestrom
