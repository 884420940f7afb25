// The lines of the registry backup (a file the system's registry editor imports). Pure: the
// Windows side reads the keys and hands each value over as it is stored.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrom::reports {

inline constexpr std::string_view kRegHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
inline constexpr std::string_view kBackupFileEnding = "-Kestrom.reg";

// Registry value types as the system numbers them.
namespace regtype {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kString = 1;
inline constexpr std::uint32_t kExpandString = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kMultiString = 7;
}  // namespace regtype

struct BackupValue {
  std::string name;        // empty: the key's default value
  std::uint32_t type = regtype::kNone;
  std::string data;        // the bytes as the 8-bit interface reads them
  // String types only: the same data in UTF-16LE, the form the editor's hex(1), hex(2) and
  // hex(7) lines hold.
  std::string utf16;
};

// "[HKEY_CURRENT_USER\Software\...]" and its line end.
std::string reg_key_line(std::string_view hive, std::string_view path);
// A key name can be written on a key line: one line, no control characters.
bool reg_key_name_writable(std::string_view name);
// Backslashes and quotes escaped as the editor reads them back.
std::string reg_escape(std::string_view text);
// The value's line (possibly continued over several lines), ending in CR LF, that the editor
// imports as exactly this value; nothing for a value whose name cannot be written on one line.
std::optional<std::string> reg_value_line(const BackupValue& value);

}  // namespace kestrom::reports
