// Internet Explorer helpers (browser helper objects, toolbars, extensions) and the ActiveX
// controls the browser has used: the rules that need no system call. The listings, snapshots
// and actions join them with their Windows side.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/item_list.hpp"

namespace kestrom {

// "Compatibility Flags" bit that switches a control off in the browser.
inline constexpr std::uint32_t kKillBit = 0x00000400;

// The flags with the kill bit set or cleared, every other bit kept.
constexpr std::uint32_t with_kill_bit(std::uint32_t flags) noexcept { return flags | kKillBit; }
constexpr std::uint32_t without_kill_bit(std::uint32_t flags) noexcept { return flags & ~kKillBit; }
// A control is enabled while its kill bit is clear.
constexpr bool activex_enabled(std::uint32_t flags) noexcept { return (flags & kKillBit) == 0; }

// The helper to remove, found again in a fresh listing by its kind (location code) and its
// registration name (command): a row index from an older listing may name another helper
// by now. nullopt when it is no longer listed.
std::optional<std::size_t> find_helper(const std::vector<StartupItem>& items, int code, std::string_view command);

}  // namespace kestrom
