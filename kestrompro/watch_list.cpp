#include "kestrompro/watch_list.hpp"

#include "common/run_keys.hpp"

namespace kestrom::pro {

namespace {

void add_family(std::vector<WatchedKey>& out, Root root, bool wow64_view) {
  for (int i = 0; i < kRunKeysPerPass; ++i) {
    const auto key = static_cast<RunKey>(i);
    // Every Run key but RunOnce\Setup is watched.
    if (key != RunKey::RunOnceSetup) out.push_back({root, run_key_path(key, wow64_view)});
  }
}

}  // namespace

std::vector<WatchedKey> watched_keys(bool has_32bit_view) {
  std::vector<WatchedKey> out;
  add_family(out, Root::LocalMachine, false);
  add_family(out, Root::CurrentUser, false);
  if (has_32bit_view) add_family(out, Root::LocalMachine, true);
  return out;
}

std::vector<std::string> key_and_parents(std::string_view path) {
  std::vector<std::string> out;
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  while (!path.empty()) {
    out.emplace_back(path);
    const std::size_t cut = path.find_last_of('\\');
    if (cut == std::string_view::npos) break;
    path = path.substr(0, cut);
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  }
  return out;
}

}  // namespace kestrom::pro
