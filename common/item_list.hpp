// The Startup Item record and the Item List: what every enumerator of every category fills.
// Pure: the rules that need the system (long paths, the product's display name) come in
// through ItemRules, so the normalisation can be tested natively.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom {

inline constexpr std::size_t kMaxItems = 4096;
inline constexpr std::size_t kMaxTitle = 127;
inline constexpr std::size_t kMaxFileText = 259;
inline constexpr std::size_t kMaxDetail = 1023;

struct StartupItem {
  std::string title;    // at most kMaxTitle
  std::string file;     // program text with quotes removed (whole command line for Run entries)
  std::string command;  // second text whose meaning depends on the place
  int code = 0;         // Startup Location Code
  int value = 0;        // per place (rundll32 flag, registry root of delay items, ...)
  std::string detail;   // at most kMaxDetail
};

struct ItemRules {
  // The system's long form of a path, or the path unchanged when there is none.
  std::function<std::string(std::string_view)> long_path;
  std::string display_name = "Kestrom";  // string 2, through the language override
  std::size_t cookie_limit = kMaxItems;  // most cookie items (code 500) taken
};

class ItemList {
 public:
  void clear() noexcept { items_.clear(); }
  std::size_t size() const noexcept { return items_.size(); }
  bool full() const noexcept { return items_.size() >= kMaxItems; }
  // Adds with the normalisation rules of `add item`; false when refused.
  bool add(std::string_view title, std::string_view file, std::string_view command, std::string_view detail,
           int code, int value, const ItemRules& rules);
  // Field readers: an index that names no item gives an empty record.
  const StartupItem& operator[](std::size_t i) const noexcept;
  const std::vector<StartupItem>& items() const noexcept { return items_; }
  // The file text of every item, in list order.
  std::vector<std::string> files() const;

 private:
  std::vector<StartupItem> items_;
};

}  // namespace kestrom
