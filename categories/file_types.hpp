// File type associations: which program opens the files of each watched extension, read from
// three places Windows keeps an association, and the product's copy of each (the file-type
// snapshot under Ext, ExtApp, ExtProgID and Class). The rules are pure; the registry is reached
// in categories/file_types_win.hpp.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom::file_types {

// The item code of every association (TYPE_FILETYPE).
inline constexpr int kFileTypeCode = 400;
// The watched list may hold at most this many characters; one extension in it at most 256.
inline constexpr std::size_t kMaxWatchedList = 1019;
inline constexpr std::size_t kMaxExtension = 256;
// Ext's default value once the snapshot is built; an 11-character one is an older marker
// whose snapshot gets its records and the marker again.
inline constexpr std::string_view kMarker = "Do not edit.";
inline constexpr std::size_t kOldMarkerLength = 11;
// Where the list tells a built snapshot: a ";" within its first characters.
inline constexpr std::size_t kListProbeLength = 10;

// The three sources, in the order items are listed.
enum Source : int {
  kMachineClass = 1,  // HKLM Software\Classes\.ext -> class -> shell\open\command
  kApplication = 2,   // FileExts\.ext "Application" -> HKCR Applications\app\shell\open\command
  kProgId = 3,        // FileExts\.ext "ProgID" -> HKCR progid\shell\open\command
};
inline constexpr int kFirstSource = kMachineClass;
inline constexpr int kLastSource = kProgId;

// Registry places (HKCU for the snapshot, the FileExts key; HKLM for the classes).
inline constexpr std::string_view kExtKey = "Software\\Orvane\\Kestrom\\Ext";
inline constexpr std::string_view kExtAppKey = "Software\\Orvane\\Kestrom\\ExtApp";
inline constexpr std::string_view kExtProgIdKey = "Software\\Orvane\\Kestrom\\ExtProgID";
inline constexpr std::string_view kClassKey = "Software\\Orvane\\Kestrom\\Class";
inline constexpr std::string_view kMachineClasses = "Software\\Classes\\";
inline constexpr std::string_view kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
inline constexpr std::string_view kOpenCommand = "\\shell\\open\\command";
// The snapshot key of a source's names; empty for a number that is no source.
std::string_view snapshot_key(int source) noexcept;

// One association found: both the name and the command value were there.
struct Association {
  std::string extension;  // as in the watched list, without its dot
  int source = 0;
  std::string name;     // class, application or program identifier
  std::string command;  // the open command as stored (quotes and all)
};

// What the snapshot holds for one extension and source.
struct Recorded {
  std::string name;
  std::string command;
};

// "txt" and ".txt" name the same extension: the dotted and the bare form.
std::string dotted(std::string_view extension);
std::string_view bare(std::string_view extension) noexcept;

// The extensions of the watched list in order (empty entries skipped, each cut at 256).
std::vector<std::string> watched_extensions(std::string_view list);
// Case-insensitive, with or without the dot.
bool is_watched(std::string_view list, std::string_view extension);
// The list without that extension's entries.
std::string without_extension(std::string_view list, std::string_view extension);

// An extension a user may add: not empty, no ";" (the list's separator), no "\" (it would
// name a subkey), no control character, and short enough for one entry.
bool valid_extension(std::string_view extension) noexcept;

// String numbers `add watched file type` answers with; 0 when added.
inline constexpr int kInvalidExtension = 761;
inline constexpr int kAlreadyWatched = 762;
inline constexpr int kListFull = 763;
struct AddOutcome {
  int message = 0;   // 0, 761, 762 or 763
  std::string list;  // the new list when added
};
// The list rule of adding (without the dot, upper case, then ";"). The length test counts the
// ";" that goes with the extension, so the list never exceeds its limit.
AddOutcome add_to_list(std::string_view list, std::string_view extension);

// Nothing is recorded for an association until both a name and a command are.
bool nothing_recorded(const Recorded& recorded) noexcept;
// Same program: the parts after the last backslash agree, ignoring case and double quotes. A
// program moved to another folder is therefore the same.
bool same_program(std::string_view recorded_command, std::string_view current_command);

// What start-up does with the snapshot.
enum class SnapshotBuild {
  Exists,       // nothing
  RecordAgain,  // record every listed association and write the marker
  Build,        // create the keys, write the default list, record, write the marker
};
SnapshotBuild snapshot_build(std::string_view ext_default, std::string_view watched_list) noexcept;

// Stop watching: whether the class value `name` may go, given the names the snapshot still
// records for other extensions.
bool class_still_used(std::string_view name, const std::vector<std::string>& other_names) noexcept;

}  // namespace kestrom::file_types
