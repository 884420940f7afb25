// The approved policy on a real registry: exported from a prefix with approvals in every
// category, imported after the snapshots were cleared, it approves the same again; a document
// that is wrong anywhere changes nothing; a write Windows refuses leaves its category as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "categories/activex_win.hpp"
#include "categories/file_types_win.hpp"
#include "categories/hidden_files.hpp"
#include "categories/hidden_files_win.hpp"
#include "categories/services_win.hpp"
#include "categories/setting_watch_win.hpp"
#include "categories/system_files_win.hpp"
#include "categories/tasks.hpp"
#include "check/policy.hpp"
#include "check/policy_win.hpp"
#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/run_keys.hpp"
#include "platform/wide_text.hpp"
#include "startup/enumerate.hpp"
#include "startup/snapshot.hpp"
#include "tools/denied_key.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::check;
using namespace kestrom::test;

namespace {

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Names a careless writer would break: quotes, backslashes, a control character, non-ASCII.
const std::string kHostileRunName = "Pölicy \"quoted\" \\ tab\there";
// The startup snapshot names an entry by its file: a "=" in it is kept as ":".
const std::string kHostileRunFile = "C:\\Program Files\\Pölicy=Täst\\app.exe";
const std::string kHostileTask = "Nächtlich \"Backup\".job";
const std::string kHelper = "Policy Bar \\ \"beta\"";
const std::string kControl = "{0E0E0E0E-1111-2222-3333-444444444444}";
const std::string kSysfileName = "PolicyTest.txt";

// Every snapshot key the policy covers, HKCU unless noted.
const std::string_view kSnapshotKeys[] = {
    keys::kRunSnapshot, keys::kServicesSnapshot, keys::kTasks, keys::kIEHelpers, activex::kSnapshotKey,
    kHiddenSnapshotKey, file_types::kExtKey, file_types::kExtAppKey, file_types::kExtProgIdKey, file_types::kClassKey};

std::string temp_path(const std::string& name) {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n) + name;
}

std::wstring wide(const std::string& s) { return platform::to_wide(s); }

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Every value of every snapshot key and of the watched system file's record, as stored.
std::map<std::string, std::string> snapshot_state() {
  std::map<std::string, std::string> state;
  auto dump = [&](HKEY root, const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
    char name[16384];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
      DWORD name_size = sizeof name, data_size = sizeof data, type = 0;
      if (RegEnumValueA(k, i, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
      state[key + "|" + std::string(name, name_size)] =
          std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), data_size);
    }
    RegCloseKey(k);
  };
  for (auto key : kSnapshotKeys) dump(HKEY_CURRENT_USER, std::string(key));
  dump(HKEY_CURRENT_USER, std::string(keys::kProduct));
  dump(HKEY_LOCAL_MACHINE, std::string(keys::kSysfiles) + "\\" + kSysfileName);
  return state;
}

// The policy the snapshots make now, its hidden files' approval dates left out (an import
// approves a hidden file on the day it runs).
std::string approvals_now(const std::string& scratch) {
  const auto out = export_policy(wide(scratch));
  EXPECT_TRUE(out.ok) << out.message;
  auto read = read_policy(read_all(scratch));
  EXPECT_TRUE(read.policy);
  if (!read.policy) return {};
  for (auto& h : read.policy->hidden_files) h.approved.clear();
  return write_policy(*read.policy);
}

std::size_t count_of(const PolicyOutcome& outcome, std::string_view category) {
  for (const auto& c : outcome.categories)
    if (c.category == category) return c.entries;
  return 0;
}

class PolicyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The product has started here: its snapshots exist to merge into.
    product_ = std::make_unique<SavedValue>(HKEY_CURRENT_USER, std::string(keys::kProduct), "");
    set_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "", "12/7/2026");
    policy_ = temp_path("kestrom-policy.json");
    scratch_ = temp_path("kestrom-policy-scratch.json");
    hidden_ = temp_path("Policy Hidden ü.dat");
    sysfile_ = temp_path(kSysfileName);
    set_value(HKEY_CURRENT_USER, kRun, kHostileRunName, kHostileRunFile);
    write_file(hidden_, "hidden");
    SetFileAttributesA(hidden_.c_str(), FILE_ATTRIBUTE_HIDDEN);
    write_file(sysfile_, "127.0.0.1 localhost\r\n# \"policy\" test\r\n");
  }
  void TearDown() override {
    delete_value(HKEY_CURRENT_USER, kRun, kHostileRunName);
    SetFileAttributesA(hidden_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(hidden_.c_str());
    DeleteFileA(sysfile_.c_str());
    DeleteFileA(policy_.c_str());
    DeleteFileA(scratch_.c_str());
    delete_tree(HKEY_LOCAL_MACHINE, std::string(keys::kSysfiles) + "\\" + kSysfileName);
    DeleteFileA(system_file_vault_copy(kSysfileName).c_str());
    product_.reset();
  }

  // What the product's own start-up and answers approve, plus entries of the categories whose
  // real sources this prefix lacks, written as the product writes them.
  void approve_everything() {
    ItemList list;
    build_startup_snapshot(list, StartupScan{}, system_item_rules());
    services::build_services_snapshot(list, system_item_rules());
    set_value(HKEY_CURRENT_USER, std::string(keys::kTasks), kHostileTask, "800");
    set_value(HKEY_CURRENT_USER, std::string(keys::kIEHelpers), kHelper, "901");
    activex::write_activex_seen(kControl);
    ASSERT_TRUE(approve_hidden_file(hidden_));
    file_types::build_file_type_snapshot();
    take_setting_copies(false);
    ASSERT_EQ(record_system_file({kSysfileName, sysfile_, "a \"test\" file"}), ActionResult::Done);
  }

  void clear_snapshots() {
    for (auto key : kSnapshotKeys) delete_tree(HKEY_CURRENT_USER, std::string(key));
    for (const auto& page : watched_pages()) delete_value(HKEY_CURRENT_USER, std::string(keys::kProduct), std::string(page.copy_name));
    delete_tree(HKEY_LOCAL_MACHINE, std::string(keys::kSysfiles) + "\\" + kSysfileName);
    DeleteFileA(system_file_vault_copy(kSysfileName).c_str());
  }

  std::unique_ptr<SavedValue> product_;
  std::string policy_, scratch_, hidden_, sysfile_;
};

}  // namespace

TEST_F(PolicyTest, ExportedFromOnePrefixAndImportedIntoClearedSnapshotsApprovesTheSameEntries) {
  clear_snapshots();
  approve_everything();
  ItemList list;
  ASSERT_FALSE(startup_changed(list, StartupScan{}, system_item_rules()));
  const std::string before = approvals_now(scratch_);

  const auto exported = export_policy(wide(policy_));
  ASSERT_TRUE(exported.ok) << exported.message;
  for (auto category : {kStartupMember, kServicesMember, kTasksMember, kIEHelpersMember, kActiveXMember,
                        kHiddenFilesMember, kFileTypesMember, kSettingsMember, kSystemFilesMember})
    EXPECT_GT(count_of(exported, category), 0u) << category;
  // What a person reads: the hostile name as written, with its location's name.
  const std::string text = read_all(policy_);
  EXPECT_NE(text.find("\"format\": \"kestrom-approved-policy\""), std::string::npos);
  EXPECT_NE(text.find("\"name\": \"C:\\\\Program Files\\\\Pölicy:Täst\\\\app.exe\""), std::string::npos)
      << text.substr(0, 2000);
  EXPECT_NE(text.find("\"name\": \"Nächtlich \\\"Backup\\\".job\""), std::string::npos);
  EXPECT_NE(text.find("\"CURRENT_RUN\""), std::string::npos);

  clear_snapshots();
  ASSERT_TRUE(startup_changed(list, StartupScan{}, system_item_rules()));
  const auto imported = import_policy(wide(policy_));
  ASSERT_TRUE(imported.ok) << imported.message;
  EXPECT_TRUE(imported.message.empty()) << imported.message;
  EXPECT_GT(count_of(imported, kStartupMember), 0u);
  EXPECT_EQ(count_of(imported, kSystemFilesMember), 1u);

  EXPECT_FALSE(startup_changed(list, StartupScan{}, system_item_rules()));
  EXPECT_FALSE(system_file_changed({kSysfileName, sysfile_, ""}));
  EXPECT_EQ(read_all(system_file_vault_copy(kSysfileName)), read_all(sysfile_));
  EXPECT_EQ(approvals_now(scratch_), before);

  // Merge, never remove: a second import approves nothing new and takes nothing away.
  set_value(HKEY_CURRENT_USER, std::string(keys::kTasks), "Only Here.job", "800");
  const auto again = import_policy(wide(policy_));
  ASSERT_TRUE(again.ok) << again.message;
  for (const auto& c : again.categories) EXPECT_EQ(c.entries, 0u) << c.category;
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(keys::kTasks), "Only Here.job"), "800");
}

