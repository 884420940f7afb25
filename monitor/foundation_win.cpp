#include "monitor/foundation_win.hpp"

#include <climits>

#include "common/product_keys.hpp"
#include "platform/reg_key.hpp"

namespace kestrom::monitor::fnd {

namespace {

using platform::RegKey;

constexpr std::string_view kVersion = "17.0.2010.0";
constexpr int kLanguageEnglish = 9;

// The C library's decimal rule, saturating instead of overflowing.
int decimal(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  long long v = 0;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
    v = v * 10 + (t[i] - '0');
    if (v > INT_MAX) { v = INT_MAX + 1LL; break; }
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  return static_cast<int>(v);
}

std::string read_text(HKEY root, std::string_view key, std::string_view name, std::size_t limit) {
  RegKey k = RegKey::open_read(root, key);
  auto raw = k.query(name);
  if (!raw || (raw->type != REG_SZ && raw->type != REG_EXPAND_SZ)) return {};
  std::string text = raw->data.substr(0, raw->data.find('\0'));
  return text.size() > limit ? std::string() : text;
}

}  // namespace

std::string load_text(int number, std::size_t size) {
  if (size == 0) return {};
  std::string buf(size, '\0');
  int n = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(number), buf.data(), static_cast<int>(size));
  buf.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return buf;
}

int read_option(std::string_view name, int default_value) {
  std::string text = read_text(HKEY_CURRENT_USER, keys::kOptions, name, 128);
  return text.empty() ? default_value : decimal(text);
}

void write_option_text(std::string_view name, std::string_view text) {
  RegKey::create(HKEY_CURRENT_USER, keys::kOptions).set_string(name, text);
}

int message_box(HWND owner, std::string_view text, UINT flags) {
  std::string caption = load_text(2, kNameSize);
  return MessageBoxExA(owner, std::string(text).c_str(), caption.c_str(), flags | MB_TOPMOST,
                       MAKELANGID(kLanguageEnglish, SUBLANG_DEFAULT));
}

std::string program_folder() {
  char path[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::string folder(path, n);
  auto slash = folder.find_last_of('\\');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

int initialise_product() {
  RegKey product = RegKey::open_read(HKEY_CURRENT_USER, keys::kProduct);
  if (!product || !product.has_value("") || read_text(HKEY_CURRENT_USER, keys::kProduct, "", 1023).empty()) {
    for (std::string_view sub : {"Nuts", "Cookies", "Options", "Run", "IEHelpers", "HostFile", "Tasks"})
      RegKey::create(HKEY_CURRENT_USER, std::string(keys::kProduct) + "\\" + std::string(sub));
    SYSTEMTIME t{};
    GetLocalTime(&t);
    char date[64];
    wsprintfA(date, "%04u/%02u/%02u %02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
    RegKey::create(HKEY_CURRENT_USER, keys::kProduct).set_string("", date);
  }
  if (read_text(HKEY_CURRENT_USER, keys::kProduct, "Version", 1023).empty())
    RegKey::create(HKEY_CURRENT_USER, keys::kProduct).set_string("Version", kVersion);
  return 0;
}

bool always_run_state() {
  RegKey run = RegKey::open_read(HKEY_LOCAL_MACHINE, keys::kMachineRun);
  return run && (run.has_value(load_text(2, kNameSize)) || run.has_value(load_text(622, kNameSize)));
}

void set_always_run(bool on) {
  std::string name = load_text(2, kNameSize);
  if (on) {
    std::string command = program_folder() + "\\kestrom.exe -expressboot";
    if (RegKey::create(HKEY_LOCAL_MACHINE, keys::kMachineRun).set_string(name, command))
      RegKey::create(HKEY_CURRENT_USER, keys::kRunSnapshot).set_string(command, "1");
  } else {
    RegKey::open_write(HKEY_LOCAL_MACHINE, keys::kMachineRun).delete_value(name);
  }
}

void trace_begin(std::string_view, std::string_view) {}
void trace_end() {}

}  // namespace kestrom::monitor::fnd
