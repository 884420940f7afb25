#include "startup/sysfacts.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/msgbox.hpp"
#include "common/paths.hpp"
#include "common/product.hpp"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "platform/handles.hpp"
#include "platform/reg_key.hpp"

namespace kestrom::facts {

namespace {

constexpr REGSAM kView = KEY_WOW64_64KEY;

struct OpenKey {
  HKEY k = nullptr;
  OpenKey(HKEY root, std::string_view path, REGSAM access) {
    if (RegOpenKeyExA(root, std::string(path).c_str(), 0, access | kView, &k) != ERROR_SUCCESS) k = nullptr;
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  ~OpenKey() {
    if (k) RegCloseKey(k);
  }
  explicit operator bool() const { return k != nullptr; }
};

}  // namespace

std::string program_folder() { return kestrom::program_folder(); }
std::string windows_folder() { return kestrom::windows_folder(); }
std::string system_folder() { return kestrom::system_folder(); }
std::string long_path(std::string_view path) { return kestrom::long_path(path); }
std::string short_path(std::string_view path) { return kestrom::short_path(path); }
bool file_exists(std::string_view path) { return kestrom::file_exists(path); }
std::string command_to_file(std::string_view command) { return kestrom::command_to_file(command); }

Version version_of(std::string_view file) {
  VersionInfo info;
  kestrom::version_information(file, info);
  return Version{info.product_name, info.product_version, info.company_name, info.file_description};
}

LocalTime local_now() { return kestrom::local_now(); }
std::string date_text_now() { return kestrom::date_text_now(); }
std::string load_text(int number) { return text::load(number); }
int read_option(std::string_view name, int default_value) { return kestrom::read_option(name, default_value); }
int message_box(HWND owner, std::string_view text, UINT flags) { return kestrom::message_box(owner, text, flags); }

HKEY root_key(RegRoot root) noexcept { return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

std::string reg_read(HKEY root, std::string_view key, std::string_view name, std::size_t limit, bool expand) {
  OpenKey k(root, key, KEY_QUERY_VALUE);
  if (!k) return {};
  std::string n(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(k.k, n.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  if (size > limit + 1 && size > 1) {
    // A stored terminator counts as part of the size; anything beyond limit + 1 is too long.
    if (size > limit + 2) return {};
  }
  std::vector<char> buf(size + 2);
  DWORD got = size;
  if (RegQueryValueExA(k.k, n.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got) != ERROR_SUCCESS)
    return {};
  std::string s(buf.data(), strnlen(buf.data(), got));
  if (s.size() > limit) return {};
  if (expand && type == REG_EXPAND_SZ) {
    char out[1024] = {};
    DWORD m = ExpandEnvironmentStringsA(s.c_str(), out, sizeof out);
    if (m == 0 || m > sizeof out) return {};
    s = out;
    if (s.size() > limit) return {};
  }
  return s;
}

bool reg_exists(HKEY root, std::string_view key, std::string_view name) {
  OpenKey k(root, key, KEY_QUERY_VALUE);
  return k && RegQueryValueExA(k.k, std::string(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool reg_write(HKEY root, std::string_view key, std::string_view name, std::string_view text) {
  HKEY k = nullptr;
  if (RegCreateKeyExA(root, std::string(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | kView,
                      nullptr, &k, nullptr) != ERROR_SUCCESS)
    return false;
  std::string t(text);
  LONG rc = RegSetValueExA(k, std::string(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(t.c_str()),
                           static_cast<DWORD>(t.size() + 1));
  RegCloseKey(k);
  return rc == ERROR_SUCCESS;
}

bool reg_delete(HKEY root, std::string_view key, std::string_view name) {
  OpenKey k(root, key, KEY_SET_VALUE);
  return k && RegDeleteValueA(k.k, std::string(name).c_str()) == ERROR_SUCCESS;
}

bool reg_create(HKEY root, std::string_view key) {
  HKEY k = nullptr;
  if (RegCreateKeyExA(root, std::string(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | kView, nullptr,
                      &k, nullptr) != ERROR_SUCCESS)
    return false;
  RegCloseKey(k);
  return true;
}

bool reg_key_exists(HKEY root, std::string_view key) { return static_cast<bool>(OpenKey(root, key, KEY_READ)); }

std::vector<RegValue> reg_values(HKEY root, std::string_view key, std::size_t name_limit, std::size_t data_limit) {
  std::vector<RegValue> out;
  OpenKey k(root, key, KEY_QUERY_VALUE);
  if (!k) return out;
  DWORD count = 0;
  if (RegQueryInfoKeyA(k.k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                       nullptr) != ERROR_SUCCESS)
    return out;
  std::vector<char> name(name_limit + 1);
  std::vector<BYTE> data(data_limit + 1);
  for (DWORD i = 0; i < count; ++i) {
    DWORD nlen = static_cast<DWORD>(name.size());
    DWORD dlen = static_cast<DWORD>(data.size());
    DWORD type = 0;
    LONG rc = RegEnumValueA(k.k, i, name.data(), &nlen, nullptr, &type, data.data(), &dlen);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;
    RegValue v;
    v.name.assign(name.data(), nlen);
    v.type = type;
    const char* d = reinterpret_cast<const char*>(data.data());
    v.data.assign(d, strnlen(d, dlen));
    out.push_back(std::move(v));
  }
  return out;
}

std::vector<std::string> reg_subkeys(HKEY root, std::string_view key, std::size_t name_limit) {
  std::vector<std::string> out;
  OpenKey k(root, key, KEY_ENUMERATE_SUB_KEYS);
  if (!k) return out;
  std::vector<char> name(name_limit + 1);
  for (DWORD i = 0;; ++i) {
    DWORD nlen = static_cast<DWORD>(name.size());
    LONG rc = RegEnumKeyExA(k.k, i, name.data(), &nlen, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;
    out.emplace_back(name.data(), nlen);
  }
  return out;
}

}  // namespace kestrom::facts
