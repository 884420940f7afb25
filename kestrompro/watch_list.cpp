#include "kestrompro/watch_list.hpp"

#include <array>

#include "startup/startup_keys.hpp"

namespace kestrom::pro {

namespace {

constexpr std::array<std::string_view, 6> kRunFamily = {
    "Run", "RunOnce", "RunOnceEx", "RunServices", "RunServicesOnce", "policies\\Explorer\\Run"};

void add_family(std::vector<WatchedKey>& out, Root root, std::string_view base) {
  for (std::string_view name : kRunFamily) out.push_back({root, std::string(base) + std::string(name)});
}

}  // namespace

std::vector<WatchedKey> watched_keys(bool has_32bit_view) {
  std::vector<WatchedKey> out;
  add_family(out, Root::LocalMachine, keys::kRunFamilyParent);
  add_family(out, Root::CurrentUser, keys::kRunFamilyParent);
  if (has_32bit_view) add_family(out, Root::LocalMachine, keys::kWow64RunFamilyParent);
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
