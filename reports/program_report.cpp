#include "reports/program_report.hpp"

#include "common/history.hpp"
#include "common/info_server.hpp"
#include "common/pathtext.hpp"
#include "reports/report_text.hpp"

namespace kestrom::reports {

namespace {

constexpr std::string_view kBr = "<br>\r\n";
constexpr std::string_view kNameGap =
    "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp";
constexpr std::string_view kVersionGap = "&nbsp;&nbsp;&nbsp;&nbsp&nbsp;&nbsp;&nbsp;&nbsp";
constexpr char kBullet = '\x95';  // the Windows-1252 bullet

std::string_view helper_key(int code) noexcept {
  switch (code) {
    case 900: return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
    case 901: return "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
    case 902: return "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
    default: return {};
  }
}

// A line of the system header: escaped texts put into a fixed shape, then the line end.
void header_line(std::string& out, std::initializer_list<std::string_view> parts) {
  for (auto p : parts) out += p;
  out += kBr;
}

}  // namespace

bool report_skips(const StartupItem& item) noexcept { return item.title.empty() && item.file.empty(); }

std::string information_link(const ReportEntry& e, const LinkParts& link) {
  info_server::Facts facts;
  facts.type = e.item.code;
  facts.file_name = e.program_name.empty() ? e.item.title : e.program_name;
  facts.company = e.company;
  facts.product_version = e.product_version;
  facts.build = link.build;
  return info_server::build_address(link.base, info_server::Form::Report, facts, link.language);
}

std::string html_head(const SystemHeader& h, const SectionTitles& titles) {
  std::string out = "<html><head><title>\r\nKestrom Report Log</title></head>\r\n<body bgcolor=FloralWhite>\r\n";
  out += "<H2 align='center'> Kestrom Report Log </H2>\r\n";
  const auto e = [](std::string_view t) { return html_escape(t); };

  header_line(out, {"Report created by ", e(h.product_title), " version ", e(h.version), " at ",
                    report_clock_text(h.now), ", on ", report_date_text(h.now)});
  out += kBr;
  header_line(out, {"<b>Platform:</b> ", e(h.platform)});
  if (h.browser_found)
    header_line(out, {"<b>Browser:</b> ", e(h.browser_product), " - <i>", e(h.browser_description), "</i> version ",
                      e(h.browser_version)});
  else
    header_line(out, {"Browser: Unable to find default browser."});
  out += "Memory currently in use: " + std::to_string(h.memory_load) + "%";
  out += kBr;
  out += "<br>";
  if (h.ie_found) {
    header_line(out, {"MSIE: ", e(h.ie_description), " (", e(h.ie_version), ")"});
    header_line(out, {"IE Cookie Path: ", e(h.ie_cookie_path), " "});
  } else {
    header_line(out, {"MSIE: Internet Explorer Not found."});
  }
  out += "\r\n";
  static constexpr std::array<std::string_view, 4> kBrowserNames{"America Online", "Firefox", "Mozilla", "Netscape"};
  for (std::size_t i = 0; i < h.browsers.size(); ++i) {
    if (!h.browsers[i]) continue;
    if (i == 0)
      header_line(out, {"America Online version ", e(h.browsers[i]->version)});
    else
      header_line(out, {kBrowserNames[i], " ", e(h.browsers[i]->version), " installed in ", e(h.browsers[i]->folder)});
  }
  out += kBr;
  static constexpr std::array<std::string_view, 5> kMainNames{"HKCU Window Title = ", "HKCU Default_Page_URL = ",
                                                              "HKLM Default_Page_URL = ", "HKCU Start Page = ",
                                                              "HKLM Start Page = "};
  for (std::size_t i = 0; i < h.ie_main.size(); ++i)
    if (h.ie_main[i]) header_line(out, {kMainNames[i], e(*h.ie_main[i])});
  out += kBr;
  static constexpr std::array<std::string_view, 4> kWinlogonNames{
      "WinLogon DefaultUserName=", "WinLogon DefaultDomainName=", "WinLogon Shell=", "WinLogon UserInit="};
  for (std::size_t i = 0; i < h.winlogon.size(); ++i)
    if (h.winlogon[i]) header_line(out, {kWinlogonNames[i], e(*h.winlogon[i])});
  out += kBr;
  out += "<br>";

  for (int i = 0; i < kContentsLines; ++i) {
    std::string_view title = titles[static_cast<std::size_t>(i)];
    if (i == kServicesSection && !title.empty() && title.front() == ' ') title.remove_prefix(1);
    out += "<A href='KestromLog.html#A" + std::to_string(i) + "'>" + e(title) + "</A><br>\r\n";
  }
  return out;
}

std::string html_section_head(int section, std::string_view title) {
  std::string out = "<A NAME=\"A" + std::to_string(section) + "\">\r\n";
  out += "<center><b><BIG><BIG> ";
  out += kBullet;
  out += ' ';
  out += html_escape(title);
  out += ' ';
  out += kBullet;
  out += " </BIG></BIG></b></center>\r\n";
  return out;
}

std::string html_entry(int section, const ReportEntry& en, const LinkParts& link, std::string_view location_word) {
  const StartupItem& it = en.item;
  const auto e = [](std::string_view t) { return html_escape(t); };
  const std::string name = e(file_name_of_path(it.file));
  std::string out;
  if (section == kHiddenFilesSection && !it.title.empty()) {
    out += "<li><b>" + name + "</b>\r\n\t<ol>\r\n";
  } else {
    out += "<li><b>";
    out += it.title.empty() ? std::string("No Description available") : e(it.title);
    out += "</b>\r\n\t<ol>" + name;
    out += kNameGap;
    out += "\r\n";
  }
  if (!en.description.empty()) out += "\t" + e(en.description) + "<br>";
  if (!en.product_version.empty()) {
    out += "\tVersion: " + e(en.product_version);
    out += kVersionGap;
    out += "\r\n";
  }
  if (!en.copyright.empty()) out += "\t" + e(en.copyright) + "<br>\r\n";
  if (en.description.empty() && en.copyright.empty()) out += "<br>";
  if (!en.location.empty()) out += "\tLocation: " + e(en.location) + "<br>\r\n";
  if (!it.file.empty()) out += "\tPath:     " + e(it.file) + "<br>\r\n";
  if (!en.detected.empty()) out += "\tFirst Detected by Kestrom: " + e(en.detected) + "<br>\r\n";
  if (!it.detail.empty()) out += "\t" + e(it.detail) + "<br>\r\n";
  if (section == kServicesSection) {
    out += "\tStartup Type: " + e(it.command) + "<br>\r\n";
    if (!en.service_state.empty()) out += "\tService Status: " + e(en.service_state) + "<br>\r\n";
  }
  if (section == kHiddenFilesSection) {
    out += "\tCreated: " + e(en.created) + "<br>\r\n";
    out += "\tAccessed: " + e(en.accessed) + "<br>\r\n";
    out += "\tWritten: " + e(en.written) + "<br>\r\n";
    out += "\tFile Size: " + e(en.size) + " Bytes<br>\r\n";
  }
  if (section == kIEHelpersSection) {
    out += e(location_word) + ": \"HKLM\\";
    out += e(helper_key(it.code));
    out += "\"<br>\r\n";
  }
  out += "\t<A href='" + e(information_link(en, link)) + "'>Click for Vant Info</A></ol>\r\n\r\n";
  out += "\t</ol><br>\r\n\r\n";
  return out;
}

std::string_view html_end() noexcept { return "</body></html>\r\n"; }

std::string_view text_head() noexcept { return "Title\tProgram\tDescription\tVersion\tCopyright\tLocation\tPath\r\n"; }

std::string text_section_head(std::string_view title) { return history_field_text(title) + "\r\n"; }

std::string text_entry(const ReportEntry& en) {
  const auto f = [](std::string_view t) { return history_field_text(t); };
  const StartupItem& it = en.item;
  std::string out = f(it.title) + "\t" + f(file_name_of_path(it.file)) + "\t";
  out += f(en.description) + "\t";
  out += f(en.product_version) + "\t";
  out += f(en.copyright) + "\t";
  out += f(en.location) + "\t";
  out += f(it.file) + "\r\n";
  return out;
}

}  // namespace kestrom::reports
