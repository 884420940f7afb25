// The program report's lines: the HTML page ("KestromLog.html") with its system header and
// table of contents, or the tab-separated text form ("KestromLog.txt"). Pure: the Windows side
// gathers the entries and the system's facts and writes what these functions return.
#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/datetext.hpp"
#include "common/item_list.hpp"

namespace kestrom::reports {

inline constexpr std::string_view kHtmlReportName = "KestromLog.html";
inline constexpr std::string_view kTextReportName = "KestromLog.txt";

// The sections, always all of them and in this order.
enum Section : int {
  kStartupSection,
  kDelayedSection,
  kActiveTasksSection,
  kScheduledTasksSection,
  kIEHelpersSection,
  kFileTypesSection,
  kServicesSection,
  kHiddenFilesSection,
  kActiveXSection,
  kSectionCount
};
// The table of contents names the first seven.
inline constexpr int kContentsLines = 7;

// What the report says about one item, gathered by the Windows side.
struct ReportEntry {
  StartupItem item;
  std::string program_name;  // the file name of the program the item starts; empty when none
  std::string product_version, company, description, copyright;
  std::string location;       // the location display text
  std::string detected;       // the First-Detected date
  std::string service_state;  // Services: the state text
  std::string created, accessed, written, size;  // Hidden Files: the file's times and size
};

// An item whose title and file are both empty is left out.
bool report_skips(const StartupItem& item) noexcept;

// The information link's fixed parts: the server base, the programs' build text and the
// language code (string 634).
struct LinkParts {
  std::string base, build, language;
};
std::string information_link(const ReportEntry& e, const LinkParts& link);

struct SystemHeader {
  std::string product_title, version;
  LocalTime now;
  std::string platform;
  bool browser_found = false;
  std::string browser_product, browser_description, browser_version;
  unsigned memory_load = 0;
  bool ie_found = false;
  std::string ie_description, ie_version, ie_cookie_path;
  // AOL, Firefox, Mozilla, Netscape in that order, when the App Paths key knows them.
  struct Installed {
    std::string version, folder;
  };
  std::array<std::optional<Installed>, 4> browsers;
  // HKCU Window Title, HKCU Default_Page_URL, HKLM Default_Page_URL, HKCU Start Page, HKLM Start Page.
  std::array<std::optional<std::string>, 5> ie_main;
  // Winlogon DefaultUserName, DefaultDomainName, Shell, UserInit.
  std::array<std::optional<std::string>, 4> winlogon;
};

using SectionTitles = std::array<std::string, kSectionCount>;

// ---- HTML form
// The head: title, heading, system header and table of contents.
std::string html_head(const SystemHeader& header, const SectionTitles& titles);
std::string html_section_head(int section, std::string_view title);
// `location_word` is string 716, used by the IE Helpers section's registry line.
std::string html_entry(int section, const ReportEntry& e, const LinkParts& link, std::string_view location_word);
std::string_view html_end() noexcept;

// ---- Text form
std::string_view text_head() noexcept;
std::string text_section_head(std::string_view title);
std::string text_entry(const ReportEntry& e);

}  // namespace kestrom::reports
