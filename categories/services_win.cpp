#include "categories/services_win.hpp"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "common/detected.hpp"
#include "common/history_log.hpp"
#include "common/paths.hpp"
#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "platform/service_handle.hpp"
#include "platform/reg_key.hpp"
#include "startup/enumerate.hpp"

namespace kestrom::services {

namespace {

using platform::RegKey;
using platform::UniqueService;

constexpr std::size_t kMaxImagePath = 1023;
constexpr std::size_t kKeyNameBuffer = 256;
constexpr std::size_t kSnapshotReadLimit = 32;

UniqueService open_manager() { return UniqueService(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT)); }

// The service by its display name, through the service manager's own key name: two services
// may carry the same display text in the registry, but the manager's lookup names one.
UniqueService open_service(std::string_view display_name, DWORD access, DWORD* error = nullptr) {
  auto fail = [&](DWORD e) {
    if (error) *error = e;
    return UniqueService();
  };
  UniqueService manager = open_manager();
  if (!manager) return fail(GetLastError());
  char key[kKeyNameBuffer] = {};
  DWORD size = sizeof key;
  if (!GetServiceKeyNameA(manager.get(), std::string(display_name).c_str(), key, &size))
    return fail(GetLastError());
  UniqueService service(OpenServiceA(manager.get(), key, access));
  if (!service) return fail(GetLastError());
  if (error) *error = ERROR_SUCCESS;
  return service;
}

ActionResult result_of(DWORD error) {
  if (error == ERROR_SUCCESS) return ActionResult::Done;
  return error == ERROR_ACCESS_DENIED ? ActionResult::Refused : ActionResult::NotDone;
}

std::optional<std::string> display_name_from(SC_HANDLE manager, const std::string& key) {
  if (!manager) return std::nullopt;
  std::string name(kMaxDisplayName + 1, '\0');
  DWORD size = static_cast<DWORD>(name.size());
  if (!GetServiceDisplayNameA(manager, key.c_str(), name.data(), &size)) return std::nullopt;
  name.resize(std::min<std::size_t>(size, kMaxDisplayName));
  if (auto nul = name.find('\0'); nul != std::string::npos) name.resize(nul);
  return name;
}

std::string text_value(const RegKey& key, std::string_view name, std::size_t limit) {
  auto raw = key.query(name);
  return raw ? reg::read_text(*raw, limit, reg::Expand::Yes) : std::string();
}

int number_value(const RegKey& key, std::string_view name) {
  auto raw = key.query(name);
  if (!raw || raw->type != REG_DWORD || raw->data.size() != sizeof(DWORD)) return -1;
  DWORD v = 0;
  std::memcpy(&v, raw->data.data(), sizeof v);
  return static_cast<int>(v);
}

bool is_microsoft_program(const std::string& file) {
  return contains(version_information(command_to_file(file)).company_name, "Microsoft");
}

std::string decimal(int n) { return std::to_string(n); }

}  // namespace

bool ServiceState::can_stop() const noexcept {
  return known && (controls & SERVICE_ACCEPT_STOP) != 0 && state != SERVICE_STOPPED && state != SERVICE_STOP_PENDING;
}

std::string start_type_text(int start) {
  int s = start_type_string(start);
  return s ? text::load(s) : std::string("0");
}

