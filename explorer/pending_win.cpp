// Stand-ins for shared services that are declared but whose implementations have not reached
// this branch yet. Each keeps the declared meaning in its simplest form, so the explorer runs
// and its tests exercise it; a definition here is deleted as soon as the shared one lands (the
// linker reports the pair).
#include <windows.h>

#include "common/detected.hpp"
#include "common/paths.hpp"
#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "startup/actions.hpp"
#include "startup/enumerate.hpp"
#include "startup/snapshot.hpp"

namespace kestrom {

namespace {

constexpr std::string_view kDetectedRoot = "Software\\Orvane\\Detected";

std::string detected_key(std::string_view category) { return std::string(kDetectedRoot) + "\\" + std::string(category); }

}  // namespace

// ---- paths ---------------------------------------------------------------------------------

std::string program_folder() {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p(path, n);
  auto slash = p.find_last_of('\\');
  return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

bool file_exists(std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
bool file_exists(std::string_view path) {
  std::string p(path);
  return file_exists(p);
}

std::string file_name_of_path(std::string_view path) {
  auto slash = path.find_last_of('\\');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string command_to_file(std::string_view command) {
  std::string c(command);
  while (!c.empty() && c.front() == ' ') c.erase(0, 1);
  if (!c.empty() && c.front() == '"') {
    auto end = c.find('"', 1);
    return c.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  }
  for (const char* ext : {".exe", ".EXE", ".dll", ".DLL", ".com", ".bat"}) {
    auto p = c.find(ext);
    if (p != std::string::npos) return c.substr(0, p + 4);
  }
  return c.substr(0, c.find(' '));
}

bool version_information(std::string_view file, VersionInfo& out) {
  out = VersionInfo{};
  std::string f(file);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(f.c_str(), &ignored);
  if (size == 0) return false;
  std::string data(size, '\0');
  if (!GetFileVersionInfoA(f.c_str(), 0, size, data.data())) return false;
  struct Lang {
    WORD language, codepage;
  };
  Lang* langs = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&langs), &len) || len < 4)
    return false;
  auto read = [&](const char* name) {
    char key[96];
    wsprintfA(key, "\\StringFileInfo\\%04x%04x\\%s", langs[0].language, langs[0].codepage, name);
    char* value = nullptr;
    UINT n = 0;
    if (VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&value), &n) && value && n) return std::string(value);
    return std::string();
  };
  out.product_name = read("ProductName");
  out.product_version = read("ProductVersion");
  out.company_name = read("CompanyName");
  out.file_description = read("FileDescription");
  out.legal_copyright = read("LegalCopyright");
  return !out.product_name.empty();
}

bool file_facts(std::string_view, FileFacts& out) {
  out = FileFacts{};
  return false;
}
std::string creation_time_text(std::string_view) { return {}; }

// ---- product -------------------------------------------------------------------------------

ProductState initialise_product(Program program, const InitHooks&) {
  ProductState s;
  s.options = load_all_options(program);
  return s;
}
bool always_run_state() { return false; }
bool set_always_run(bool, const InitHooks&) { return false; }

// ---- startup programs ----------------------------------------------------------------------

ItemRules system_item_rules() { return ItemRules{}; }
bool wow64_view_present() { return false; }

std::size_t list_startup_programs(ItemList& list, const StartupScan&, const ItemRules& rules) {
  list.clear();
  struct Place {
    HKEY root;
    int code;
  };
  for (Place p : {Place{HKEY_LOCAL_MACHINE, 1}, Place{HKEY_CURRENT_USER, 11}}) {
    for (const auto& name : reg::value_names(p.root, keys::kMachineRun)) {
      std::string command = reg::read_string(p.root, keys::kMachineRun, name);
      list.add(name, command, command, "", p.code, 0, rules);
    }
  }
  return list.size();
}

bool has_disabled_marker(std::string_view title, std::size_t) {
  return reg::value_exists(HKEY_LOCAL_MACHINE, keys::kDisabled, title);
}

std::string first_sighting(std::string_view name, int code) {
  return reg::read_string(HKEY_CURRENT_USER, detected_key(detected_category(code)), name, kMaxDetectedDate);
}

bool note_first_sighting(std::string_view name, std::string_view category) {
  if (category != detected::kActiveX && !file_exists(command_to_file(name))) return false;
  std::string key = detected_key(category);
  if (reg::value_exists(HKEY_CURRENT_USER, key, name)) return true;
  SYSTEMTIME t{};
  GetLocalTime(&t);
  char text[32];
  wsprintfA(text, "%02d/%02d/%04d %d:%02d %s", t.wMonth, t.wDay, t.wYear, t.wHour > 12 ? t.wHour - 12 : t.wHour,
            t.wMinute, t.wHour > 12 ? "PM" : "AM");
  reg::write_string(HKEY_CURRENT_USER, key, name, text);
  return false;
}

void initialise_register(bool) {}

void prune_category(std::string_view category) {
  std::string key = detected_key(category);
  std::vector<std::string> gone;
  for (const auto& name : reg::value_names(HKEY_CURRENT_USER, key))
    if (!name.empty() && !file_exists(command_to_file(name))) gone.push_back(name);
  for (const auto& name : gone) reg::delete_value(HKEY_CURRENT_USER, key, name);
}

void fill_startup_snapshot_hook(bool) {}
bool remove_titled_entry_hook(const std::string&, int, bool) { return false; }
bool remove_entries_containing_hook(const std::string&, bool) { return false; }

}  // namespace kestrom
