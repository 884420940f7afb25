#include "monitor/foundation_win.hpp"

#include <string>

#include "common/datetext.hpp"
#include "common/paths.hpp"
#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/textloader.hpp"

namespace kestrom::monitor::fnd {

namespace {
constexpr int kTitleString = 2;
constexpr int kVantTitleString = 622;
}  // namespace

int message_box(HWND owner, std::string_view text, UINT flags) {
  const std::string caption = text::load(kTitleString, kNameSize);
  const WORD language = static_cast<WORD>(MAKELANGID(text::language(), SUBLANG_DEFAULT));
  return MessageBoxExA(owner, std::string(text).c_str(), caption.c_str(), flags | MB_TOPMOST, language);
}

int initialise_product() {
  text::set_language_from_string_table();
  if (!reg::has_default_value(HKEY_CURRENT_USER, keys::kProduct)) {
    for (std::string_view sub : {"Nuts", "Cookies", "Options", "Run", "IEHelpers", "HostFile", "Tasks"})
      reg::create_key(HKEY_CURRENT_USER, std::string(keys::kProduct) + "\\" + std::string(sub));
    reg::write_string(HKEY_CURRENT_USER, keys::kProduct, "", date_text_now());
  }
  if (reg::read_string(HKEY_CURRENT_USER, keys::kProduct, "Version").empty())
    reg::write_string(HKEY_CURRENT_USER, keys::kProduct, "Version", kProductVersion);
  return 0;
}

bool always_run_state() {
  return reg::value_exists(HKEY_LOCAL_MACHINE, keys::kMachineRun, text::load(kTitleString, kNameSize)) ||
         reg::value_exists(HKEY_LOCAL_MACHINE, keys::kMachineRun, text::load(kVantTitleString, kNameSize));
}

void set_always_run(bool on) {
  const std::string name = text::load(kTitleString, kNameSize);
  if (on) {
    const std::string command = program_folder() + "\\kestrom.exe -expressboot";
    if (reg::write_string(HKEY_LOCAL_MACHINE, keys::kMachineRun, name, command))
      reg::write_string(HKEY_CURRENT_USER, keys::kRunSnapshot, command, "1");
  } else {
    reg::delete_value(HKEY_LOCAL_MACHINE, keys::kMachineRun, name);
  }
}

void trace_begin(std::string_view, std::string_view) {}
void trace_end() {}

}  // namespace kestrom::monitor::fnd