TEST_F(PolicyTest, ASystemFileWhoseContentDiffersHereIsNotApprovedAndSaidSo) {
  clear_snapshots();
  approve_everything();
  ASSERT_TRUE(export_policy(wide(policy_)).ok);
  clear_snapshots();
  write_file(sysfile_, "0.0.0.0 bank.example\r\n");
  const auto imported = import_policy(wide(policy_));
  EXPECT_TRUE(imported.ok) << imported.message;
  EXPECT_NE(imported.message.find(sysfile_), std::string::npos) << imported.message;
  EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, std::string(keys::kSysfiles) + "\\" + kSysfileName));
}

TEST_F(PolicyTest, ADocumentWrongAnywhereIsRefusedWithItsReasonAndChangesNothing) {
  clear_snapshots();
  approve_everything();
  ASSERT_TRUE(export_policy(wide(policy_)).ok);
  const std::string good = read_all(policy_);
  clear_snapshots();
  const auto state = snapshot_state();

  std::string last_entry_bad = good;
  // The last category's entry is wrong: everything before it would have been importable.
  const std::size_t name_at = last_entry_bad.rfind("\"name\": \"") + 9;
  last_entry_bad.replace(name_at, last_entry_bad.find('"', name_at) - name_at, "..\\\\evil");
  std::string oversized = good;
  oversized.resize(kPolicyMaxBytes + 1, ' ');
  const struct {
    std::string text, says;
  } cases[] = {
      {good.substr(0, good.size() / 2), "not valid JSON"},
      {"", "not valid JSON"},
      {"{\"format\":\"someone-else\",\"version\":1,\"startup\":[]}", "is not a Kestrom approved policy"},
      {"{\"format\":\"kestrom-approved-policy\",\"version\":2}", "version 1"},
      {last_entry_bad, "system_files["},
      {oversized, "bytes"},
  };
  for (const auto& c : cases) {
    write_file(policy_, c.text);
    const auto imported = import_policy(wide(policy_));
    EXPECT_FALSE(imported.ok);
    EXPECT_NE(imported.message.find(c.says), std::string::npos) << imported.message;
    EXPECT_NE(imported.message.find(policy_), std::string::npos) << imported.message;
    EXPECT_NE(imported.message.find("nothing was changed"), std::string::npos) << imported.message;
    EXPECT_EQ(snapshot_state(), state) << c.says;
  }
  DeleteFileA(policy_.c_str());
  const auto missing = import_policy(wide(policy_));
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.message.find("can't be read"), std::string::npos) << missing.message;
  EXPECT_EQ(snapshot_state(), state);
}

