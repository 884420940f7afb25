#include "common/info_server_win.hpp"

#include "common/detected.hpp"
#include "common/language.hpp"
#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "platform/process.hpp"

namespace kestrom::info_server {

namespace {

constexpr std::string_view kIEAppPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
constexpr std::string_view kHttpOpen = "http\\shell\\open\\command";
constexpr std::size_t kServerValueLimit = 255;

std::string product_version_of(const std::string& file) {
  VersionInfo vi;
  version_information(file, vi);
  return vi.product_version;
}

std::string configured_base() {
  return server_base(reg::read_string(HKEY_LOCAL_MACHINE, keys::kProduct, kServerValue, kServerValueLimit));
}

// The AOL program's command for the address when AOL is the user's browser, else empty.
std::string aol_command_for(std::string_view address) {
  if (!is_aol_browser(reg::read_string(HKEY_CLASSES_ROOT, kHttpOpen, ""))) return {};
  char folder[MAX_PATH] = {};
  GetProfileStringA("WAOL", "AppPath", "", folder, MAX_PATH);
  return aol_command(folder, address);
}

}  // namespace

std::string configured_server_base() { return configured_base(); }

std::string programs_build_text() {
  // Read once per run: the version resources sit in the programs' own files (which Windows reads
  // whole for them), and only an installer replaces those files, after ending both programs.
  static const std::string text = [] {
    const std::string folder = program_folder();
    const std::string monitor = folder + "\\Kestrom.exe";
    std::string explorer = folder + "\\KestromEx.exe";
    const bool explorer_present = file_exists(explorer);
    return build_text(product_version_of(monitor), explorer_present,
                      explorer_present ? product_version_of(explorer) : std::string());
  }();
  return text;
}

Request prepare_request(int type, std::string_view path, std::string_view current_item_name) {
  const bool data_form = read_option(Opt::VantFormat, Program::Explorer) != 0;
  Facts facts;
  facts.type = type;
  std::string file = command_to_file(path);
  facts.file_name = std::string(file.empty() ? current_item_name : file_name_of_path(file));
  facts.path = std::string(path);
  VersionInfo vi;
  if (!file.empty()) version_information(file, vi);
  facts.company = vi.company_name;
  facts.product_version = vi.product_version;
  facts.product_name = vi.product_name;
  facts.copyright = vi.legal_copyright;
  facts.description = vi.file_description;

  facts.build = programs_build_text();

  std::string language;
  if (data_form) {
    language = kestrom::text::load(IDS_LANGUAGE_CODE, 16);
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
  r.address = build_address(configured_base(), data_form ? Form::DataCollecting : Form::Basic, facts, language);
  r.aol_command = aol_command_for(r.address);
  r.through_aol = !r.aol_command.empty();
  r.ie_fallback = !data_form || read_option(Opt::BrowserFailure, Program::Explorer) != 0;
  std::string ie = reg::read_string(HKEY_LOCAL_MACHINE, kIEAppPath, "Path");
  while (!ie.empty() && ie.back() == ';') ie.pop_back();
  r.ie_command = "\"" + ie + "\\iexplore.exe\" " + r.address;
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

void open_help_page(HWND owner, std::string_view page) {
  const std::string name = checked_help_page(page);
  const std::string folder = program_folder();
  if (!folder.empty()) {
    const std::string local = folder + "\\" + name;
    const DWORD attributes = GetFileAttributesA(local.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      platform::open_in_shell(owner, local, folder);
      return;
    }
  }
  const std::string address = help_page_address(configured_base(), name);
  if (const std::string aol = aol_command_for(address); !aol.empty()) {
    platform::start_command_line(aol);
    return;
  }
  platform::open_in_shell(owner, address);
}

}  // namespace kestrom::info_server
