#include "categories/hidden_files_win.hpp"

#include <windows.h>

#include <mutex>

#include "categories/active_tasks.hpp"
#include "common/history_log.hpp"
#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "platform/handles.hpp"

namespace kestrom {

namespace {

constexpr std::string_view kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

std::string temp_folder() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(static_cast<DWORD>(sizeof buf), buf);
  return (n == 0 || n >= sizeof buf) ? std::string() : std::string(buf, n);
}

bool list_folder(const std::string& folder, const std::function<void(const FolderEntry&)>& each) {
  const std::string pattern = folder + (folder.ends_with('\\') ? "*.*" : "\\*.*");
  WIN32_FIND_DATAA data;
  // The basic level leaves out the short names, which nothing here reads.
  platform::UniqueFind find(
      FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return false;
  do {
    each(FolderEntry{data.cFileName, data.dwFileAttributes,
                     (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
                     (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime});
  } while (FindNextFileA(find.get(), &data));
  return true;
}

// Only a program file ("MZ" header) can carry version texts; reading the resource of every
// hidden data file would cost far more than the whole folder walk.
bool may_have_version(const std::string& path) {
  platform::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  char header[2] = {};
  DWORD read = 0;
  return file && ReadFile(file.get(), header, sizeof header, &read, nullptr) && read == 2 && header[0] == 'M' &&
         header[1] == 'Z';
}

std::string folder_of(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

bool folder_ready(const std::string& folder) {
  return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

std::vector<ScanFolder> hidden_scan_folders() {
  return hidden_scan_folders(windows_folder(), system_folder(),
                             reg::read_string(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "CommonFilesDir"),
                             temp_folder());
}

void walk_hidden_scan(const std::vector<ScanFolder>& folders, const EntryVisitor& visit) {
  for (const auto& folder : folders) walk_folder(folder.path, folder.levels, list_folder, visit);
}

std::size_t list_hidden_files(ItemList& list, const ItemRules& rules) {
  list.clear();
  // The walk joins long names found in the folders to folders made long once here, so the
  // items need no long-path call each.
  ItemRules walked = rules;
  walked.long_path = nullptr;
  std::vector<ScanFolder> folders = hidden_scan_folders();
  if (rules.long_path)
    for (auto& folder : folders) folder.path = rules.long_path(folder.path);
  static std::mutex cache_guard;
  static HiddenTitleCache titles;
  const std::lock_guard lock(cache_guard);
  walk_hidden_scan(folders, [&](const std::string& path, const FolderEntry& entry) {
    if (!is_hidden_file(entry.attributes)) return;
    std::string title;
    if (auto known = titles.find(path, entry.size, entry.write_time)) {
      title = std::move(*known);
    } else {
      if (may_carry_version(entry.size) && may_have_version(path)) title = version_information(path).product_name;
      if (title.empty()) title = std::string(file_name_of_path(path));
    }
    titles.keep(path, entry.size, entry.write_time, title);
    list.add(title, path, path, "", kTypeHidden, hidden_item_value(entry.attributes), walked);
  });
  titles.end_scan();
  return list.size();
}

std::vector<std::string> hidden_file_paths() {
  std::vector<std::string> paths;
  walk_hidden_scan(hidden_scan_folders(), [&](const std::string& path, const FolderEntry& entry) {
    if (is_hidden_file(entry.attributes)) paths.push_back(path);
  });
  return paths;
}

void build_hidden_snapshot() {
  if (hidden_snapshot_built(reg::read_string(HKEY_CURRENT_USER, kHiddenSnapshotKey, ""))) return;
  reg::delete_key_tree(HKEY_CURRENT_USER, kHiddenSnapshotKey);
  reg::create_key(HKEY_CURRENT_USER, kHiddenSnapshotKey);
  reg::write_string(HKEY_CURRENT_USER, kHiddenSnapshotKey, "", kHiddenSnapshotBuilt);
  reg::create_key(HKEY_CURRENT_USER, keys::kDetected);
  const std::string now = date_text_now();
  for (const auto& path : hidden_file_paths()) reg::write_string(HKEY_CURRENT_USER, kHiddenSnapshotKey, path, now);
}

bool hidden_file_approved(std::string_view path) {
  return !reg::read_string(HKEY_CURRENT_USER, kHiddenSnapshotKey, path).empty();
}

bool approve_hidden_file(std::string_view path) {
  return reg::write_string(HKEY_CURRENT_USER, kHiddenSnapshotKey, path, date_text_now());
}

ActionResult delete_hidden_file(std::string_view path_view, std::string_view title) {
  const std::string path(path_view);
  ActionResult result = ActionResult::NotDone;
  if (find_program_process(path)) end_program(title, path);
  const std::string vault = vault_folder();
  const std::string copy = hidden_vault_copy(vault, path);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  // Without a copy that held, the file stays: nothing deleted through the product is lost.
  if (!copy.empty() && attributes != kNoAttributes && folder_ready(vault) &&
      folder_ready(vault + "\\" + std::string(kHiddenVaultFolder)) && folder_ready(folder_of(copy))) {
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (CopyFileA(path.c_str(), copy.c_str(), FALSE)) {
      SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (DeleteFileA(path.c_str())) {
        write_history(title, path, "", kTypeHidden, action::kHiddenDeleteFile);
        result = ActionResult::Done;
      } else {
        const DWORD error = GetLastError();
        SetFileAttributesA(path.c_str(), attributes);
        DeleteFileA(copy.c_str());
        RemoveDirectoryA(folder_of(copy).c_str());
        if (error == ERROR_ACCESS_DENIED) result = ActionResult::Refused;
      }
    }
  }
  reg::delete_value(HKEY_CURRENT_USER, kHiddenSnapshotKey, path);
  return result;
}

bool restore_hidden_file(std::string_view path_view) {
  const std::string path(path_view);
  const std::string copy = hidden_vault_copy(vault_folder(), path);
  if (copy.empty() || GetFileAttributesA(copy.c_str()) == kNoAttributes) return false;
  const DWORD old = GetFileAttributesA(path.c_str());
  if (old != kNoAttributes) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!CopyFileA(copy.c_str(), path.c_str(), FALSE)) {
    if (old != kNoAttributes) SetFileAttributesA(path.c_str(), old);
    return false;
  }
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(folder_of(copy).c_str());  // only when empty
  approve_hidden_file(path);
  return true;
}

bool unhide_file(std::string_view path) {
  return SetFileAttributesA(std::string(path).c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

ActionResult delete_at_restart(std::string_view path_view) {
  const std::string path(path_view);
  if (path.empty()) return ActionResult::NotDone;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != kNoAttributes) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return ActionResult::Done;
  const DWORD error = GetLastError();
  if (attributes != kNoAttributes) SetFileAttributesA(path.c_str(), attributes);
  return error == ERROR_ACCESS_DENIED ? ActionResult::Refused : ActionResult::NotDone;
}

}  // namespace kestrom