TEST_F(PolicyTest, ARefusedCategoryIsLeftAsItWasAndTheOthersAreImportedAndNamed) {
  clear_snapshots();
  approve_everything();
  ASSERT_TRUE(export_policy(wide(policy_)).ok);
  clear_snapshots();
  // One value the refused category holds already, which must come through unchanged.
  set_value(HKEY_CURRENT_USER, std::string(keys::kRunSnapshot), "KEPT", "1103");
  PolicyOutcome imported;
  {
    DeniedKey denied(HKEY_CURRENT_USER, std::string(keys::kRunSnapshot));
    ASSERT_TRUE(denied.denied);
    imported = import_policy(wide(policy_));
  }
  EXPECT_FALSE(imported.ok);
  EXPECT_NE(imported.message.find("refused to approve the entries of startup"), std::string::npos)
      << imported.message;
  EXPECT_NE(imported.message.find("Imported: services, tasks"), std::string::npos) << imported.message;
  EXPECT_EQ(count_of(imported, kStartupMember), 0u);
  EXPECT_GT(count_of(imported, kTasksMember), 0u);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(keys::kRunSnapshot), "KEPT"), "1103");
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, std::string(keys::kRunSnapshot), kHostileRunName));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(keys::kTasks), kHostileTask), "800");
  delete_tree(HKEY_CURRENT_USER, std::string(keys::kRunSnapshot));
}

TEST_F(PolicyTest, ExportToAPlaceThatCantBeWrittenSaysSoAndLeavesNoFile) {
  const std::string nowhere = temp_path("no such folder\\policy.json");
  const auto exported = export_policy(wide(nowhere));
  EXPECT_FALSE(exported.ok);
  EXPECT_NE(exported.message.find(nowhere), std::string::npos) << exported.message;
  EXPECT_EQ(GetFileAttributesA(nowhere.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The check program may be all that runs on a fleet machine: an import there needs no monitor.
TEST_F(PolicyTest, ImportWhereTheProductNeverStartedApprovesAsElsewhere) {
  write_file(policy_, "{\"format\":\"kestrom-approved-policy\",\"version\":1,\"tasks\":[{\"name\":\"T.job\",\"code\":800}]}");
  delete_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "");
  delete_value(HKEY_CURRENT_USER, std::string(keys::kTasks), "T.job");
  const auto imported = import_policy(wide(policy_));
  EXPECT_TRUE(imported.ok) << imported.message;
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(keys::kTasks), "T.job"), "800");
  delete_value(HKEY_CURRENT_USER, std::string(keys::kTasks), "T.job");
}

// HKLM, where the watched system files are recorded, is what a standard user may not write.
TEST_F(PolicyTest, ARefusedSystemFileRecordKeepsTheContentAcceptedBefore) {
  clear_snapshots();
  approve_everything();
  const std::string accepted = read_all(sysfile_);
  write_file(sysfile_, "127.0.0.1 localhost\r\n10.0.0.1 intranet\r\n");
  // The reference machine accepted the new content; this one still has the old one recorded.
  ASSERT_EQ(accept_system_file_change({kSysfileName, sysfile_, ""}), ActionResult::Done);
  ASSERT_TRUE(export_policy(wide(policy_)).ok);
  write_file(system_file_vault_copy(kSysfileName), accepted);
  const std::string key = std::string(keys::kSysfiles) + "\\" + kSysfileName;
  set_value(HKEY_LOCAL_MACHINE, key, "Size", "1");
  set_value(HKEY_LOCAL_MACHINE, key, "Date", "1/1/2001 12:00 AM");

  PolicyOutcome imported;
  {
    DeniedKey denied(HKEY_LOCAL_MACHINE, key);
    ASSERT_TRUE(denied.denied);
    imported = import_policy(wide(policy_));
  }
  EXPECT_FALSE(imported.ok);
  EXPECT_NE(imported.message.find("entries of system_files"), std::string::npos) << imported.message;
  EXPECT_NE(imported.message.find("Imported: startup"), std::string::npos) << imported.message;
  EXPECT_EQ(read_all(system_file_vault_copy(kSysfileName)), accepted);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, key, "Size"), "1");
  EXPECT_TRUE(system_file_changed({kSysfileName, sysfile_, ""}));
  // Allowed to write, the same import approves it.
  const auto again = import_policy(wide(policy_));
  EXPECT_TRUE(again.ok) << again.message;
  EXPECT_FALSE(system_file_changed({kSysfileName, sysfile_, ""}));
  EXPECT_EQ(read_all(system_file_vault_copy(kSysfileName)), read_all(sysfile_));
}

