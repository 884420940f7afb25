// kestromcheck.exe run as the fleet tools run it: a console program whose exit code and output
// are read. The prefix is filled with unapproved entries; each must be reported once, --accept
// must approve them as the monitor's Yes does, and a run that cannot open its keys must fail
// without changing anything.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "categories/activex_win.hpp"
#include "categories/file_types_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "categories/tasks.hpp"
#include "common/history_log.hpp"
#include "common/product_keys.hpp"
#include "tests/wine/startup_test_support.hpp"
#include "tools/denied_key.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kDetectedKey = "Software\\Orvane\\Detected";
// A name a fleet's console must show as it is: written with the wide call, read back as UTF-8.
constexpr const wchar_t* kWideName = L"kt_check_\u00e9t\u00e9";
constexpr const char* kUtf8Name = "kt_check_\xC3\xA9t\xC3\xA9";

const std::string kHelper = "{6B7C1A01-0000-4000-8000-00000000C001}";
const std::string kControl = "{6B7C1A01-0000-4000-8000-00000000C002}";
constexpr const char* kJob = "kt_check_job";
constexpr const char* kIEMain = "Software\\Microsoft\\Internet Explorer\\Main";
const std::string kWatched = std::string(file_types::kClassKey);
const std::string kKtcClass = "Software\\Classes\\ktcfile\\shell\\open\\command";

std::string temp_file(const std::string& name) {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n) + name;
}

std::vector<nlohmann::json> json_lines(const std::string& output) {
  std::vector<nlohmann::json> out;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) out.push_back(nlohmann::json::parse(line));
  return out;
}

// Findings of `category` whose title or file holds `part`.
std::size_t count_in(const std::vector<nlohmann::json>& lines, const std::string& category, const std::string& part) {
  return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const nlohmann::json& j) {
    if (!j.contains("category") || j.at("category") != category) return false;
    return j.at("title").get<std::string>().find(part) != std::string::npos ||
           j.at("file").get<std::string>().find(part) != std::string::npos;
  }));
}

std::size_t count_titled(const std::vector<nlohmann::json>& lines, const std::string& title) {
  return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const nlohmann::json& j) {
    return j.contains("title") && j.at("title") == title;
  }));
}

