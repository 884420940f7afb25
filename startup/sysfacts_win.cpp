#include "startup/sysfacts.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/text.hpp"
#include "platform/handles.hpp"
#include "platform/reg_key.hpp"

namespace kestrom::facts {

namespace {

constexpr REGSAM kView = KEY_WOW64_64KEY;

std::string folder_of(const char* path, DWORD n) {
  std::string s(path, n);
  auto slash = s.find_last_of('\\');
  return slash == std::string::npos ? std::string() : s.substr(0, slash);
}

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

std::string program_folder() {
  char path[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return folder_of(path, n);
}

std::string windows_folder() {
  char path[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(path, MAX_PATH);
  return n && n < MAX_PATH ? std::string(path, n) : std::string();
}

std::string system_folder() {
  char path[MAX_PATH + 1] = {};
  UINT n = GetSystemDirectoryA(path, MAX_PATH);
  return n && n < MAX_PATH ? std::string(path, n) : std::string();
}

std::string long_path(std::string_view path) {
  std::string in(path);
  char out[MAX_PATH + 1] = {};
  DWORD n = GetLongPathNameA(in.c_str(), out, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return in;
  return std::string(out, n);
}

std::string short_path(std::string_view path) {
  std::string in(path);
  char out[MAX_PATH + 1] = {};
  DWORD n = GetShortPathNameA(in.c_str(), out, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return in;
  return std::string(out, n);
}

bool file_exists(std::string_view path) {
  if (path.empty()) return false;
  auto exists = [](const std::string& p) {
    DWORD a = GetFileAttributesA(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  };
  std::string p(path);
  if (exists(p)) return true;
  if (p.size() < 32) {
    if (exists(windows_folder() + "\\" + p)) return true;
    if (exists(system_folder() + "\\" + p)) return true;
  }
  return false;
}

std::string command_to_file(std::string_view command) {
  std::string start;
  if (contains(command, "SYSTEMROOT")) {
    start = windows_folder() + std::string(command.size() > 11 ? command.substr(11) : std::string_view());
  } else if (contains(command, "%PROGRAMFILES%")) {
    std::string pf = reg_read(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                              MAX_PATH);
    if (pf.empty()) pf = "C:\\Program Files";
    start = pf + std::string(command.size() > 14 ? command.substr(14) : std::string_view());
  } else {
    start = std::string(command);
  }
  std::string up;
  std::size_t drive = std::string::npos;
  for (std::size_t i = 0; i < start.size(); ++i) {
    char c = to_upper_ascii(start[i]);
    if (c == ':' && i > 0) drive = up.size() - 1;
    if (c == '.' && i + 2 < start.size()) {
      char x = to_upper_ascii(start[i + 2]);
      if (x == 'X' || x == 'L') {
        for (std::size_t j = i; j < i + 4 && j < start.size(); ++j) up += to_upper_ascii(start[j]);
        break;
      }
    }
    up += c;
  }
  return drive == std::string::npos ? up : up.substr(drive);
}

Version version_of(std::string_view file) {
  Version v;
  std::string f(file);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(f.c_str(), &handle);
  if (size == 0 || size > 8191) return v;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(f.c_str(), 0, size, data.data())) return v;
  struct LangCp {
    WORD lang, cp;
  };
  LangCp* tr = nullptr;
  UINT trlen = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&tr), &trlen) || !tr)
    return v;
  auto query = [&](const LangCp& p, const char* key) {
    char sub[128];
    std::snprintf(sub, sizeof sub, "\\StringFileInfo\\%04x%04x\\%s", p.lang, p.cp, key);
    char* text = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(data.data(), sub, reinterpret_cast<void**>(&text), &len) || !text) return std::string();
    std::string s(text);
    return s.size() > 127 ? std::string() : s;
  };
  for (UINT i = 0; i < trlen / sizeof(LangCp); ++i) {
    std::string product = query(tr[i], "ProductName");
    if (product.empty()) continue;
    v.product_name = product;
    v.product_version = query(tr[i], "ProductVersion");
    v.company_name = query(tr[i], "CompanyName");
    v.file_description = query(tr[i], "FileDescription");
  }
  if (contains(v.product_name, "Operating System")) v.product_name = v.file_description;
  return v;
}

LocalTime local_now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string date_text_now() {
  LocalTime t = local_now();
  char buf[48];
  int h = t.hour > 12 ? t.hour - 12 : t.hour;
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %d:%02d %s", t.month, t.day, t.year, h, t.minute,
                t.hour > 12 ? "PM" : "AM");
  return buf;
}

std::string load_text(int number) {
  std::string over = reg_read(HKEY_LOCAL_MACHINE, "Software\\Orvane\\Kestrom", "LString" + std::to_string(number), 772);
  if (!over.empty()) return over;
  char buf[1024] = {};
  int n = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(number), buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

int read_option(std::string_view name, int default_value) {
  std::string s = reg_read(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom\\Options", name, 32);
  if (s.empty()) return default_value;
  return std::atoi(s.c_str());
}

int message_box(HWND owner, std::string_view text, UINT flags) {
  std::string t(text);
  std::string caption = load_text(2);
  return MessageBoxA(owner, t.c_str(), caption.c_str(), flags | MB_TOPMOST);
}

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
