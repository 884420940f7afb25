// The Run family: the registry keys from which Windows starts programs at logon, below
// HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and the machine's 32-bit view. Every list of Run keys
// (the startup listing, the location texts, the product's own start entry, kestrompro's
// watch list) is built from these names. Pure constants.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrom {

namespace keys {
// Parents of the Run-family keys in each view (run_key_path adds the key's own name).
inline constexpr std::string_view kRunFamilyParent = "Software\\Microsoft\\Windows\\CurrentVersion\\";
inline constexpr std::string_view kWow64RunFamilyParent = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\";
}  // namespace keys

// The Run family's fixed key order inside one pass.
enum class RunKey { Run, RunOnce, RunOnceEx, RunServices, RunServicesOnce, RunOnceSetup, Policy };
inline constexpr int kRunKeysPerPass = 7;
inline constexpr std::array<std::string_view, kRunKeysPerPass> kRunKeyNames{
    "Run", "RunOnce", "RunOnceEx", "RunServices", "RunServicesOnce", "RunOnce\\Setup", "policies\\Explorer\\Run"};

inline constexpr std::string_view run_key_name(RunKey key) noexcept {
  return kRunKeyNames[static_cast<std::size_t>(key)];
}

// Path of a Run key below its root; `wow64_view` names the machine hive's 32-bit view.
inline std::string run_key_path(RunKey key, bool wow64_view = false) {
  std::string out(wow64_view ? keys::kWow64RunFamilyParent : keys::kRunFamilyParent);
  out += run_key_name(key);
  return out;
}

}  // namespace kestrom
