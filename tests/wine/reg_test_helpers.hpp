// Registry helpers for tests under Wine: raw writes of any value type, so tests can plant the
// junk a user or another program may leave behind.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrom::test {

inline bool set_raw(HKEY root, const std::string& key, const std::string& name, DWORD type, const void* data,
                    DWORD size) {
  HKEY k = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return false;
  LONG rc = RegSetValueExA(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(k);
  return rc == ERROR_SUCCESS;
}

inline bool set_text(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                     DWORD type = REG_SZ) {
  return set_raw(root, key, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

inline bool set_dword(HKEY root, const std::string& key, const std::string& name, std::uint32_t v) {
  return set_raw(root, key, name, REG_DWORD, &v, sizeof v);
}

// Removes a test key and everything below it (the system's own call, independent of the code
// under test).
inline void wipe(HKEY root, const std::string& key) { RegDeleteTreeA(root, key.c_str()); RegDeleteKeyA(root, key.c_str()); }

inline bool raw_key_exists(HKEY root, const std::string& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

inline bool raw_value_exists(HKEY root, const std::string& key, const std::string& name) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  LONG rc = RegQueryValueExA(k, name.c_str(), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(k);
  return rc == ERROR_SUCCESS;
}

// The text of a value, read with the system's own call ("" when missing).
inline std::string raw_text(HKEY root, const std::string& key, const std::string& name) {
  char buf[4096] = {};
  DWORD size = sizeof buf - 1;
  if (RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return {};
  return buf;
}

}  // namespace kestrom::test
