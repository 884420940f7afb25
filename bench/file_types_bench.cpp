// The file-types step of the patrol over a few hundred associations (every watched extension
// with all three sources, all of them recorded, so no question opens) against a plain loop of
// the same registry reads: the watched list, per extension and source the name and its open
// command, then the recorded name and the recorded command, compared the way the step compares
// them. Both run in the same process, alternately, and the medians are compared. The page's
// listing (with the type descriptions) is timed beside them.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "categories/file_types_win.hpp"
#include "monitor/alerts/file_types_step_system.hpp"
#include "startup/enumerate.hpp"

using namespace kestrom;

namespace {

// Three-character extensions keep the watched list under its 1019 characters.
constexpr int kExtensions = 250;
constexpr int kRounds = 9;
constexpr const char* kClasses = "Software\\Classes\\";
constexpr const char* kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

std::string extension_of(int i) {
  const char* digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  return std::string("Z") + digits[i / 36] + digits[i % 36];
}

void set_text(HKEY root, const std::string& key, const char* name, const std::string& text) {
  HKEY k = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS) return;
  RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
  RegCloseKey(k);
}

void fill(bool on) {
  std::string list;
  for (int i = 0; i < kExtensions; ++i) {
    const std::string ext = extension_of(i), dotted = "." + ext, cls = "ktb" + ext + "file",
                      app = "ktb" + ext + ".exe", prog = "Ktb." + ext;
    if (!on) {
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kClasses + dotted).c_str());
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kClasses + dotted).c_str());
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kClasses + cls).c_str());
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kClasses + cls).c_str());
      RegDeleteTreeA(HKEY_CURRENT_USER, (kFileExts + dotted).c_str());
      RegDeleteKeyA(HKEY_CURRENT_USER, (kFileExts + dotted).c_str());
      RegDeleteTreeA(HKEY_CLASSES_ROOT, ("Applications\\" + app).c_str());
      RegDeleteKeyA(HKEY_CLASSES_ROOT, ("Applications\\" + app).c_str());
      RegDeleteTreeA(HKEY_CLASSES_ROOT, prog.c_str());
      RegDeleteKeyA(HKEY_CLASSES_ROOT, prog.c_str());
      continue;
    }
    set_text(HKEY_LOCAL_MACHINE, kClasses + dotted, nullptr, cls);
    set_text(HKEY_LOCAL_MACHINE, kClasses + cls, nullptr, "Bench type " + ext);
    set_text(HKEY_LOCAL_MACHINE, kClasses + cls + "\\shell\\open\\command", nullptr,
             "\"C:\\Program Files\\Bench\\view" + ext + ".exe\" \"%1\"");
    set_text(HKEY_CURRENT_USER, kFileExts + dotted, "Application", app);
    set_text(HKEY_CLASSES_ROOT, "Applications\\" + app + "\\shell\\open\\command", nullptr,
             "C:\\Bench\\" + app + " %1");
    set_text(HKEY_CURRENT_USER, kFileExts + dotted, "ProgID", prog);
    set_text(HKEY_CLASSES_ROOT, prog + "\\shell\\open\\command", nullptr, "C:\\Bench\\prog" + ext + ".exe /o \"%1\"");
    list += ext + ";";
  }
  for (std::string_view key : {file_types::kExtKey, file_types::kExtAppKey, file_types::kExtProgIdKey,
                               file_types::kClassKey}) {
    RegDeleteTreeA(HKEY_CURRENT_USER, std::string(key).c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, std::string(key).c_str());
  }
  if (!on) return;
  set_text(HKEY_CURRENT_USER, std::string(file_types::kClassKey), nullptr, list);
  for (const auto& a : file_types::list_associations()) file_types::record_file_type(a);
}

std::string text(HKEY root, const std::string& key, const char* name) {
  char buf[1024];
  DWORD size = sizeof buf;
  if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return {};
  return buf;
}