class Check : public ::testing::Test {
 protected:
  void SetUp() override {
    clean();
    DeleteFileA(history_file_path().c_str());
  }
  void TearDown() override { clean(); }
  void clean() {
    clean_startup_state();
    delete_tree(HKEY_CURRENT_USER, kDetectedKey);
    delete_job_file(kJob);
    for (const auto& c : {kHelper, kControl}) {
      unregister_test_class(c);
      delete_tree(HKEY_LOCAL_MACHINE, std::string(helpers::kHelperObjectsKey) + "\\" + c);
      delete_tree(HKEY_CURRENT_USER, std::string(activex::kStatsKey) + "\\" + c);
    }
    for (const auto key : {keys::kIEHelpers, keys::kTasks, keys::kServicesSnapshot, keys::kHiddenSnapshot,
                           file_types::kExtKey, file_types::kExtAppKey, file_types::kExtProgIdKey, file_types::kClassKey})
      delete_tree(HKEY_CURRENT_USER, std::string(key));
    delete_tree(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom\\ActiveX");
    delete_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "StartPage");
    delete_tree(HKEY_LOCAL_MACHINE, "Software\\Classes\\.ktc");
    delete_tree(HKEY_LOCAL_MACHINE, "Software\\Classes\\ktcfile");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(hidden.c_str());
  }
  ConsoleRun check(std::string_view arguments) { return run_console_program(fixture("kestromcheck.exe"), arguments); }
  void fill_startup() {
    set_value(HKEY_CURRENT_USER, kRun, "kt_check_agent", agent + " /check");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRun, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const std::wstring data = L"\"" + std::wstring(agent.begin(), agent.end()) + L"\" /wide";
    RegSetValueExW(key, kWideName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  const std::string agent = fixture("kt_agent.exe");
  const std::string library = fixture("kt_browser_helper.dll");
  const std::string hidden = temp_file("kt_check_hidden.dat");
  // An entry in every category the check reports, none of them approved.
  void fill_every_category() {
  fill_startup();
  ensure_scheduler_running();
  ASSERT_TRUE(make_job(kJob, agent));
  service = std::make_unique<TestService>("kt_check_svc", "KT Check Service", agent);
  ASSERT_TRUE(*service);
  ASSERT_TRUE(register_test_class(kHelper, "Check Helper", library));
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, std::string(helpers::kHelperObjectsKey) + "\\" + kHelper, "", ""));
  ASSERT_TRUE(register_test_class(kControl, "Check Control", library));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, std::string(activex::kStatsKey) + "\\" + kControl, "", ""));
  // A watched file type whose program changed after it was recorded.
  set_value(HKEY_LOCAL_MACHINE, "Software\\Classes\\.ktc", "", "ktcfile");
  set_value(HKEY_LOCAL_MACHINE, kKtcClass, "", "C:\\Kt\\old.exe %1");
  set_value(HKEY_CURRENT_USER, kWatched, "", "KTC;");
  for (const auto& a : file_types::list_associations()) ASSERT_TRUE(file_types::record_file_type(a));
  set_value(HKEY_LOCAL_MACHINE, kKtcClass, "", "\"" + agent + "\" \"%1\"");
  {
    std::ofstream(hidden, std::ios::binary) << "kt";
  }
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  set_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "StartPage", "http://home.example/");
  set_value(HKEY_CURRENT_USER, kIEMain, "Start Page", "http://hijack.example/");

  }
  SavedValue start_page{HKEY_CURRENT_USER, kIEMain, "Start Page"};
  std::unique_ptr<TestService> service;
};

}  // namespace

TEST_F(Check, ReportsEachUnapprovedEntryOnceAndAcceptApprovesThemAsYesDoes) {
  fill_startup();
  const ConsoleRun first = check("--json --category Startup");
  ASSERT_EQ(first.exit_code, 1) << first.error;
  const auto lines = json_lines(first.output);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(count_titled(lines, "kt_check_agent"), 1u);
  EXPECT_EQ(count_titled(lines, kUtf8Name), 1u);
  for (const auto& j : lines) {
    if (!j.contains("title")) continue;
    EXPECT_EQ(j.at("category"), "Startup");
    if (j.at("title") == "kt_check_agent") {
      EXPECT_EQ(j.at("location"), "CURRENT_RUN");
      EXPECT_EQ(j.at("code"), 11);
      EXPECT_EQ(j.at("sha256").get<std::string>().size(), 64u);
      EXPECT_EQ(j.at("company"), "Fixture Works");
    }
  }
  const auto& summary = lines.back();
  EXPECT_EQ(summary.at("summary").at("Startup"), lines.size() - 1);
  // Only reported: nothing approved, noted or logged.
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kSnapshotKey, agent + " /check"));
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kDetectedKey));
  EXPECT_FALSE(exists(history_file_path()));

  const ConsoleRun accept = check("--category Startup --accept");
  EXPECT_EQ(accept.exit_code, 1) << accept.error;
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kSnapshotKey, agent + " /check"), "11");
  // The new-program alert's record, as if it had been shown and answered Yes.
  const std::string history = read_file(history_file_path());
  EXPECT_NE(history.find("kt_check_agent"), std::string::npos);
  EXPECT_NE(history.find("START_Alert"), std::string::npos);

  const ConsoleRun after = check("--json --category Startup");
  EXPECT_EQ(after.exit_code, 0) << after.output;
  const auto rest = json_lines(after.output);
  ASSERT_EQ(rest.size(), 1u);
  EXPECT_EQ(rest[0].at("total"), 0);
}

