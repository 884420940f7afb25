#include "platform/reg_key.hpp"

#include <utility>
#include <vector>

namespace kestrom::platform {

namespace {
std::string z(std::string_view s) { return std::string(s); }
}  // namespace

RegKey RegKey::open_read(HKEY root, std::string_view path) noexcept {
  HKEY k = nullptr;
  if (RegOpenKeyExA(root, z(path).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return RegKey();
  return RegKey(k);
}

RegKey RegKey::open_write(HKEY root, std::string_view path) noexcept {
  HKEY k = nullptr;
  if (RegOpenKeyExA(root, z(path).c_str(), 0, KEY_READ | KEY_WRITE, &k) != ERROR_SUCCESS) return RegKey();
  return RegKey(k);
}

RegKey RegKey::create(HKEY root, std::string_view path) noexcept {
  HKEY k = nullptr;
  if (RegCreateKeyExA(root, z(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &k,
                      nullptr) != ERROR_SUCCESS)
    return RegKey();
  return RegKey(k);
}

namespace {
constexpr DWORD kFirstReadSize = 1024;
}  // namespace

std::optional<RegKey::RawValue> RegKey::query(std::string_view name) const {
  if (!key_) return std::nullopt;
  std::string n = z(name);
  DWORD type = 0, size = kFirstReadSize;
  // Most values fit a first buffer, which saves asking for the size first (a patrol step reads
  // hundreds); a larger one is read again with the size the system reports, and the value may
  // grow between the calls.
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::vector<BYTE> buf(size + 2);
    DWORD got = size;
    LONG rc = RegQueryValueExA(key_.get(), n.c_str(), nullptr, &type, buf.data(), &got);
    if (rc == ERROR_SUCCESS) return RawValue{type, std::string(reinterpret_cast<char*>(buf.data()), got)};
    if (rc != ERROR_MORE_DATA) return std::nullopt;
    size = got;
  }
  return std::nullopt;
}

bool RegKey::has_value(std::string_view name) const noexcept {
  return key_ && RegQueryValueExA(key_.get(), z(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::vector<RegKey::NamedValue> RegKey::all_values() const {
  std::vector<NamedValue> out;
  if (!key_) return out;
  DWORD count = 0, longest_name = 0, largest_data = 0;
  if (RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest_name,
                       &largest_data, nullptr, nullptr) != ERROR_SUCCESS)
    return out;
  std::vector<char> name(2 * longest_name + 2);  // counted in characters; a double-byte name needs more
  std::vector<BYTE> data(largest_data + 2);
  for (DWORD i = 0; i < count; ++i) {
    DWORD name_length = static_cast<DWORD>(name.size());
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    const LONG rc = RegEnumValueA(key_.get(), i, name.data(), &name_length, nullptr, &type, data.data(), &size);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;
    out.push_back({std::string(name.data(), name_length),
                   RawValue{type, std::string(reinterpret_cast<const char*>(data.data()), size)}});
  }
  return out;
}

std::vector<std::string> RegKey::subkey_names() const {
  std::vector<std::string> out;
  if (!key_) return out;
  DWORD count = 0, longest = 0;
  if (RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return out;
  std::vector<char> name(2 * longest + 2);
  for (DWORD i = 0; i < count; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    const LONG rc = RegEnumKeyExA(key_.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc == ERROR_SUCCESS) out.emplace_back(name.data(), length);
  }
  return out;
}

bool RegKey::set_string(std::string_view name, std::string_view text) const noexcept {
  if (!key_) return false;
  std::string t = z(text);
  return RegSetValueExA(key_.get(), z(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(t.c_str()),
                        static_cast<DWORD>(t.size() + 1)) == ERROR_SUCCESS;
}

bool RegKey::set_dword(std::string_view name, std::uint32_t value) const noexcept {
  if (!key_) return false;
  DWORD v = value;
  return RegSetValueExA(key_.get(), z(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
         ERROR_SUCCESS;
}

bool RegKey::set_binary(std::string_view name, std::string_view bytes) const noexcept {
  if (!key_) return false;
  return RegSetValueExA(key_.get(), z(name).c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

bool RegKey::set_raw(std::string_view name, const RawValue& value) const noexcept {
  if (!key_) return false;
  return RegSetValueExA(key_.get(), z(name).c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool RegKey::delete_value(std::string_view name) const noexcept {
  return key_ && RegDeleteValueA(key_.get(), z(name).c_str()) == ERROR_SUCCESS;
}

}  // namespace kestrom::platform
