#include "categories/file_types.hpp"

#include <algorithm>

#include "common/pathtext.hpp"
#include "common/text.hpp"

namespace kestrom::file_types {

namespace {

constexpr char kSeparator = ';';

std::string without_quotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '"') out += c;
  return out;
}

}  // namespace

std::string_view snapshot_key(int source) noexcept {
  switch (source) {
    case kMachineClass: return kExtKey;
    case kApplication: return kExtAppKey;
    case kProgId: return kExtProgIdKey;
    default: return {};
  }
}

std::string dotted(std::string_view extension) {
  if (extension.empty() || extension.front() == '.') return std::string(extension);
  return "." + std::string(extension);
}

std::string_view bare(std::string_view extension) noexcept {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  return extension;
}

std::vector<std::string> watched_extensions(std::string_view list) {
  std::vector<std::string> out;
  while (!list.empty()) {
    const std::size_t end = list.find(kSeparator);
    std::string_view entry = list.substr(0, end);
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
    entry = bare(entry);
    if (entry.empty()) continue;
    out.emplace_back(entry.substr(0, kMaxExtension));
  }
  return out;
}

bool is_watched(std::string_view list, std::string_view extension) {
  const std::string_view wanted = bare(extension);
  if (wanted.empty()) return false;
  const auto entries = watched_extensions(list);
  return std::any_of(entries.begin(), entries.end(), [&](const std::string& e) { return iequals(e, wanted); });
}

std::string without_extension(std::string_view list, std::string_view extension) {
  const std::string_view unwanted = bare(extension);
  std::string out;
  for (const std::string& entry : watched_extensions(list)) {
    if (iequals(entry, unwanted)) continue;
    out += entry;
    out += kSeparator;
  }
  return out;
}

bool valid_extension(std::string_view extension) noexcept {
  extension = bare(extension);
  if (extension.empty() || extension.size() > kMaxExtension) return false;
  return std::none_of(extension.begin(), extension.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return c == kSeparator || c == '\\' || u < 0x20 || u == 0x7F;
  });
}

AddOutcome add_to_list(std::string_view list, std::string_view extension) {
  const std::string_view entry = bare(extension);
  if (!valid_extension(entry)) return {kInvalidExtension, {}};
  if (list.size() + entry.size() + 1 > kMaxWatchedList) return {kListFull, {}};
  if (is_watched(list, entry)) return {kAlreadyWatched, {}};
  std::string out(list);
  // A list that lost its last separator by hand still gets one between the entries.
  if (!out.empty() && out.back() != kSeparator) {
    if (out.size() + entry.size() + 2 > kMaxWatchedList) return {kListFull, {}};
    out += kSeparator;
  }
  out += to_upper(entry);
  out += kSeparator;
  return {0, out};
}

bool nothing_recorded(const Recorded& recorded) noexcept { return recorded.name.empty() || recorded.command.empty(); }

bool same_program(std::string_view recorded_command, std::string_view current_command) {
  const std::string recorded = without_quotes(recorded_command);
  const std::string current = without_quotes(current_command);
  return iequals(file_name_of_path(recorded), file_name_of_path(current));
}

SnapshotBuild snapshot_build(std::string_view ext_default, std::string_view watched_list) noexcept {
  if (ext_default.size() == kOldMarkerLength) return SnapshotBuild::RecordAgain;
  if (!ext_default.empty() && watched_list.substr(0, kListProbeLength).find(kSeparator) != std::string_view::npos)
    return SnapshotBuild::Exists;
  return SnapshotBuild::Build;
}

bool class_still_used(std::string_view name, const std::vector<std::string>& other_names) noexcept {
  return std::any_of(other_names.begin(), other_names.end(), [&](const std::string& n) { return iequals(n, name); });
}

}  // namespace kestrom::file_types
