// An open registry key, closed when it goes out of scope. Opening never throws: a key that
// cannot be opened is an empty RegKey, and the callers treat that as "missing".
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.hpp"

namespace kestrom::platform {

class RegKey {
 public:
  RegKey() noexcept = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey(RegKey&&) noexcept = default;
  RegKey& operator=(RegKey&&) noexcept = default;
  ~RegKey() = default;

  // Read access only: nothing that only reads asks for more rights than it needs.
  static RegKey open_read(HKEY root, std::string_view path) noexcept;
  static RegKey open_write(HKEY root, std::string_view path) noexcept;
  // Opens with full access, creating the key (and its parents) when missing.
  static RegKey create(HKEY root, std::string_view path) noexcept;

  explicit operator bool() const noexcept { return static_cast<bool>(key_); }
  HKEY get() const noexcept { return key_.get(); }

  // Raw value access. std::nullopt when the value is missing or cannot be read.
  struct RawValue {
    DWORD type = REG_NONE;
    std::string data;  // the value's bytes as stored
  };
  std::optional<RawValue> query(std::string_view name) const;
  bool has_value(std::string_view name) const noexcept;
  // Every value of the key, whole, in enumeration order (a value that changes while it is
  // read is left out); and the names of its direct subkeys.
  struct NamedValue {
    std::string name;
    RawValue value;
  };
  std::vector<NamedValue> all_values() const;
  std::vector<std::string> subkey_names() const;
  bool set_string(std::string_view name, std::string_view text) const noexcept;
  bool set_dword(std::string_view name, std::uint32_t value) const noexcept;
  bool set_binary(std::string_view name, std::string_view bytes) const noexcept;
  // Puts a value back exactly as `query` read it (type and bytes).
  bool set_raw(std::string_view name, const RawValue& value) const noexcept;
  bool delete_value(std::string_view name) const noexcept;

 private:
  explicit RegKey(HKEY k) noexcept : key_(k) {}
  UniqueRegKey key_;
};

}  // namespace kestrom::platform
