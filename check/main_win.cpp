// kestromcheck.exe: the monitor's checks without a window, for scheduled tasks and fleet tools.
// Exit code 0: nothing to report; 1: findings reported; 2: the check could not run.
#include <windows.h>

#include <string>
#include <vector>

#include "check/check_args.hpp"
#include "check/check_win.hpp"
#include "check/console_win.hpp"
#include "check/findings.hpp"
#include "check/policy_win.hpp"
#include "check/string_ids.h"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "platform/guard.hpp"
#include "platform/wide_text.hpp"

namespace {

using namespace kestrom;
using namespace kestrom::check;

constexpr int kExitClean = 0;
constexpr int kExitFindings = 1;
constexpr int kExitFailed = 2;

int fail(int message, std::string_view subject) {
  std::string text = text::load(message);
  if (!subject.empty()) text = fill_question(text, subject);
  write_error_line(text);
  return kExitFailed;
}

TableTexts table_texts() {
  TableTexts t;
  for (int id = IDS_CHECK_HEAD_CATEGORY; id <= IDS_CHECK_HEAD_DETECTED; ++id) t.heads.push_back(text_utf8(id));
  t.summary = text_utf8(IDS_CHECK_SUMMARY);
  t.nothing = text_utf8(IDS_CHECK_NOTHING_FOUND);
  return t;
}

bool write_findings(const CheckRun& run, OutputForm form, bool accepted) {
  const auto counts = count_findings(run.categories, run.findings);
  Output out;
  switch (form) {
    case OutputForm::Json:
      // JSON Lines end each object with a line feed alone.
      for (const auto& f : run.findings) out.text(json_line(f) + "\n");
      out.text(json_summary_line(counts) + "\n");
      break;
    case OutputForm::Csv:
      out.text(csv_header_line());
      for (const auto& f : run.findings) out.text(csv_line(f));
      out.text(csv_summary_line(counts));
      break;
    case OutputForm::Table:
    default:
      for (const auto& l : table_lines(run.findings, counts, table_texts())) out.line(l);
      if (accepted && !run.findings.empty() && !run.error) out.line(text_utf8(IDS_CHECK_APPROVED));
      break;
  }
  return out.ok();
}

int run(const std::vector<std::string>& words) {
  const ParsedArguments parsed = parse_check_arguments(words);
  if (parsed.error) {
    fail(parsed.error->message, parsed.error->word);
    write_error_line(text::load(IDS_CHECK_USAGE));
    return kExitFailed;
  }
  const CheckArguments& a = parsed.arguments;
  if (!a.export_policy.empty() || !a.import_policy.empty()) {
    const PolicyOutcome outcome = a.export_policy.empty() ? import_policy(platform::to_wide(a.import_policy))
                                                          : export_policy(platform::to_wide(a.export_policy));
    if (!outcome.message.empty()) write_error_line(outcome.message);
    return outcome.ok ? kExitClean : kExitFailed;
  }

  const CheckRun result = run_check(a.categories, a.accept);
  if (result.error && result.findings.empty()) return fail(result.error->message, result.error->subject);
  if (!write_findings(result, a.form, a.accept)) return fail(IDS_CHECK_OUTPUT_FAILED, {});
  // An approval Windows refused part-way is told after the findings it concerns.
  if (result.error) return fail(result.error->message, result.error->subject);
  return result.findings.empty() ? kExitClean : kExitFindings;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
  // A fault anywhere is a check that could not run, never a clean result.
  return platform::guarded("check", [&] { return run(words); }, [] { return kExitFailed; });
}
