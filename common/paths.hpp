// Folders, file existence, long paths, version information and file facts.
#pragma once
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/datetext.hpp"
#include "common/pathtext.hpp"

namespace kestrom {

inline constexpr std::size_t kModulePathLimit = 480;     // the module's own path is read with this room
inline constexpr std::size_t kProgramFolderLimit = 260;  // a longer program folder counts as not found
inline constexpr std::size_t kVersionTextLimit = 127;    // longer version texts count as empty
inline constexpr DWORD kVersionResourceLimit = 8191;     // larger version resources are not read

std::string program_folder();       // folder of the running program file; empty when over 260
std::string product_data_folder();  // AppData\Kestrom (creating it and its vault), else the program folder
// AppData\Kestrom\vault, created when missing; empty when it cannot be made (no AppData folder).
std::string vault_folder();
std::string windows_folder();
// The logged-on user's name; empty when the system does not tell it.
std::string user_name();
std::string system_folder();

// True when the path names an existing file; a bare name of fewer than 32 characters is
// also looked for in the Windows and system folders. A hit in the system folder rewrites
// `path` to that file's short path.
bool file_exists(std::string& path);
bool file_exists(std::string_view path);
std::string long_path(std::string_view path);
std::string short_path(std::string_view path);
std::string command_to_file(std::string_view command);
// The folders `command to file` puts in for the symbolic names; a listing reads them once.
struct CommandFolders {
  std::string windows, program_files;
};
CommandFolders command_folders();
// The program file a command starts, in the command's own letters (command_to_file_as_written):
// the one to read a file's version texts from.
std::string program_file_as_written(std::string_view command, const CommandFolders& folders);
// command_to_file for many commands in a row (every item of a report): the folders it fills in
// are read once.
class CommandFiles {
 public:
  CommandFiles();
  std::string operator()(std::string_view command) const;

 private:
  CommandFolders folders_;
};

struct VersionInfo {
  std::string product_name, product_version, company_name, file_description, legal_copyright;
};
// True when a product name was found; texts empty when the file has no usable resource.
bool version_information(std::string_view file, VersionInfo& out);
// The same for callers that only take the texts.
VersionInfo version_information(std::string_view file);

struct FileFacts {
  std::string size;  // bytes, decimal
  std::string date;  // date text of the last write, local time
};
bool file_facts(std::string_view file, FileFacts& out);
std::string creation_time_text(std::string_view file);
// The file's creation, last access and last write times in the creation-time form; false (and
// empty texts) when the file cannot be opened.
struct FileTimes {
  std::string created, accessed, written;
};
bool file_times(std::string_view file, FileTimes& out);

// Whole-file reading and replacing, for files of other programs that must never be left cut
// short: the new content goes into a file beside `path` first and takes its place only when
// written completely, so a failure leaves the old file as it was.
std::optional<std::string> read_whole_file(const std::string& path);
bool replace_file_contents(const std::string& path, std::string_view content);

LocalTime local_now();
std::string date_text(const LocalTime& t);  // with the user's formats from the registry
std::string date_text_now();

}  // namespace kestrom
