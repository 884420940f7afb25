#include "reports/registry_backup_win.hpp"

#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "platform/handles.hpp"
#include "platform/reg_key.hpp"
#include "platform/wide_text.hpp"
#include "reports/registry_backup.hpp"
#include "reports/report_text_win.hpp"

namespace kestrom::reports {

namespace {

constexpr std::string_view kMachineKey = "SOFTWARE\\Orvane";

std::string_view hive_name(HKEY root) {
  if (root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
  if (root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  if (root == HKEY_USERS) return "HKEY_USERS";
  if (root == HKEY_CURRENT_CONFIG) return "HKEY_CURRENT_CONFIG";
  return "HKEY_LOCAL_MACHINE";
}

std::string utf16_bytes(std::string_view ansi) {
  const std::wstring wide = platform::to_wide(ansi);
  std::string out;
  out.reserve(wide.size() * 2);
  for (wchar_t c : wide) {
    out += static_cast<char>(c & 0xff);
    out += static_cast<char>((c >> 8) & 0xff);
  }
  return out;
}

bool is_string_type(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

void append_values(std::string& out, const platform::RegKey& key) {
  for (const auto& [name, raw] : key.all_values()) {
    BackupValue value{name, static_cast<std::uint32_t>(raw.type), raw.data, {}};
    if (is_string_type(raw.type)) value.utf16 = utf16_bytes(raw.data);
    if (auto line = reg_value_line(value)) out += *line;
  }
}

// The key with its values, then each direct subkey with its values; deeper keys stay out.
void append_tree(std::string& out, HKEY root, std::string_view path) {
  const std::string_view hive = hive_name(root);
  out += reg_key_line(hive, path);
  const platform::RegKey key = platform::RegKey::open_read(root, path);
  if (!key) return;
  append_values(out, key);
  for (const std::string& name : key.subkey_names()) {
    if (!reg_key_name_writable(name)) continue;
    const std::string sub_path = std::string(path) + "\\" + name;
    out += "\r\n";
    out += reg_key_line(hive, sub_path);
    const platform::RegKey sub = platform::RegKey::open_read(root, sub_path);
    if (sub) append_values(out, sub);
  }
}

}  // namespace

std::string settings_backup_text() {
  std::string out(kRegHeader);
  append_tree(out, HKEY_CURRENT_USER, keys::kProduct);
  append_tree(out, HKEY_LOCAL_MACHINE, kMachineKey);
  return out;
}

std::optional<std::string> export_settings(const std::string& folder, const std::string& user) {
  if (folder.empty()) return std::nullopt;
  const std::string path = folder + "\\" + user + std::string(kBackupFileEnding);
  // In UTF-16 with its byte-order mark, as the editor writes this format itself: every editor
  // then reads the hex(1), hex(2) and hex(7) data as UTF-16, while one reading an 8-bit file
  // may take those bytes for 8-bit text and store something else.
  ReportFile file(path, true);
  file.write("\xff\xfe" + utf16_bytes(settings_backup_text()));
  if (!file.close()) return std::nullopt;
  const std::string full = long_path(path);
  return full.empty() ? path : full;
}

std::optional<std::string> export_settings() { return export_settings(program_folder(), user_name()); }

}  // namespace kestrom::reports
