// Hidden files: the scan of a few system folders for files flagged hidden, the Hidden snapshot
// (HKCU\Software\Orvane\Kestrom\Hidden, value name = path, data = the date it was approved) and
// the Vault copies that make a deletion through the product undoable. Pure: folder walking
// takes its listing as a callback, so the folder and depth rules run on a fake tree.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrom {

inline constexpr int kTypeHidden = 370;  // TYPE_HIDDEN
inline constexpr std::string_view kHiddenSnapshotKey = "Software\\Orvane\\Kestrom\\Hidden";
// The Hidden key's default value begins with this once the snapshot is built.
inline constexpr std::string_view kHiddenSnapshotBuilt = "P";
// Deleted hidden files are kept here inside the Vault, apart from the system files' copies
// (a hidden file named "HOSTS" must not replace the last accepted HOSTS).
inline constexpr std::string_view kHiddenVaultFolder = "Hidden";

// The attribute bits the scan looks at (the values Windows uses).
namespace attribute {
inline constexpr std::uint32_t kReadOnly = 0x1;
inline constexpr std::uint32_t kHidden = 0x2;
inline constexpr std::uint32_t kSystem = 0x4;
inline constexpr std::uint32_t kFolder = 0x10;
}  // namespace attribute

struct ScanFolder {
  std::string path;
  int levels = 0;  // how many levels of sub-folders are walked too
};
// The folders scanned, in order: "C:\" (0), the Windows folder (0), the system folder (1), the
// common files folder when there is one (1), the temporary folder without its trailing
// backslash (1). A folder the system could not name is left out.
std::vector<ScanFolder> hidden_scan_folders(std::string_view windows, std::string_view system,
                                            std::string_view common_files, std::string_view temp);

struct FolderEntry {
  std::string_view name;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;        // bytes
  std::uint64_t write_time = 0;  // the last-write time as the listing gives it
};
// Lists one folder's entries ("." and ".." included, as the system gives them); false when the
// folder cannot be listed.
using FolderLister = std::function<bool(const std::string& folder, const std::function<void(const FolderEntry&)>&)>;
using EntryVisitor = std::function<void(const std::string& path, const FolderEntry& entry)>;
// Hands every entry of the folder (folders included) to `visit`, and descends into sub-folders
// whose names do not begin with "." while levels remain.
void walk_folder(const std::string& folder, int levels, const FolderLister& list, const EntryVisitor& visit);

// The name of the Vault copy of a recorded path: its last part. Nothing when that part could
// name anything outside the Vault (empty, "." or "..", a drive or stream colon, a separator
// of either kind, a control character): the path comes from a text file anyone can edit.
std::optional<std::string> vault_file_name(std::string_view recorded_path);
// Version texts live in a program's new-format header, which the MZ header points to from its
// last field (offset 0x3C): a shorter file cannot carry them and is not opened to look.
inline constexpr std::uint64_t kShortestVersionedFile = 64;
bool may_carry_version(std::uint64_t size) noexcept;

// The titles of the last scan's hidden files, so a scan opens only files that are new or
// changed since (the monitor scans again every few minutes). A file counts as unchanged while
// its size and last-write time are.
class HiddenTitleCache {
 public:
  std::optional<std::string> find(const std::string& path, std::uint64_t size, std::uint64_t write_time) const;
  // Keeps the title for the next scan.
  void keep(const std::string& path, std::uint64_t size, std::uint64_t write_time, std::string title);
  // Ends a scan: what it did not keep is forgotten, so the cache never outgrows one scan.
  void end_scan();
  std::size_t size() const noexcept { return last_.size(); }

 private:
  struct Entry {
    std::uint64_t size = 0, write_time = 0;
    std::string title;
  };
  std::unordered_map<std::string, Entry> last_, next_;
};

// An entry is a hidden-file item when it is flagged hidden and is not a folder.
bool is_hidden_file(std::uint32_t attributes) noexcept;
// The item's value: 1 unless the file is a system file too.
int hidden_item_value(std::uint32_t attributes) noexcept;
bool hidden_snapshot_built(std::string_view default_value) noexcept;
// Where a deleted hidden file's copy is kept: "<vault>\Hidden\<folder>\<file name>", the folder
// named by `hidden_vault_folder_name` of the whole path, so hidden files of one name in different
// folders keep a copy each while the copy keeps the file's own name. Empty without a Vault.
std::string hidden_vault_copy(std::string_view vault, std::string_view path);
// Sixteen hex digits of a 64-bit FNV-1a hash of the path with ASCII letters folded to capitals
// (Windows paths compare without case), so the History record's path finds its copy again.
std::string hidden_vault_folder_name(std::string_view path);

}  // namespace kestrom
