// The Internet Explorer cookie listing (`list cookies` for kind 1) over a cookie folder of some
// thousands of files, against a plain FindFirstFile loop over the same folder that gathers what
// the list shows: each cookie file's name, its full path and its last-write time in local time.
// Both run in the same process, alternately, and the medians are compared.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "categories/cookies_win.hpp"
#include "startup/enumerate.hpp"

using namespace kestrom;

namespace {

constexpr int kFiles = 3000;
constexpr int kRounds = 9;
constexpr char kProductKey[] = "Software\\Orvane\\Kestrom";

std::string bench_folder() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n) + "kt_bench_ie_cookies\\";
}

std::string file_name(int i) { return "user@site" + std::to_string(i) + ".example[1].txt"; }

void fill(bool on) {
  const std::string folder = bench_folder();
  if (on) CreateDirectoryA(folder.c_str(), nullptr);
  std::vector<std::string> names{"index.dat"};
  for (int i = 0; i < kFiles; ++i) names.push_back(file_name(i));
  for (const std::string& name : names) {
    const std::string path = folder + name;
    if (!on) {
      DeleteFileA(path.c_str());
      continue;
    }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    const std::string body = "id\n" + name + "\nexample/\n1024\n";
    DWORD written = 0;
    WriteFile(h, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
    CloseHandle(h);
  }
  if (!on) RemoveDirectoryA(folder.c_str());
}

struct Row {
  std::string name, path;
  SYSTEMTIME written;
};

std::size_t plain_walk(const std::string& folder, std::vector<Row>& rows) {
  rows.clear();
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM)) continue;
    const std::string name = fd.cFileName;
    if (name.size() < 4 || _stricmp(name.c_str() + name.size() - 4, ".txt") != 0) continue;
    Row row{name, folder + name, {}};
    FILETIME local;
    FileTimeToLocalFileTime(&fd.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &row.written);
    rows.push_back(std::move(row));
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return rows.size();
}

template <class F>
double millis(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void set_folder(const char* value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  if (value)
    RegSetValueExA(key, "IECookieFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(std::strlen(value) + 1));
  else
    RegDeleteValueA(key, "IECookieFolder");
  RegCloseKey(key);
}

}  // namespace

int main() {
  fill(true);
  const std::string folder = bench_folder();
  set_folder(folder.c_str());
  ItemRules rules = system_item_rules();
  rules.cookie_limit = kMaxItems;
  ItemList list;
  std::vector<Row> rows;
  std::vector<double> product, baseline;
  std::size_t listed = 0, walked = 0;
  for (int round = 0; round < kRounds; ++round) {
    product.push_back(millis([&] { listed = cookies::list_cookies(cookies::kKindExplorer, list, rules).count; }));
    baseline.push_back(millis([&] { walked = plain_walk(folder, rows); }));
  }
  set_folder(nullptr);
  fill(false);
  const double p = median(product), b = median(baseline);
  std::printf("IE cookie folder: product %zu items, plain walk %zu files\n", listed, walked);
  std::printf("list cookies: %.2f ms, FindFirstFile loop: %.2f ms, ratio %.2f\n", p, b, b > 0 ? p / b : 0.0);
  return listed == walked ? 0 : 1;
}
