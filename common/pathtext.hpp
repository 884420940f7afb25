// Rules that turn command lines and paths into their parts. Pure.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrom {

inline constexpr std::size_t kMaxPath = 259;          // every path text (260-character buffers)
inline constexpr std::size_t kStripQuotesLimit = 511;
inline constexpr std::size_t kShortNameLength = 32;   // names shorter than this are also looked up in the system folders

// The program file a command line starts, upper case (see `command to file`).
// windows_folder and program_files replace "\SystemRoot" and "%PROGRAMFILES%".
std::string command_to_file_text(std::string_view command, std::string_view windows_folder,
                                 std::string_view program_files);
std::string strip_quotes(std::string_view text);
std::string key_safe_name(std::string_view text);
std::string file_name_of_path(std::string_view path);
std::string extension_of_name(std::string_view name);
std::string skip_blanks(std::string_view text);

}  // namespace kestrom