std::size_t list_services(ItemList& list, ListMode mode, const ItemRules& given_rules, bool hide_microsoft) {
  list.clear();
  // Many services share a file (the shared host) and every one has one of three start-type
  // texts: each text's long form is asked of the file system once per listing.
  ItemRules rules = given_rules;
  std::unordered_map<std::string, std::string> long_forms;
  if (given_rules.long_path)
    rules.long_path = [&](std::string_view text) {
      auto [at, added] = long_forms.try_emplace(std::string(text));
      if (added) at->second = given_rules.long_path(text);
      return at->second;
    };
  RegKey services = RegKey::open_read(HKEY_LOCAL_MACHINE, kServicesKey);
  if (!services) return 0;
  DWORD subkeys = 0;
  if (RegQueryInfoKeyA(services.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return 0;
  UniqueService manager;
  if (mode == ListMode::Full) manager = open_manager();

  for (DWORD i = 0; i <= subkeys; ++i) {
    char name[kKeyNameBuffer];
    DWORD len = sizeof name;
    LONG rc = RegEnumKeyExA(services.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS || len == 0) continue;
    const std::string key_name(name, len);
    RegKey key = RegKey::open_read(services.get(), key_name);
    if (!key) continue;
    std::string image = text_value(key, "ImagePath", kMaxImagePath);
    if (image.empty()) continue;
    if (mode == ListMode::Quick) {
      list.add(key_name, {}, {}, {}, kServiceExe, 0, rules);
      continue;
    }
    if (!listed_in_full(image)) continue;
    std::string title = display_name_from(manager.get(), key_name).value_or(std::string());
    if (title.empty()) title = text_value(key, "DisplayName", kMaxTitle);
    std::string description = text_value(key, "Description", kMaxDescriptionRead);
    std::string start = start_type_text(number_value(key, "Start"));
    int code = kServiceExe;
    std::string file = image;
    if (runs_in_svchost(image)) {
      code = kServiceSvchost;
      RegKey parameters = RegKey::open_read(key.get(), "Parameters");
      if (parameters) {
        std::string dll = text_value(parameters, "ServiceDll", kMaxImagePath);
        if (!dll.empty()) file = dll;
      }
    }
    if (hide_microsoft && is_microsoft_program(file)) continue;
    if (!list.add(title, file, start, description, code, 0, rules)) break;
  }
  return list.size();
}

std::size_t list_services(ItemList& list, ListMode mode, const ItemRules& rules) {
  return list_services(list, mode, rules, read_option(Opt::HideMicrosoftServices) > 0);
}

bool service_approved(std::string_view display_name) {
  return approves(reg::read_text(HKEY_CURRENT_USER, keys::kServicesSnapshot, display_name, kSnapshotReadLimit));
}

bool approve_service(std::string_view display_name, int code) {
  return reg::write_string(HKEY_CURRENT_USER, keys::kServicesSnapshot, display_name, decimal(code));
}

void build_services_snapshot(ItemList& list, const ItemRules& rules) {
  auto marker = reg::read_text(HKEY_CURRENT_USER, keys::kServicesSnapshot, "", kSnapshotReadLimit);
  if (marker.starts_with(kSnapshotMarker)) return;
  reg::delete_key_tree(HKEY_CURRENT_USER, keys::kServicesSnapshot);
  if (!reg::write_string(HKEY_CURRENT_USER, keys::kServicesSnapshot, "", kSnapshotMarker)) return;
  list_services(list, ListMode::Full, rules);
  for (const auto& item : list.items()) approve_service(item.title, item.code);
  list.clear();
}

bool services_changed(ItemList& list, const ItemRules& rules) {
  list_services(list, ListMode::Quick, rules, false);
  std::vector<std::string> names;
  names.reserve(list.size());
  for (const auto& item : list.items()) names.push_back(item.title);
  RegKey snapshot = RegKey::open_read(HKEY_CURRENT_USER, keys::kServicesSnapshot);
  return any_unapproved(names, [&](std::string_view name) {
    if (!snapshot) return false;
    auto raw = snapshot.query(name);
    return raw && approves(reg::read_text(*raw, kSnapshotReadLimit));
  });
}

std::optional<std::string> service_key_name(std::string_view display_name) {
  UniqueService manager = open_manager();
  if (!manager) return std::nullopt;
  char key[kKeyNameBuffer] = {};
  DWORD size = sizeof key;
  if (!GetServiceKeyNameA(manager.get(), std::string(display_name).c_str(), key, &size)) return std::nullopt;
  return std::string(key);
}

std::optional<std::string> service_display_name(std::string_view key_name) {
  UniqueService manager = open_manager();
  return display_name_from(manager.get(), std::string(key_name));
}

ServiceState service_state(std::string_view display_name) {
  ServiceState out;
  UniqueService service = open_service(display_name, SERVICE_INTERROGATE | SERVICE_QUERY_STATUS);
  if (!service) return out;
  SERVICE_STATUS status{};
  // A service that is stopped or busy cannot be interrogated; the manager still knows its
  // last reported state, and a pending service must not read as stopped.
  if (!ControlService(service.get(), SERVICE_CONTROL_INTERROGATE, &status) &&
      !QueryServiceStatus(service.get(), &status))
    return out;
  out.known = true;
  out.state = static_cast<int>(status.dwCurrentState);
  out.type = status.dwServiceType;
  out.controls = status.dwControlsAccepted;
  return out;
}

std::uint32_t service_status(std::string_view display_name) {
  ServiceState s = service_state(display_name);
  return s.known ? pack_status(static_cast<std::uint32_t>(s.state), s.type) : 0;
}

std::string service_status_text(std::string_view display_name, std::uint32_t* packed) {
  std::uint32_t status = service_status(display_name);
  if (packed) *packed = status;
  return text::load(status_string(state_of(status)));
}

ServiceStateTexts::ServiceStateTexts() {
  UniqueService manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  if (!manager) return;
  DWORD resume = 0;
  std::vector<BYTE> buffer(64 * 1024);
  for (;;) {
    DWORD needed = 0, count = 0;
    const BOOL done = EnumServicesStatusExA(manager.get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32 | SERVICE_DRIVER,
                                            SERVICE_STATE_ALL, buffer.data(), static_cast<DWORD>(buffer.size()),
                                            &needed, &count, &resume, nullptr);
    if (!done && GetLastError() != ERROR_MORE_DATA) return;
    const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSA*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
      if (entries[i].lpDisplayName)
        states_.emplace(to_upper(entries[i].lpDisplayName), static_cast<int>(entries[i].ServiceStatusProcess.dwCurrentState));
    if (done) return;
    if (count == 0) buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
  }
}

std::string ServiceStateTexts::text_of(std::string_view display_name) const {
  const auto it = states_.find(to_upper(display_name));
  return text::load(status_string(it == states_.end() ? state_of(0) : it->second));
}

int service_start_type(std::string_view display_name) {
  auto key = service_key_name(display_name);
  if (!key) return -1;
  RegKey k = RegKey::open_read(HKEY_LOCAL_MACHINE, std::string(kServicesKey) + "\\" + *key);
  return k ? number_value(k, "Start") : -1;
}

ActionResult stop_service(std::string_view display_name) {
  DWORD error = ERROR_SUCCESS;
  UniqueService service = open_service(display_name, SERVICE_STOP, &error);
  if (!service) return result_of(error);
  SERVICE_STATUS status{};
  if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) return ActionResult::Done;
  return result_of(GetLastError());
}

ActionResult set_service_start_type(std::string_view display_name, int start) {
  if (!position_of_start_type(start)) return ActionResult::NotDone;
  DWORD error = ERROR_SUCCESS;
  UniqueService service = open_service(display_name, SERVICE_CHANGE_CONFIG, &error);
  if (!service) return result_of(error);
  // The service manager writes the service's own "Start" value and uses the new type at once;
  // nothing is written under a key that the manager does not know.
  if (ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, static_cast<DWORD>(start), SERVICE_NO_CHANGE,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr))
    return ActionResult::Done;
  return result_of(GetLastError());
}

