#include "common/textloader.hpp"

#include <string_view>

#include "common/language.hpp"
#include "common/options_table.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/string_ids.h"
#include "platform/reg_key.hpp"

namespace kestrom::text {

namespace {

// Process-wide: both programs are single-threaded and set these once at start-up.
HINSTANCE g_module = nullptr;
int g_language = 0;

std::string override_name(int number) { return "LString" + std::to_string(number); }

std::string string_table_text(int number) {
  const wchar_t* resource = nullptr;
  // With a zero size the loader hands out the resource itself, so no length limit applies here.
  int n = LoadStringW(module(), static_cast<UINT>(number), reinterpret_cast<LPWSTR>(&resource), 0);
  if (n <= 0 || resource == nullptr) return {};
  int bytes = WideCharToMultiByte(CP_ACP, 0, resource, n, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, resource, n, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace

void set_module(HINSTANCE m) noexcept { g_module = m; }
HINSTANCE module() noexcept { return g_module ? g_module : GetModuleHandleA(nullptr); }

int language() noexcept { return g_language; }
void set_language(int id) noexcept { g_language = id; }

void set_language_from_string_table() { set_language(language_id_from_code(load(IDS_LANGUAGE_CODE))); }

std::size_t load(int number, std::string& destination, std::size_t size) {
  if (language() != kLanguageEnglish) {
    std::string over =
        reg::read_string(HKEY_LOCAL_MACHINE, keys::kProduct, override_name(number), kOverrideLimit);
    if (!over.empty()) {
      destination = apply_override(over, size);
      return override_length(over, size);
    }
  }
  destination = size == 0 ? std::string() : std::string(cut_text(string_table_text(number), size - 1));
  return destination.size();
}

std::string load(int number, std::size_t size) {
  std::string out;
  load(number, out, size);
  return out;
}

bool reset_to_english() {
  if (auto k = platform::RegKey::open_write(HKEY_LOCAL_MACHINE, keys::kProduct)) {
    for (int n = 0; n <= kHighestTranslatedString; ++n) k.delete_value(override_name(n));
  } else if (platform::RegKey::open_read(HKEY_LOCAL_MACHINE, keys::kProduct)) {
    return false;  // the translation stays, and so do the window positions that fit it
  }
  if (auto k = platform::RegKey::open_write(HKEY_CURRENT_USER, keys::kProduct)) {
    for (const auto& family : window_position_families())
      for (std::string_view name : family) k.delete_value(name);
  }
  return true;
}

}  // namespace kestrom::text