std::string query(HKEY key, const char* name) {
  char buf[1024];
  DWORD size = sizeof buf - 1, type = 0;
  if (!key || RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  buf[size] = 0;
  return buf;
}

std::string after_last_backslash(std::string command) {
  command.erase(std::remove(command.begin(), command.end(), '"'), command.end());
  const std::size_t at = command.find_last_of('\\');
  return at == std::string::npos ? command : command.substr(at + 1);
}

// Only the reads the step cannot do without; the number of changes found (0).
int baseline() {
  int changes = 0;
  const std::string list = text(HKEY_CURRENT_USER, std::string(file_types::kClassKey), nullptr);
  // The snapshot's keys opened once for the pass.
  HKEY ext_keys[3] = {}, class_key = nullptr;
  const std::string_view names[] = {file_types::kExtKey, file_types::kExtAppKey, file_types::kExtProgIdKey};
  for (int i = 0; i < 3; ++i) RegOpenKeyExA(HKEY_CURRENT_USER, std::string(names[i]).c_str(), 0, KEY_QUERY_VALUE, &ext_keys[i]);
  RegOpenKeyExA(HKEY_CURRENT_USER, std::string(file_types::kClassKey).c_str(), 0, KEY_QUERY_VALUE, &class_key);
  for (std::size_t at = 0; at < list.size();) {
    std::size_t end = list.find(';', at);
    if (end == std::string::npos) end = list.size();
    const std::string dotted = "." + list.substr(at, end - at);
    at = end + 1;
    for (int source = 1; source <= 3; ++source) {
      std::string name, command;
      if (source == 1) {
        name = text(HKEY_LOCAL_MACHINE, kClasses + dotted, nullptr);
        if (!name.empty()) command = text(HKEY_LOCAL_MACHINE, kClasses + name + "\\shell\\open\\command", nullptr);
      } else {
        name = text(HKEY_CURRENT_USER, kFileExts + dotted, source == 2 ? "Application" : "ProgID");
        if (!name.empty())
          command = text(HKEY_CLASSES_ROOT, (source == 2 ? "Applications\\" : "") + name + "\\shell\\open\\command",
                         nullptr);
      }
      if (command.empty()) continue;
      const std::string recorded = query(ext_keys[source - 1], dotted.c_str());
      const std::string recorded_command = recorded.empty() ? std::string() : query(class_key, recorded.c_str());
      if (_stricmp(after_last_backslash(recorded_command).c_str(), after_last_backslash(command).c_str()) != 0)
        ++changes;
    }
  }
  for (HKEY k : ext_keys)
    if (k) RegCloseKey(k);
  if (class_key) RegCloseKey(class_key);
  return changes;
}

double ms_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  fill(false);
  fill(true);
  alerts::AlertFonts fonts;
  alerts::AlertContext context(fonts);
  Options options = Options::defaults(Program::Monitor);
  int asked = 0;
  alerts::FileTypesStepSignals signals;
  signals.set_alert_showing = [&](bool on) { asked += on ? 1 : 0; };
  ItemList list;
  std::vector<double> ours, base, page;
  int changes = -1, base_changes = -1;
  std::size_t associations = 0;
  for (int r = 0; r < kRounds; ++r) {
    auto t = std::chrono::steady_clock::now();
    base_changes = baseline();
    base.push_back(ms_since(t));
    t = std::chrono::steady_clock::now();
    changes = alerts::run_file_types_step_with_alerts(nullptr, context, options, signals);
    ours.push_back(ms_since(t));
    t = std::chrono::steady_clock::now();
    associations = file_types::list_file_types(list, system_item_rules()).size();
    page.push_back(ms_since(t));
  }
  fill(false);
  const double o = median(ours), b = median(base);
  std::printf("associations: %zu; changes found: step %d, baseline %d; questions: %d\n", associations, changes,
              base_changes, asked);
  std::printf("file-types step:       %.1f ms (median of %d)\n", o, kRounds);
  std::printf("baseline:              %.1f ms (median of %d)\n", b, kRounds);
  std::printf("list file types (page): %.1f ms (median of %d; descriptions and version reads included)\n",
              median(page), kRounds);
  std::printf("ratio: %.2f (goal <= 1.30)\n", o / b);
  return 0;
}