TEST_F(Check, CsvAndTableWriteOneLinePerFindingAndASummary) {
  fill_startup();
  const ConsoleRun csv = check("--csv --category Startup");
  ASSERT_EQ(csv.exit_code, 1);
  EXPECT_EQ(csv.output.rfind("category,kind,code,location,title,file,command,", 0), 0u);
  EXPECT_NE(csv.output.find("Startup,new,11,CURRENT_RUN,kt_check_agent,"), std::string::npos);
  EXPECT_NE(csv.output.find(",summary,"), std::string::npos);
  const ConsoleRun table = check("--category Startup");
  ASSERT_EQ(table.exit_code, 1);
  EXPECT_NE(table.output.find(kUtf8Name), std::string::npos);
  EXPECT_NE(table.output.find("findings: Startup"), std::string::npos);
}

TEST_F(Check, AKeyThatCannotBeOpenedStopsTheRunAndChangesNothing) {
  fill_startup();
  set_value(HKEY_CURRENT_USER, kSnapshotKey, "kt_other", "11");
  {
    DeniedKey locked(HKEY_CURRENT_USER, kSnapshotKey, true);
    ASSERT_TRUE(locked.denied);
    const ConsoleRun run = check("--json --accept");
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_TRUE(run.output.empty()) << run.output;
    EXPECT_NE(run.error.find("Orvane\\Kestrom\\Run"), std::string::npos) << run.error;
  }
  {
    // Readable but not writable: reporting works, approving is refused before anything changes.
    DeniedKey read_only(HKEY_CURRENT_USER, kSnapshotKey);
    ASSERT_TRUE(read_only.denied);
    EXPECT_EQ(check("--json --category Startup").exit_code, 1);
    const ConsoleRun run = check("--accept --category Startup");
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_NE(run.error.find("Orvane\\Kestrom\\Run"), std::string::npos) << run.error;
  }
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kSnapshotKey, agent + " /check"));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kSnapshotKey, "kt_other"), "11");
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kDetectedKey));
  EXPECT_FALSE(exists(history_file_path()));
}

TEST_F(Check, RefusedCommandLinesExitWithTwoAndSayWhy) {
  const ConsoleRun both = check("--json --csv");
  EXPECT_EQ(both.exit_code, 2);
  EXPECT_NE(both.error.find("--csv"), std::string::npos);
  EXPECT_NE(both.error.find("Usage: kestromcheck"), std::string::npos);
  const ConsoleRun unknown = check("--category Nowhere");
  EXPECT_EQ(unknown.exit_code, 2);
  EXPECT_NE(unknown.error.find("Nowhere"), std::string::npos);
  EXPECT_TRUE(unknown.output.empty());
}

TEST_F(Check, EveryCategoryReportsItsNewEntryOnceAndAcceptLeavesNothingToReport) {
  fill_every_category();
  const ConsoleRun first = check("--json");
  ASSERT_EQ(first.exit_code, 1) << first.error;
  // Kept for the JSON client (python3's own parser), which reads it from the prefix.
  const std::string folder = test_program_folder() + "\\check-run";
  CreateDirectoryA(folder.c_str(), nullptr);
  write_file(folder + "\\findings.jsonl", first.output);
  const auto lines = json_lines(first.output);
  EXPECT_EQ(count_in(lines, "Startup", "kt_check_agent"), 1u);
  EXPECT_EQ(count_in(lines, "Tasks", kJob), 1u) << first.output;
  EXPECT_EQ(count_in(lines, "Services", "KT Check Service"), 1u);
  EXPECT_EQ(count_in(lines, "IEHelpers", "kt_browser_helper.dll"), 1u) << first.output;
  EXPECT_EQ(count_in(lines, "ActiveX", "kt_browser_helper.dll"), 1u) << first.output;
  EXPECT_EQ(count_in(lines, "FileTypes", ".KTC"), 1u) << first.output;
  EXPECT_EQ(count_in(lines, "Hidden", "kt_check_hidden.dat"), 1u);
  EXPECT_EQ(count_in(lines, "Settings", "hijack.example"), 1u);
  const auto& summary = lines.back().at("summary");
  for (const char* c : {"Startup", "Tasks", "Services", "IEHelpers", "ActiveX", "FileTypes", "Hidden", "SystemFiles",
                        "Settings"})
    EXPECT_TRUE(summary.contains(c)) << c;
  EXPECT_EQ(lines.back().at("total"), lines.size() - 1);
  // Reporting changed nothing: the hijacked page, the changed program and the job all stay.
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kIEMain, "Start Page"), "http://hijack.example/");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "StartPage"), "http://home.example/");
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kKtcClass, ""), "\"" + agent + "\" \"%1\"");
  EXPECT_FALSE(exists(history_file_path()));
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kDetectedKey));

  const ConsoleRun accept = check("--accept");
  EXPECT_EQ(accept.exit_code, 1) << accept.error;
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "StartPage"), "http://hijack.example/");
  const ConsoleRun after = check("--json");
  EXPECT_EQ(after.exit_code, 0) << after.output;
  EXPECT_EQ(json_lines(after.output).back().at("total"), 0);
}

