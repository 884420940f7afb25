#include "common/registry.hpp"

#include <cstring>
#include <optional>

#include "common/profile_list.hpp"
#include "platform/reg_key.hpp"

namespace kestrom::reg {

using platform::RegKey;

namespace {

// The layer reads into a 1024-byte buffer: what does not fit there was never readable.
constexpr std::size_t kReadBuffer = kMaxString + 1;
// Names are at most 255 characters; under the UTF-8 code page one can take up to 3 bytes.
constexpr DWORD kNameBuffer = 1024;

std::string z(std::string_view s) { return std::string(s); }

// The text of a string value up to its first terminator, or nothing for other types.
std::optional<std::string> string_data(const RegKey::RawValue& v) {
  if (v.type != REG_SZ && v.type != REG_EXPAND_SZ) return std::nullopt;
  std::string text = v.data;
  if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

std::optional<std::string> expand(const std::string& text) {
  char out[kReadBuffer];
  DWORD n = ExpandEnvironmentStringsA(text.c_str(), out, static_cast<DWORD>(sizeof out));
  if (n == 0 || n > sizeof out) return std::nullopt;  // does not fit: unreadable, like the raw text
  return std::string(out);
}

bool key_missing(HKEY root, const std::string& key) {
  platform::UniqueRegKey opened;
  return RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, opened.put()) == ERROR_FILE_NOT_FOUND;
}

bool delete_tree(HKEY root, const std::string& key, int depth) {
  // The registry nests at most 512 levels; anything deeper is not a registry we can trust.
  if (depth > 512) return false;
  {
    RegKey k = RegKey::open_write(root, key);
    if (!k) return key_missing(root, key);
    // The first subkey again and again until none is left; a subkey that will not go away
    // ends the loop instead of spinning on it.
    std::string name(kNameBuffer, '\0');
    for (;;) {
      DWORD len = kNameBuffer;
      LONG rc = RegEnumKeyExA(k.get(), 0, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      if (rc != ERROR_SUCCESS) return false;
      if (!delete_tree(k.get(), name.substr(0, len), depth + 1)) return false;
    }
  }
  LONG rc = RegDeleteKeyA(root, key.c_str());
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

template <typename Enum>
std::vector<std::string> names(HKEY root, std::string_view key, std::size_t name_limit, Enum&& enumerate) {
  std::vector<std::string> out;
  RegKey k = RegKey::open_read(root, key);
  if (!k) return out;
  for (DWORD i = 0;; ++i) {
    char name[kNameBuffer];
    DWORD len = kNameBuffer;
    LONG rc = enumerate(k.get(), i, name, &len);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc == ERROR_MORE_DATA) continue;  // a name no caller could hold
    if (rc != ERROR_SUCCESS) break;
    if (len <= name_limit) out.emplace_back(name, len);
  }
  return out;
}

std::string win_ini_path() {
  char dir[MAX_PATH + 1];
  UINT n = GetWindowsDirectoryA(dir, static_cast<UINT>(sizeof dir));
  if (n == 0 || n >= sizeof dir) return {};
  return std::string(dir, n) + "\\win.ini";
}

// win.ini may be read-only (set by hand or by other software); the list edits must still land.
void make_win_ini_writable() {
  std::string path = win_ini_path();
  if (path.empty()) return;
  DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), attrs & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

// The whole line; nullopt when it cannot be read in full (rewriting a cut line would lose entries).
std::optional<std::string> read_windows_line(const std::string& key_name) {
  for (DWORD size = 1024; size <= 65536; size *= 4) {
    std::string buf(size, '\0');
    DWORD n = GetProfileStringA("windows", key_name.c_str(), "", buf.data(), size);
    if (n < size - 1) {
      buf.resize(n);
      return buf;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string read_string(HKEY root, std::string_view key, std::string_view name, std::size_t limit) {
  return read_string(RegKey::open_read(root, key), name, limit);
}

std::string read_string(const RegKey& k, std::string_view name, std::size_t limit) {
  if (!k) return {};
  auto raw = k.query(name);
  if (!raw) return {};
  auto text = string_data(*raw);
  if (!text || text->size() > kMaxString) return {};
  if (raw->type == REG_EXPAND_SZ) {
    text = expand(*text);
    if (!text) return {};
  }
  if (text->size() > limit) return {};
  return *text;
}

std::string read_text(const RegKey::RawValue& value, std::size_t limit, Expand expansion) {
  // Room for the text, its terminator and one more: what needs more would not have fitted.
  if (value.data.size() > limit + 2) return {};
  auto text = string_data(value);
  if (!text || text->size() > limit) return {};
  if (text->empty() || expansion == Expand::No || value.type != REG_EXPAND_SZ) return *text;
  auto expanded = expand(*text);
  if (!expanded || expanded->size() > limit) return {};
  return *expanded;
}

std::string read_text(HKEY root, std::string_view key, std::string_view name, std::size_t limit, Expand expansion) {
  RegKey k = RegKey::open_read(root, key);
  if (!k) return {};
  auto raw = k.query(name);
  if (!raw) return {};
  return read_text(*raw, limit, expansion);
}

int read_small_number(HKEY root, std::string_view key, std::string_view name, int missing) {
  RegKey k = RegKey::open_read(root, key);
  if (!k) return missing;
  auto raw = k.query(name);
  if (!raw) return missing;
  const std::string& d = raw->data;
  unsigned value = 0;
  if (!d.empty()) value = static_cast<unsigned char>(d[0]);
  if (d.size() > 1) value |= static_cast<unsigned>(static_cast<unsigned char>(d[1])) << 8;
  return static_cast<int>(value);
}

bool write_string(HKEY root, std::string_view key, std::string_view name, std::string_view text) {
  RegKey k = RegKey::create(root, key);
  return k && k.set_string(name, text);
}

bool write_number(HKEY root, std::string_view key, std::string_view name, std::uint32_t value) {
  RegKey k = RegKey::create(root, key);
  return k && k.set_dword(name, value);
}

bool write_binary(HKEY root, std::string_view key, std::string_view name, std::string_view bytes) {
  RegKey k = RegKey::create(root, key);
  return k && k.set_binary(name, bytes);
}

std::optional<std::string> read_binary(HKEY root, std::string_view key, std::string_view name) {
  RegKey k = RegKey::open_read(root, key);
  if (!k) return std::nullopt;
  auto v = k.query(name);
  if (!v || v->type != REG_BINARY) return std::nullopt;
  return std::move(v->data);
}

bool delete_value(HKEY root, std::string_view key, std::string_view name) {
  RegKey k = RegKey::open_write(root, key);
  return k && k.delete_value(name);
}

bool delete_key_tree(HKEY root, std::string_view key) {
  // An empty path names the root itself, which is never ours to empty.
  if (key.empty()) return false;
  return delete_tree(root, z(key), 0);
}

bool key_exists(HKEY root, std::string_view key) { return static_cast<bool>(RegKey::open_read(root, key)); }

bool value_exists(HKEY root, std::string_view key, std::string_view name) {
  RegKey k = RegKey::open_read(root, key);
  return k && k.has_value(name);
}

bool has_default_value(HKEY root, std::string_view key) {
  RegKey k = RegKey::open_read(root, key);
  if (!k) return false;
  auto raw = k.query("");
  if (!raw) return false;
  auto text = string_data(*raw);
  return text ? !text->empty() : !raw->data.empty();
}

bool create_key(HKEY root, std::string_view key) { return static_cast<bool>(RegKey::create(root, key)); }

std::vector<std::string> value_names(HKEY root, std::string_view key, std::size_t name_limit) {
  return names(root, key, name_limit, [](HKEY k, DWORD i, char* name, DWORD* len) {
    return RegEnumValueA(k, i, name, len, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::string> subkey_names(HKEY root, std::string_view key, std::size_t name_limit) {
  return names(root, key, name_limit, [](HKEY k, DWORD i, char* name, DWORD* len) {
    return RegEnumKeyExA(k, i, name, len, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<Value> values(HKEY root, std::string_view key, std::size_t name_limit, std::size_t data_limit) {
  std::vector<Value> out;
  RegKey k = RegKey::open_read(root, key);
  if (!k) return out;
  DWORD count = 0;
  if (RegQueryInfoKeyA(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                       nullptr) != ERROR_SUCCESS)
    return out;
  std::vector<char> name(name_limit + 1);
  std::vector<char> data(data_limit + 1);
  for (DWORD i = 0; i < count; ++i) {
    DWORD name_length = static_cast<DWORD>(name.size());
    DWORD data_size = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    LONG rc = RegEnumValueA(k.get(), i, name.data(), &name_length, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                            &data_size);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;  // too long for the buffers: skipped
    out.push_back(
        {std::string(name.data(), name_length), std::string(data.data(), strnlen(data.data(), data_size)), type});
  }
  return out;
}

bool add_to_profile_list(std::string_view key_name, std::string_view entry) {
  make_win_ini_writable();
  std::string key = z(key_name);
  auto line = read_windows_line(key);
  if (!line) return false;
  return WriteProfileStringA("windows", key.c_str(), profile_list_append(*line, entry).c_str()) != 0;
}

bool profile_list_contains(std::string_view key_name, std::string_view entry) {
  auto line = read_windows_line(z(key_name));
  return line && profile_list_has(*line, entry);
}

bool remove_from_profile_list(std::string_view key_name, std::string_view entry) {
  make_win_ini_writable();
  std::string key = z(key_name);
  auto line = read_windows_line(key);
  if (!line || !profile_list_has(*line, entry)) return false;
  return WriteProfileStringA("windows", key.c_str(), profile_list_remove(*line, entry).c_str()) != 0;
}

}  // namespace kestrom::reg
