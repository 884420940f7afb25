// `list hidden files` over the scanned folders with a few thousand extra files (one in twenty
// hidden) in a folder one level below the temporary folder, against a baseline that makes only
// the system calls the same walk needs: FindFirstFile/FindNextFile over the same folders and
// depths. Both run in the same process, alternately, and the medians are compared.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "categories/hidden_files_win.hpp"
#include "startup/enumerate.hpp"

using namespace kestrom;

namespace {

constexpr int kFiles = 4000;
constexpr int kHiddenEvery = 20;
constexpr int kRounds = 9;
constexpr std::size_t kFileBytes = 512;

std::string bench_folder() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n) + "kt_bench_hidden";
}

void fill(bool on) {
  const std::string folder = bench_folder();
  if (on) CreateDirectoryA(folder.c_str(), nullptr);
  for (int i = 0; i < kFiles; ++i) {
    const std::string path = folder + "\\f" + std::to_string(i) + ".dat";
    if (on) {
      HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             i % kHiddenEvery ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_HIDDEN, nullptr);
      if (h != INVALID_HANDLE_VALUE) {
        // Real hidden files have content, and programs among them start with "MZ": give every
        // file a few hundred bytes so the scan pays for looking inside them as it would in use.
        std::string body(kFileBytes, '\0');
        body[0] = 'M';
        body[1] = 'Z';
        DWORD written = 0;
        WriteFile(h, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
        CloseHandle(h);
      }
    } else {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
  }
  if (!on) RemoveDirectoryA(folder.c_str());
}

std::size_t baseline_walk(const std::string& folder, int levels) {
  std::size_t hidden = 0;
  std::vector<std::string> below;
  WIN32_FIND_DATAA data;
  const std::string pattern = folder + (folder.back() == '\\' ? "*.*" : "\\*.*");
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    const bool is_folder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) && !is_folder) ++hidden;
    if (levels > 0 && is_folder && data.cFileName[0] != '.')
      below.push_back(folder + (folder.back() == '\\' ? "" : "\\") + data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  for (const auto& sub : below) hidden += baseline_walk(sub, levels - 1);
  return hidden;
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

}  // namespace

int main() {
  fill(true);
  const auto folders = hidden_scan_folders();
  const ItemRules rules = system_item_rules();
  ItemList list;
  std::vector<double> product, baseline, walk;
  std::size_t found = 0, counted = 0;
  for (int round = 0; round < kRounds; ++round) {
    product.push_back(millis([&] { found = list_hidden_files(list, rules); }));
    walk.push_back(millis([&] { (void)hidden_file_paths(); }));
    baseline.push_back(millis([&] {
      counted = 0;
      for (const auto& f : folders) counted += baseline_walk(f.path, f.levels);
    }));
  }
  fill(false);
  // The first scan reads every hidden file; later ones only what is new or changed.
  const double first = product.front(), first_base = baseline.front();
  const double p = median(product), b = median(baseline);
  std::printf("hidden files: product %zu items, baseline %zu\n", found, counted);
  // The product's walk alone (no item titles): what the listing adds on top of the walk.
  std::printf("walk alone: %.2f ms\n", median(walk));
  std::printf("list hidden files: %.2f ms, FindFirstFile walk: %.2f ms, ratio %.2f (goal at most 1.3)\n", p, b,
              b > 0 ? p / b : 0.0);
  std::printf("first scan: %.2f ms, FindFirstFile walk: %.2f ms, ratio %.2f\n", first, first_base,
              first_base > 0 ? first / first_base : 0.0);
  return 0;
}
