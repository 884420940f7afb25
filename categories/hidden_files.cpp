#include "categories/hidden_files.hpp"

#include "common/pathtext.hpp"

namespace kestrom {

namespace {

std::string without_trailing_backslash(std::string_view folder) {
  // "C:\" keeps its backslash: "C:" alone names the drive's current folder.
  if (folder.size() > 3 && folder.back() == '\\') folder.remove_suffix(1);
  return std::string(folder);
}

std::string join(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

}  // namespace

std::vector<ScanFolder> hidden_scan_folders(std::string_view windows, std::string_view system,
                                            std::string_view common_files, std::string_view temp) {
  std::vector<ScanFolder> folders{{"C:\\", 0}};
  auto add = [&folders](std::string_view folder, int levels) {
    if (!folder.empty()) folders.push_back({without_trailing_backslash(folder), levels});
  };
  add(windows, 0);
  add(system, 1);
  add(common_files, 1);
  add(temp, 1);
  return folders;
}

void walk_folder(const std::string& folder, int levels, const FolderLister& list, const EntryVisitor& visit) {
  std::vector<std::string> below;
  list(folder, [&](const FolderEntry& entry) {
    if (entry.name.empty()) return;
    std::string path = join(folder, entry.name);
    visit(path, entry);
    if (levels > 0 && (entry.attributes & attribute::kFolder) && entry.name.front() != '.')
      below.push_back(std::move(path));
  });
  // Sub-folders are walked after the listing has ended, so only one listing is open at a time.
  for (const auto& sub : below) walk_folder(sub, levels - 1, list, visit);
}

bool may_carry_version(std::uint64_t size) noexcept { return size >= kShortestVersionedFile; }

std::optional<std::string> HiddenTitleCache::find(const std::string& path, std::uint64_t size,
                                                  std::uint64_t write_time) const {
  const auto it = last_.find(path);
  if (it == last_.end() || it->second.size != size || it->second.write_time != write_time) return std::nullopt;
  return it->second.title;
}

void HiddenTitleCache::keep(const std::string& path, std::uint64_t size, std::uint64_t write_time, std::string title) {
  next_[path] = Entry{size, write_time, std::move(title)};
}

void HiddenTitleCache::end_scan() {
  last_ = std::move(next_);
  next_.clear();
}

bool is_hidden_file(std::uint32_t attributes) noexcept {
  return (attributes & attribute::kHidden) && !(attributes & attribute::kFolder);
}

int hidden_item_value(std::uint32_t attributes) noexcept { return (attributes & attribute::kSystem) ? 0 : 1; }

bool hidden_snapshot_built(std::string_view default_value) noexcept {
  return default_value.substr(0, kHiddenSnapshotBuilt.size()) == kHiddenSnapshotBuilt;
}

std::optional<std::string> vault_file_name(std::string_view recorded_path) {
  const auto slash = recorded_path.find_last_of("\\/");
  std::string_view name = slash == std::string_view::npos ? recorded_path : recorded_path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  for (char c : name)
    if (c == ':' || static_cast<unsigned char>(c) < 32) return std::nullopt;
  // Windows drops trailing dots and blanks, so "..." or ". ." would name the folder above.
  if (name.find_first_not_of(". ") == std::string_view::npos) return std::nullopt;
  return std::string(name);
}

std::string hidden_vault_folder_name(std::string_view path) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (char c : path) {
    const unsigned char u = static_cast<unsigned char>(c);
    hash ^= (u >= 'a' && u <= 'z') ? u - ('a' - 'A') : u;
    hash *= 0x100000001b3ull;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string name(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) name[static_cast<std::size_t>(i)] = kDigits[hash & 0xf];
  return name;
}

std::string hidden_vault_copy(std::string_view vault, std::string_view path) {
  const auto name = vault_file_name(path);
  if (vault.empty() || !name) return {};
  std::string copy(vault);
  copy += '\\';
  copy += kHiddenVaultFolder;
  copy += '\\';
  copy += hidden_vault_folder_name(path);
  copy += '\\';
  copy += *name;
  return copy;
}

}  // namespace kestrom
