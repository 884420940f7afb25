// Internet Explorer helpers (browser helper objects, toolbars, extensions) and the ActiveX
// controls the browser has used: the rules that need no system call. The listings, snapshots
// and actions join them with their Windows side (ie_helpers_win.hpp, activex_win.hpp).
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/item_list.hpp"
#include "common/locations.hpp"

namespace kestrom {

namespace code {
inline constexpr int kTypeExtension = 902;   // a toolbar button or menu extension
inline constexpr int kActiveXControl = 1200;  // a control of the browser's statistics
}  // namespace code

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

// A class identifier as the CLSID key names it: wrapped in braces unless it begins with one.
std::string braced_class(std::string_view clsid);

// The version texts a title is picked from (empty when the file has none).
struct HelperVersion {
  std::string product_name, file_description, company_name;
  bool any() const noexcept { return !product_name.empty() || !file_description.empty() || !company_name.empty(); }
};

// A helper object's or toolbar's title: the product name, else the library's file name.
std::string helper_title(const HelperVersion& version, std::string_view library);
// An extension's title: its button text ("Related" when the text names shdoclc.dll), replaced
// by the product name (or file name) when its file carries version texts.
std::string extension_title(std::string_view button_text, const HelperVersion& version, std::string_view file);
// A control's title: the class's name, else the file description, else the product name, else
// the file name.
std::string activex_title(std::string_view class_name, const HelperVersion& version, std::string_view library);

// The statistics keep a control the browser only offered (its "iexplore" Type 2 or more) out of
// the listing; a missing subkey or value keeps it.
bool activex_used(std::optional<std::uint32_t> iexplore_type) noexcept;
// HideMicrosoftActiveX above 0 leaves out the controls whose company names Microsoft.
bool activex_hidden(int hide_microsoft, std::string_view company) noexcept;

// The snapshots' rule: a value approves (or marks as seen) when it is a non-zero number.
bool snapshot_approves(std::string_view stored) noexcept;

}  // namespace kestrom
