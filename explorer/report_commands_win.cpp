#include "explorer/report_commands_win.hpp"

#include "common/msgbox.hpp"
#include "common/paths.hpp"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "explorer/string_ids.h"
#include "reports/csv_log.hpp"
#include "reports/csv_log_win.hpp"
#include "reports/program_report_win.hpp"

namespace kestrom::explorer {

namespace {

HWND owner_of(const App& app) { return app.sheet ? app.sheet : app.owner; }

void tell_not_written(const App& app, const std::string& path) {
  message_box(owner_of(app), fill_question(text::load(IDS_REPORT_NOT_WRITTEN), path), MB_OK | MB_ICONEXCLAMATION);
}

reports::ProgramReportTexts report_texts() {
  static constexpr int kTitles[reports::kSectionCount] = {
      IDS_PAGE_STARTUP,    IDS_PAGE_DELAYED_START, IDS_PAGE_ACTIVE_TASKS,  IDS_PAGE_SCHEDULED_TASKS, IDS_PAGE_IE_HELPERS,
      IDS_PAGE_FILE_TYPES, IDS_PAGE_SERVICES,      IDS_PAGE_HIDDEN_FILES, IDS_PAGE_ACTIVEX};
  reports::ProgramReportTexts t;
  for (int i = 0; i < reports::kSectionCount; ++i) t.titles[static_cast<std::size_t>(i)] = text::load(kTitles[i]);
  t.location_word = text::load(IDS_REPORT_LOCATION);
  return t;
}

}  // namespace

void wire_report_commands(App& app) {
  app.hooks.program_report = [&app] {
    const reports::ReportOutcome out = reports::write_program_report(owner_of(app), report_texts());
    if (!out.written) tell_not_written(app, out.path);
  };
  app.hooks.spreadsheet_report = [&app] {
    const std::string path = program_folder() + "\\" + std::string(reports::kCsvLogName);
    if (!reports::write_csv_log(owner_of(app), path)) tell_not_written(app, path);
  };
}

}  // namespace kestrom::explorer
