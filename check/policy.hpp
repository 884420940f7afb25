// The approved policy document: what every category's approved snapshot holds, written as one
// JSON document a person can read and diff, and read back whole or not at all. Pure; the
// registry side is check/policy_win.hpp.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom::check {

// The document's "format" member; a document naming anything else is someone else's.
inline constexpr std::string_view kPolicyFormat = "kestrom-approved-policy";
inline constexpr int kPolicyVersion = 1;
// A larger file is refused before it is parsed: a reference machine's snapshots are a few
// hundred kilobytes (a large HOSTS file a few megabytes), and the parsed document is held in
// memory beside its text.
inline constexpr std::size_t kPolicyMaxBytes = 16 * 1024 * 1024;
// Longest name a registry value may have; a longer one could never be written.
inline constexpr std::size_t kMaxPolicyName = 16383;

// The document's members, one per category, in the order they are written and imported.
inline constexpr std::string_view kStartupMember = "startup";
inline constexpr std::string_view kServicesMember = "services";
inline constexpr std::string_view kTasksMember = "tasks";
inline constexpr std::string_view kIEHelpersMember = "ie_helpers";
inline constexpr std::string_view kActiveXMember = "activex";
inline constexpr std::string_view kHiddenFilesMember = "hidden_files";
inline constexpr std::string_view kFileTypesMember = "file_types";
inline constexpr std::string_view kSettingsMember = "settings";
inline constexpr std::string_view kSystemFilesMember = "system_files";

// An entry of a snapshot that approves a name with a location code: startup entries (name =
// the snapshot key, the entry's file text), services (display name), tasks and IE helpers
// (title).
struct CodedApproval {
  std::string name;
  int code = 0;
};

struct HiddenApproval {
  std::string path;
  std::string approved;  // the date text it was approved on; may be empty
};

struct FileTypeApproval {
  std::string extension;  // without its dot
  int source = 0;         // file_types::Source
  std::string name;       // class, application or program identifier
  std::string command;    // the open command as recorded
};

// The copies of the watched single settings; a setting without a copy is left out.
struct SettingCopies {
  std::optional<std::string> start_page, search_page, desktop_page, url_prefix;
  std::optional<int> update_level;  // 1 to 4
  bool empty() const noexcept {
    return !start_page && !search_page && !desktop_page && !url_prefix && !update_level;
  }
};

// A watched system file and the content last accepted (the Vault copy).
struct SystemFileApproval {
  std::string name;  // the record's and the copy's name, e.g. "HOSTS"
  std::string location;
  std::string comment;
  std::string content;  // bytes
};

struct Policy {
  std::vector<CodedApproval> startup, services, tasks, ie_helpers;
  std::vector<std::string> activex;  // class identifiers of the controls already asked about
  std::vector<HiddenApproval> hidden_files;
  std::vector<std::string> watched_file_types;  // extensions of the watched list, without dots
  std::vector<FileTypeApproval> file_types;
  SettingCopies settings;
  std::vector<SystemFileApproval> system_files;
};

// The document, pretty-printed. A text that is not valid UTF-8 can't be written into JSON
// faithfully, so its entry is left out and counted in `left_out` rather than changed.
std::string write_policy(const Policy& policy, std::size_t* left_out = nullptr);

enum class PolicyError {
  None,
  TooLarge,       // more than kPolicyMaxBytes
  Malformed,      // not JSON (a truncated document is this too)
  Foreign,        // JSON, but not an object whose "format" is kPolicyFormat
  WrongVersion,   // "version" missing or not kPolicyVersion
  BadMember,      // a member this version does not know, or one of the wrong shape
  BadEntry,       // an entry of a category is incomplete or holds a value it may not
};

struct PolicyReadResult {
  std::optional<Policy> policy;  // set only when the whole document is valid
  PolicyError error = PolicyError::None;
  // Where: the member and entry ("startup[3].name"), or the parser's byte offset.
  std::string where;
};

// Reads and validates the whole document; never throws. Nothing of a document that fails
// anywhere is returned, so a caller writes either all of it or nothing.
PolicyReadResult read_policy(std::string_view text) noexcept;

// The file-type source's name in the document ("machine_class", "application", "prog_id");
// empty / nullopt for anything else.
std::string_view file_type_source_name(int source) noexcept;
std::optional<int> file_type_source_of(std::string_view name) noexcept;

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool valid_utf8(std::string_view text) noexcept;

// The name under which a system file's record and copy are kept must stay one name: not empty,
// no separator of either kind, no colon, not "." or "..", no control character.
bool valid_system_file_name(std::string_view name) noexcept;

}  // namespace kestrom::check
