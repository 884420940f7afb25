#include "common/info_server.hpp"

#include "common/pathtext.hpp"
#include "common/text.hpp"

namespace kestrom::info_server {

namespace {

bool page_character(char c) noexcept {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.';
}

}  // namespace

std::string escape_for_query(std::string_view text) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c == ' ') {
      out += "%20";
    } else if (c == '&') {
      out += '+';
    } else if (c < 0x20 || c >= 0x7f || c == '#' || c == '%' || c == '?' || c == '+' || c == '=' || c == '"' ||
               c == '<' || c == '>') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0f];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string_view basic_language(int language_id) noexcept {
  if (language_id == 7) return "de";
  if (language_id == 12) return "fr";
  return "en";
}

std::string server_base(std::string_view configured) {
  std::string base(configured);
  while (!base.empty() && (base.back() == '/' || base.back() == ' ')) base.pop_back();
  auto starts = [&](std::string_view p) { return base.size() > p.size() && iequals(base.substr(0, p.size()), p); };
  bool web = starts("http://") || starts("https://");
  // Blanks, quotes and controls in a base would break the fallback command line.
  for (char c : base)
    if (static_cast<unsigned char>(c) <= ' ' || c == '"') web = false;
  return web ? base : std::string(kDefaultServer);
}

std::string build_text(std::string_view monitor_version, bool explorer_present, std::string_view explorer_version) {
  std::string out(monitor_version);
  if (explorer_present) {
    out += ':';
    out += explorer_version;
  }
  return out;
}

std::string build_address(std::string_view base, Form form, const Facts& f, std::string_view language) {
  std::string a(base);
  const auto add = [&a](std::string_view key, std::string_view value) {
    a += key;
    a += escape_for_query(value);
  };
  const std::string type = std::to_string(f.type);
  if (form == Form::Basic) {
    a += "/cgi-bin/vantinfo.pl?program=";
    a += escape_for_query(f.file_name);
    add("&vendor=", f.company);
    add("&version=", f.product_version);
    add("&build=", f.build);
    add("&Type=", type);
    add("&Loc=", language);
    add("&ext=", extension_of_name(f.file_name));
  } else if (form == Form::Report) {
    a += "/cgi-bin/vantinfo.pl?program=";
    a += escape_for_query(f.file_name);
    add("&vendor=", f.company);
    add("&version=", f.product_version);
    add("&build=", f.build);
    add("&Type=", type);
    add("&Loc=", language.empty() ? std::string_view("en") : language);
  } else {
    a += "/cgi-bin/vantinfo12.pl?program=";
    a += escape_for_query(f.file_name);
    add("&Type=", type);
    add("&Loc=", language.empty() ? std::string_view("en") : language);
    add("&ext=", extension_of_name(f.file_name));
    add("&vendor=", f.company);
    add("&build=", f.build);
    add("&version=", f.product_version);
    add("&name=", f.product_name);
    add("&copy=", f.copyright);
    add("&detail=", f.description);
    add("&created=", f.created);
    add("&detected=", f.detected);
    add("&fsize=", f.size);
    add("&path=", f.path);
  }
  if (a.size() > kMaxAddress) {
    a.resize(kMaxAddress);
    // A cut through "%XX" would leave a broken escape at the end.
    auto pct = a.find_last_of('%');
    if (pct != std::string::npos && pct + 3 > a.size()) a.resize(pct);
  }
  return a;
}

std::string localised_help_page(std::string_view page, std::string_view language_code) {
  std::string out;
  if (language_code != "us") {
    out += language_code;
    out += '_';
  }
  out += page;
  return out;
}

std::string checked_help_page(std::string_view page) {
  bool ok = !page.empty() && page.size() <= kMaxHelpPageName && page.front() != '.' &&
            page.find("..") == std::string_view::npos;
  for (char c : page) ok = ok && page_character(c);
  return std::string(ok ? page : kDefaultHelpPage);
}

std::string help_page_address(std::string_view base, std::string_view page) {
  while (!base.empty() && base.back() == '/') base.remove_suffix(1);
  std::string out(base);
  out += '/';
  out += page;
  return out;
}

bool is_aol_browser(std::string_view http_open_command) noexcept { return contains(http_open_command, "waol.exe"); }

std::string aol_command(std::string_view aol_folder, std::string_view address) {
  // The program is quoted so that a folder with blanks ("C:\\AOL 9") can't start another
  // program, and the address so that it can never be read as further switches.
  std::string command = aol_folder.empty() ? std::string("waol.exe")
                                           : "\"" + std::string(aol_folder) + "\\WAOL.EXE\"";
  command += " -u \"";
  command += address;
  command += '"';
  return command;
}

}  // namespace kestrom::info_server
