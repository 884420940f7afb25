#include "common/lookup_win.hpp"

#include "common/detected.hpp"
#include "common/pathtext.hpp"
#include "common/paths.hpp"
#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "platform/process.hpp"

namespace kestrom::lookup {

namespace {

constexpr std::string_view kIEAppPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
constexpr std::string_view kHttpOpen = "http\\shell\\open\\command";
constexpr int kLanguageCodeString = 634;

std::string product_version_of(const std::string& file) {
  VersionInfo vi;
  version_information(file, vi);
  return vi.product_version;
}

}  // namespace

Request prepare_request(int type, std::string_view path, std::string_view current_item_name) {
  const bool data_form = read_option(Opt::VantFormat, Program::Explorer) != 0;
  Facts facts;
  facts.type = type;
  std::string file = command_to_file(path);
  facts.file_name = file.empty() ? std::string(current_item_name) : file_name_of_path(file);
  facts.path = std::string(path);
  VersionInfo vi;
  if (!file.empty()) version_information(file, vi);
  facts.company = vi.company_name;
  facts.product_version = vi.product_version;
  facts.product_name = vi.product_name;
  facts.copyright = vi.legal_copyright;
  facts.description = vi.file_description;

  const std::string folder = program_folder();
  const std::string monitor = folder + "\\Kestrom.exe";
  std::string explorer = folder + "\\KestromEx.exe";
  const bool explorer_present = file_exists(explorer);
  facts.build = build_text(product_version_of(monitor), explorer_present,
                           explorer_present ? product_version_of(explorer) : std::string());

  std::string language;
  if (data_form) {
    language = kestrom::text::load(kLanguageCodeString, 16);
    if (!file.empty()) {
      facts.created = creation_time_text(file);
      FileFacts ff;
      if (file_facts(file, ff)) facts.size = ff.size;
    }
    facts.detected = first_sighting(path, type);
  } else {
    language = std::string(basic_language(kestrom::text::language()));
  }

  Request r;
  const std::string base = server_base(reg::read_string(HKEY_LOCAL_MACHINE, keys::kProduct, kServerValue, 255));
  r.address = build_address(base, data_form ? Form::DataCollecting : Form::Basic, facts, language);

  std::string browser = reg::read_string(HKEY_CLASSES_ROOT, kHttpOpen, "");
  if (contains(browser, "waol.exe")) {
    r.through_aol = true;
    char folder_buf[MAX_PATH] = {};
    GetProfileStringA("WAOL", "AppPath", "", folder_buf, MAX_PATH);
    r.aol_command = folder_buf[0] ? std::string(folder_buf) + "\\WAOL.EXE -u" : std::string("waol.exe -u");
    r.aol_command += " \"" + r.address + "\"";
  }
  r.ie_fallback = !data_form || read_option(Opt::BrowserFailure, Program::Explorer) != 0;
  std::string ie = reg::read_string(HKEY_LOCAL_MACHINE, kIEAppPath, "Path");
  while (!ie.empty() && ie.back() == ';') ie.pop_back();
  r.ie_command = ie + "\\iexplore.exe " + r.address;
  return r;
}

int look_up_program(HWND owner, int type, std::string_view path, std::string_view current_item_name) {
  Request r = prepare_request(type, path, current_item_name);
  if (r.through_aol) {
    platform::start_command_line(r.aol_command);
    return 0;
  }
  if (!platform::open_in_shell(owner, r.address) && r.ie_fallback) platform::start_command_line(r.ie_command);
  return 0;
}

}  // namespace kestrom::lookup
