#include "common/item_list.hpp"

#include "common/locations.hpp"
#include "common/pathtext.hpp"
#include "common/text.hpp"

namespace kestrom {

namespace {

const StartupItem kNoItem{};

std::string cut(std::string_view text, std::size_t limit) { return std::string(text.substr(0, limit)); }

std::string without_quotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '"') out += c;
  return out;
}

// A short text (a drive, a blank) is no path worth asking the system about.
constexpr std::size_t kShortestPath = 4;

// A text without a drive or folder (a class identifier, a class name, "notepad.exe /p") has no
// long form of its own: the system would look it up in the current folder, which it does not
// name, and under Wine each such question costs a trip to the file system.
bool names_a_folder(std::string_view text) noexcept { return text.find_first_of("\\:") != std::string_view::npos; }

std::string long_form(const ItemRules& rules, std::string_view text) {
  if (!rules.long_path || !names_a_folder(text)) return std::string(text);
  std::string l = rules.long_path(text);
  return l.empty() ? std::string(text) : l;
}

std::string title_from_file(std::string_view file) {
  if (file.size() >= 4) file.remove_suffix(4);
  return std::string(file_name_of_path(file));
}

}  // namespace

bool ItemList::add(std::string_view title, std::string_view file, std::string_view command, std::string_view detail,
                   int code, int value, const ItemRules& rules) {
  if (full()) return false;
  if (code == code::kInfoCookie && items_.size() >= rules.cookie_limit) return false;

  StartupItem item;
  item.detail = cut(detail, kMaxDetail);

  std::string plain = without_quotes(cut(file, kMaxFileText));
  item.file = plain.size() < kShortestPath ? plain : cut(long_form(rules, plain), kMaxFileText);

  std::string_view given = title.substr(0, kMaxTitle);
  if (given.empty())
    item.title = title_from_file(item.file);
  else if (contains(given, "Kestrom"))
    item.title = rules.display_name;
  else
    item.title = std::string(given);
  if (item.title.size() > kMaxTitle) item.title.resize(kMaxTitle);

  std::string_view cmd = command.substr(0, kMaxFileText);
  // An empty command has no long form; asking the system costs a call per item.
  item.command = plain.size() < kShortestPath || cmd.empty() ? std::string(cmd) : cut(long_form(rules, cmd), kMaxFileText);

  item.code = code;
  item.value = value;
  items_.push_back(std::move(item));
  return true;
}

const StartupItem& ItemList::operator[](std::size_t i) const noexcept { return i < items_.size() ? items_[i] : kNoItem; }

std::vector<std::string> ItemList::files() const {
  std::vector<std::string> out;
  out.reserve(items_.size());
  for (const auto& item : items_) out.push_back(item.file);
  return out;
}

}  // namespace kestrom