TEST_F(Check, APolicyExportedHereAndImportedIntoClearedSnapshotsLeavesNothingToReport) {
  fill_every_category();
  ASSERT_EQ(check("--accept").exit_code, 1);
  const std::string policy = temp_file("kt-check-policy.json");
  DeleteFileA(policy.c_str());
  const ConsoleRun exported = check("--export-policy \"" + policy + "\"");
  ASSERT_EQ(exported.exit_code, 0) << exported.error;

  // A machine with the same entries whose approvals were never given.
  for (const auto key : {keys::kRunSnapshot, keys::kIEHelpers, keys::kTasks, keys::kServicesSnapshot,
                         keys::kHiddenSnapshot, file_types::kExtKey, file_types::kExtAppKey, file_types::kExtProgIdKey,
                         file_types::kClassKey})
    delete_tree(HKEY_CURRENT_USER, std::string(key));
  delete_tree(HKEY_CURRENT_USER, "Software\\Orvane\\Kestrom\\ActiveX");
  delete_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "StartPage");
  EXPECT_EQ(check("--json").exit_code, 1);

  // A document cut short is refused whole: exit 2, said why, nothing approved.
  const std::string text = read_file(policy);
  const std::string cut = temp_file("kt-check-policy-cut.json");
  write_file(cut, text.substr(0, text.size() / 2));
  const ConsoleRun refused = check("--import-policy \"" + cut + "\"");
  EXPECT_EQ(refused.exit_code, 2);
  EXPECT_NE(refused.error.find("kt-check-policy-cut.json"), std::string::npos) << refused.error;
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, std::string(keys::kRunSnapshot)));
  DeleteFileA(cut.c_str());

  SavedValue started(HKEY_CURRENT_USER, std::string(keys::kProduct), "");
  set_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "", "12/7/2026");
  const ConsoleRun imported = check("--import-policy \"" + policy + "\"");
  EXPECT_EQ(imported.exit_code, 0) << imported.error;
  const ConsoleRun after = check("--json");
  EXPECT_EQ(after.exit_code, 0) << after.output;
  DeleteFileA(policy.c_str());
}

TEST_F(Check, ADelayedProgramThatPutItselfBackIsReportedAsSuchAndAcceptKeepsIt) {
  set_value(HKEY_CURRENT_USER, kRun, "kt_check_back", agent + " /back");
  set_value(HKEY_CURRENT_USER, kSnapshotKey, agent + " /back", "1103");
  const ConsoleRun run = check("--json --category Startup");
  ASSERT_EQ(run.exit_code, 1);
  std::size_t put_back = 0;
  for (const auto& j : json_lines(run.output))
    if (j.contains("title") && j.at("title") == "kt_check_back") put_back += j.at("kind") == "put back" ? 1 : 0;
  EXPECT_EQ(put_back, 1u);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kSnapshotKey, agent + " /back"), "1103");
  EXPECT_EQ(check("--category Startup --accept").exit_code, 1);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kSnapshotKey, agent + " /back"), "11");
}