// The same through kestromcheck.exe, as a fleet tool runs it: entries of every category are
// approved with --accept, exported, their approvals taken away, and the import makes the check
// clean again; a malformed policy exits with 2, says why on standard error and changes nothing.
TEST_F(PolicyTest, TheCheckProgramExportsAndImportsThePolicyAndReportsNothingAfterwards) {
  const std::string check = fixture("kestromcheck.exe");
  const std::string agent = fixture("kt_agent.exe");
  const std::string job = "kt_policy_job";
  const std::string control = "{6B7C1A01-0000-4000-8000-00000000C0A1}";
  const std::string ie_main = "Software\\Microsoft\\Internet Explorer\\Main";
  SavedValue start_page(HKEY_CURRENT_USER, ie_main, "Start Page");
  clear_snapshots();
  set_value(HKEY_CURRENT_USER, kRun, "kt_policy_agent", "\"" + agent + "\" /policy");
  ensure_scheduler_running();
  ASSERT_TRUE(make_job(job, agent));
  TestService service("kt_policy_svc", "KT Policy Service ü", agent);
  ASSERT_TRUE(service);
  ASSERT_TRUE(register_test_class(control, "Policy Control", fixture("kt_browser_helper.dll")));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, std::string(activex::kStatsKey) + "\\" + control, "", ""));
  set_value(HKEY_CURRENT_USER, ie_main, "Start Page", "http://policy.example/");
  set_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "StartPage", "http://before.example/");

  EXPECT_EQ(run_console_program(check, "--accept").exit_code, 1);
  ASSERT_EQ(run_console_program(check).exit_code, 0);
  const auto exported = run_console_program(check, "--export-policy \"" + policy_ + "\"");
  ASSERT_EQ(exported.exit_code, 0) << exported.error;
  EXPECT_TRUE(exported.error.empty()) << exported.error;

  // This machine forgets what it approved: every category has something to report again.
  clear_snapshots();
  set_value(HKEY_CURRENT_USER, std::string(keys::kProduct), "StartPage", "http://before.example/");
  const auto unapproved = run_console_program(check, "--json");
  EXPECT_EQ(unapproved.exit_code, 1);

  // A malformed policy: exit 2, the reason on standard error, nothing changed.
  write_file(scratch_, read_all(policy_).substr(0, 200));
  const auto state = snapshot_state();
  const auto refused = run_console_program(check, "--import-policy \"" + scratch_ + "\"");
  EXPECT_EQ(refused.exit_code, 2);
  EXPECT_NE(refused.error.find("not valid JSON"), std::string::npos) << refused.error;
  EXPECT_TRUE(refused.output.empty());
  EXPECT_EQ(snapshot_state(), state);

  const auto imported = run_console_program(check, "--import-policy \"" + policy_ + "\"");
  EXPECT_EQ(imported.exit_code, 0) << imported.error;
  const auto clean = run_console_program(check, "--json");
  EXPECT_EQ(clean.exit_code, 0) << clean.output;

  delete_value(HKEY_CURRENT_USER, kRun, "kt_policy_agent");
  delete_job_file(job);
  unregister_test_class(control);
  delete_tree(HKEY_CURRENT_USER, std::string(activex::kStatsKey) + "\\" + control);
}
