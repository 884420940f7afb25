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
// The same file in the letters the command has. For reading the file: Wine finds a name only
// as written on its disk, and looks for any other spelling by reading the whole folder.
std::string command_to_file_as_written(std::string_view command, std::string_view windows_folder,
                                       std::string_view program_files);
std::string strip_quotes(std::string_view text);
std::string key_safe_name(std::string_view text);
// The part of a path after its last backslash (the whole text when it has none). Only the
// backslash: a command's "/x" switch must not be taken for a folder.
std::string_view file_name_of_path(std::string_view path) noexcept;
// The part of a file name after its first "."; empty when it has none.
std::string extension_of_name(std::string_view name);
std::string skip_blanks(std::string_view text);

// A command line taken apart where `command to file` ends the program (".EXE", ".DLL"-like
// names; an opening quote runs to the closing one): the program as written, without quotes,
// and the rest unchanged, for starting it with the program quoted. Blanks and tabs before the
// program are skipped.
struct CommandParts {
  std::string program;
  std::string arguments;  // from the first character after the program, as written
};
enum class ProgramEndings {
  Programs,             // ".EXE"- and ".DLL"-like endings only
  ProgramsAndShortcuts  // also ".PIF"- and ".CPL"-like ones (a point with a P one or two places
                        // on) where the ending closes the last part of the path
};
CommandParts split_command(std::string_view command, ProgramEndings endings = ProgramEndings::Programs);

}  // namespace kestrom
