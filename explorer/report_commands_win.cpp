#include "explorer/report_commands_win.hpp"

#include "common/msgbox.hpp"
#include "common/paths.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "explorer/string_ids.h"
#include "reports/csv_log.hpp"
#include "reports/csv_log_win.hpp"
#include "reports/program_report_win.hpp"
#include "reports/registry_backup.hpp"
#include "reports/registry_backup_win.hpp"
#include "reports/scan_log_win.hpp"

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

// "E&xport Settings": the saved file is named only once it was written whole.
void export_settings_and_tell(const App& app) {
  if (const auto path = reports::export_settings()) {
    message_box(owner_of(app), fill_question(text::load(IDS_SETTINGS_EXPORTED), *path), MB_OK | MB_ICONINFORMATION);
  } else {
    tell_not_written(app, program_folder() + "\\" + user_name() + std::string(reports::kBackupFileEnding));
  }
}

// The scan log, by its button and when the program's file is named "hijack...".
void write_scan_log(const App& app, const std::string& path) {
  reports::ScanTexts texts;
  texts.product_title = text::load(IDS_PRODUCT_NAME);
  texts.processes_heading = text::load(IDS_RUNNING_PROCESSES);
  for (int level = 1; level <= 4; ++level)
    texts.auto_update[static_cast<std::size_t>(level)] = text::load(IDS_AUTO_UPDATE_CAPTION + level);
  if (!reports::write_scan_log(owner_of(app), path, texts)) tell_not_written(app, path);
}

}  // namespace

void wire_report_commands(App& app) {
  app.hooks.export_settings = [&app] { export_settings_and_tell(app); };
  app.hooks.write_scan_log = [&app](const std::string& path) { write_scan_log(app, path); };
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