ActionResult stop_service_logged(const StartupItem& item) {
  ActionResult r = stop_service(item.title);
  if (r == ActionResult::Done) write_history(item.title, item.file, {}, item.code, action::kServiceStop);
  return r;
}

ActionResult change_service_start_type(const StartupItem& item, int start) {
  int old = service_start_type(item.title);
  ActionResult r = set_service_start_type(item.title, start);
  if (r != ActionResult::Done) return r;
  if (auto from = old_start_type_action(old)) write_history(item.title, item.file, {}, item.code, *from);
  if (auto to = start_type_action(start)) write_history(item.title, item.file, {}, item.code, *to);
  return r;
}

ActionResult refuse_new_service(const StartupItem& item) {
  int old = service_start_type(item.title);
  ActionResult stopped = stop_service(item.title);
  ActionResult disabled = set_service_start_type(item.title, kStartDisabled);
  if (disabled == ActionResult::Done) {
    if (auto from = old_start_type_action(old)) write_history(item.title, item.file, {}, item.code, *from);
  }
  if (stopped == ActionResult::Done) write_history(item.title, item.file, {}, item.code, action::kServiceStop);
  if (disabled == ActionResult::Done)
    write_history(item.title, item.file, {}, item.code, action::kServiceDisabled);
  return disabled;
}

std::string service_description_for_program(std::string_view program_file) {
  if (program_file.empty()) return {};
  RegKey services = RegKey::open_read(HKEY_LOCAL_MACHINE, kServicesKey);
  if (!services) return {};
  for (DWORD i = 0;; ++i) {
    char name[kKeyNameBuffer];
    DWORD len = sizeof name;
    const LONG rc = RegEnumKeyExA(services.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS || len == 0) continue;
    RegKey key = RegKey::open_read(services.get(), std::string(name, len));
    if (!key) continue;
    std::string file = text_value(key, "ImagePath", kMaxImagePath);
    if (file.empty()) continue;
    if (contains(file, "svchost.exe")) {
      // The shared host runs many services; only its library tells them apart.
      RegKey parameters = RegKey::open_read(key.get(), "Parameters");
      file = parameters ? text_value(parameters, "ServiceDll", kMaxImagePath) : std::string();
    }
    if (!file.empty() && iequals(command_to_file(file), program_file))
      return text_value(key, "Description", kMaxProgramDescription);
  }
  return {};
}

std::vector<std::string> service_files() {
  ItemList list;
  list_services(list, ListMode::Full, system_item_rules());
  return list.files();
}

}  // namespace kestrom::services
