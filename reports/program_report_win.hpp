// The program report on this system: the items of every category, each section listed into
// a list of the report's own just before it is written, the system header, the file and the
// shell's "open".
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "common/item_list.hpp"
#include "reports/program_report.hpp"

namespace kestrom::reports {

// The texts the report takes from the explorer's string table.
struct ProgramReportTexts {
  SectionTitles titles;       // strings 606, 609, 607, 680, 694, 739, 636, 973, 1155
  std::string location_word;  // string 716
};

// Fills the list with one section's items (the list is emptied first by the writer).
using SectionLister = std::function<void(ItemList&)>;
using SectionListers = std::array<SectionLister, kSectionCount>;

// The listings of every category this build has; a category not built in lists nothing, so its
// section is written without items.
SectionListers system_section_listers();

// The facts the report shows about one item of a section.
ReportEntry gather_report_entry(int section, const StartupItem& item);
SystemHeader gather_system_header();
LinkParts report_link_parts();

// Writes the report at `path`: HTML when `html`, else the text form. False when the file
// could not be created or not completely written.
bool write_program_report_file(const std::string& path, bool html, const ProgramReportTexts& texts,
                               const SectionListers& listers);

// The command: "KestromLog.html" (Format 0) or "KestromLog.txt" in the current folder, written
// and then opened with the shell. Returns the path; `written` tells whether the file is complete
// (nothing is opened otherwise).
struct ReportOutcome {
  std::string path;
  bool written = false;
};
ReportOutcome write_program_report(HWND owner, const ProgramReportTexts& texts);

}  // namespace kestrom::reports
