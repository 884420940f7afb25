// Hidden files against the real file system and registry of the test prefix: the scan of the
// temporary folder, the Hidden snapshot, the hidden-files step with scripted answers and with
// the real dialog 191, deleting through the product (Vault copy first) and the History
// viewer's Restore of the deletion.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "categories/hidden_files_win.hpp"
#include "common/detected.hpp"
#include "common/history_log.hpp"
#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "monitor/alerts/hidden_step.hpp"
#include "platform/handles.hpp"
#include "startup/enumerate.hpp"
#include "tools/driver_win.hpp"
#include "tools/test_support_win.hpp"

namespace {

using namespace kestrom;
using namespace kestrom::alerts;

const std::string kDetectedHidden = std::string(keys::kDetected) + "\\Hidden";

std::string temp_root() {
  char buf[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buf, buf);
  std::string t(buf, n);
  if (!t.empty() && t.back() == '\\') t.pop_back();
  return t;
}

void write_file(const std::string& path, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_HIDDEN) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  SetFileAttributesA(path.c_str(), attributes);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void remove_file(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

std::vector<HistoryRecord> records_of(int action) {
  std::vector<HistoryRecord> out;
  for (auto& r : read_history(history_file_path()))
    if (r.action == action) out.push_back(r);
  return out;
}

class HiddenFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = temp_root() + "\\kt_hidden";
    sub = dir + "\\below";
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA(sub.c_str(), nullptr);
    for (const auto& f : files()) remove_file(f);
    // Wine keeps the DOS attributes as an extended attribute of the file; without it on this
    // file system nothing can be hidden and these tests could not tell anything.
    write_file(probe(), "probe");
    const DWORD a = GetFileAttributesA(probe().c_str());
    ASSERT_NE(a, INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(a & FILE_ATTRIBUTE_HIDDEN)
        << "the hidden attribute does not stick on this file system (Wine keeps it as an extended "
           "attribute, user.DOSATTRIB): run the tests on a file system with extended attributes";
    remove_file(probe());

    test::delete_tree(HKEY_CURRENT_USER, std::string(kHiddenSnapshotKey));
    test::delete_tree(HKEY_CURRENT_USER, kDetectedHidden);
    DeleteFileA(history_file_path().c_str());
    options = Options::defaults(Program::Monitor);
    options[Opt::HideHidden] = 0;
    options[Opt::ShowAlerts] = 0;
    options[Opt::Sound] = 0;
    // Whatever the prefix already hides is approved, so only this test's files are new.
    build_hidden_snapshot();
  }
  void TearDown() override {
    for (const auto& f : files()) remove_file(f);
    RemoveDirectoryA(sub.c_str());
    RemoveDirectoryA(dir.c_str());
  }

  std::string probe() const { return dir + "\\probe.bin"; }
  std::vector<std::string> files() const {
    return {dir + "\\a.hid", dir + "\\b.hid", sub + "\\deep.hid", dir + "\\HOSTS", dir + "\\locked.hid", probe()};
  }
  std::string vault_copy(const std::string& path) const { return hidden_vault_copy(vault_folder(), path); }

  int run_step(std::deque<int> answers, std::vector<std::string>* asked = nullptr) {
    HiddenStepSignals signals;
    signals.ask = [&](const AlertItem& item) {
      if (asked) asked->push_back(item.path);
      if (answers.empty()) {
        ADD_FAILURE() << "asked about " << item.path << " without a scripted answer";
        return 0;
      }
      int a = answers.front();
      answers.pop_front();
      return a;
    };
    signals.tell_user = [this](const std::string& text) { told.push_back(text); };
    return run_hidden_step(nullptr, context, list, options, signals);
  }

  std::string dir, sub;
  Options options;
  ItemList list;
  AlertFonts fonts;
  AlertContext context{fonts};
  std::vector<std::string> told;
};

TEST_F(HiddenFilesTest, ScanListsHiddenFilesOfTheTemporaryFolderOneLevelDeep) {
  write_file(dir + "\\a.hid", "a");
  write_file(dir + "\\b.hid", "b", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  write_file(sub + "\\deep.hid", "deep");  // temp\kt_hidden\below: two levels down
  write_file(dir + "\\HOSTS", "visible", FILE_ATTRIBUTE_NORMAL);

  list_hidden_files(list, system_item_rules());
  auto find = [&](const std::string& path) -> const StartupItem* {
    for (const auto& item : list.items())
      if (_stricmp(item.file.c_str(), path.c_str()) == 0) return &item;
    return nullptr;
  };
  const StartupItem* a = find(dir + "\\a.hid");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->title, "a.hid");
  EXPECT_EQ(a->command, a->file);
  EXPECT_EQ(a->code, kTypeHidden);
  EXPECT_EQ(a->value, 1);
  ASSERT_NE(find(dir + "\\b.hid"), nullptr);
  EXPECT_EQ(find(dir + "\\b.hid")->value, 0);
  EXPECT_EQ(find(sub + "\\deep.hid"), nullptr);
  EXPECT_EQ(find(dir + "\\HOSTS"), nullptr);
  EXPECT_EQ(find(dir), nullptr);

  // The register's source gives the same paths.
  auto paths = hidden_file_paths();
  EXPECT_NE(std::find(paths.begin(), paths.end(), a->file), paths.end());
}

TEST_F(HiddenFilesTest, SnapshotIsBuiltOnceWithTheFilesPresentThen) {
  write_file(dir + "\\a.hid", "a");
  test::delete_tree(HKEY_CURRENT_USER, std::string(kHiddenSnapshotKey));
  build_hidden_snapshot();
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, std::string(kHiddenSnapshotKey), ""), "P");
  EXPECT_TRUE(hidden_file_approved(dir + "\\a.hid"));
  EXPECT_TRUE(test::key_exists(HKEY_CURRENT_USER, std::string(keys::kDetected)));

  // Built already: a later start-up leaves it as it is.
  write_file(dir + "\\b.hid", "b");
  build_hidden_snapshot();
  EXPECT_FALSE(hidden_file_approved(dir + "\\b.hid"));
  EXPECT_TRUE(hidden_file_approved(dir + "\\a.hid"));
}

TEST_F(HiddenFilesTest, StepAsksAboutNewFilesOnlyAndCarriesOutTheAnswers) {
  write_file(dir + "\\a.hid", "keep me");
  write_file(dir + "\\b.hid", std::string("bad\0bytes\r\n", 11));
  std::vector<std::string> asked;
  // Listing order is the folder's: answer by path.
  HiddenStepSignals signals;
  signals.ask = [&](const AlertItem& item) {
    asked.push_back(item.path);
    EXPECT_EQ(item.code, kTypeHidden);
    return item.path.ends_with("a.hid") ? kAnswerYes : kAnswerNo;
  };
  EXPECT_EQ(run_hidden_step(nullptr, context, list, options, signals), 2);
  EXPECT_EQ(asked.size(), 2u);

  // Yes: approved with the date, noted in the register.
  EXPECT_TRUE(exists(dir + "\\a.hid"));
  EXPECT_TRUE(hidden_file_approved(dir + "\\a.hid"));
  EXPECT_FALSE(test::get_value(HKEY_CURRENT_USER, kDetectedHidden, dir + "\\a.hid").empty());
  // No: deleted, kept in the Vault's own folder, recorded; the snapshot has no value.
  EXPECT_FALSE(exists(dir + "\\b.hid"));
  EXPECT_EQ(read_file(vault_copy(dir + "\\b.hid")), std::string("bad\0bytes\r\n", 11));
  EXPECT_FALSE(test::value_exists(HKEY_CURRENT_USER, std::string(kHiddenSnapshotKey), dir + "\\b.hid"));
  auto deleted = records_of(action::kHiddenDeleteFile);
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0].path, dir + "\\b.hid");
  EXPECT_EQ(deleted[0].title, "b.hid");
  EXPECT_EQ(deleted[0].code, kTypeHidden);

  // Nothing is asked again.
  asked.clear();
  EXPECT_EQ(run_hidden_step(nullptr, context, list, options, signals), 0);
  EXPECT_TRUE(asked.empty());

  // The History viewer's Restore puts the same bytes back, hidden and approved.
  ASSERT_TRUE(restore_hidden_file(dir + "\\b.hid"));
  EXPECT_EQ(read_file(dir + "\\b.hid"), std::string("bad\0bytes\r\n", 11));
  EXPECT_TRUE(GetFileAttributesA((dir + "\\b.hid").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(exists(vault_copy(dir + "\\b.hid")));
  EXPECT_TRUE(hidden_file_approved(dir + "\\b.hid"));
  // No copy left: a second Restore reports that and changes nothing.
  EXPECT_FALSE(restore_hidden_file(dir + "\\b.hid"));
}

TEST_F(HiddenFilesTest, AHiddenFileNamedLikeHostsKeepsTheSystemFilesCopy) {
  const std::string system_copy = vault_folder() + "\\HOSTS";
  ASSERT_FALSE(vault_folder().empty());
  write_file(system_copy, "127.0.0.1 localhost", FILE_ATTRIBUTE_NORMAL);
  write_file(dir + "\\HOSTS", "not the hosts file");
  EXPECT_EQ(delete_hidden_file(dir + "\\HOSTS", "HOSTS"), ActionResult::Done);
  EXPECT_EQ(read_file(system_copy), "127.0.0.1 localhost");
  EXPECT_EQ(read_file(vault_copy(dir + "\\HOSTS")), "not the hosts file");
  remove_file(system_copy);
}

TEST_F(HiddenFilesTest, SilentAnswersDoWhatTheDialogWould) {
  write_file(dir + "\\a.hid", "a");
  options[Opt::HideHidden] = 1;  // keep without asking
  EXPECT_EQ(run_step({}), 1);
  EXPECT_TRUE(hidden_file_approved(dir + "\\a.hid"));

  write_file(dir + "\\b.hid", "silently deleted");
  options[Opt::HideHidden] = 2;  // delete without asking: through the Vault as well
  EXPECT_EQ(run_step({}), 1);
  EXPECT_FALSE(exists(dir + "\\b.hid"));
  EXPECT_EQ(read_file(vault_copy(dir + "\\b.hid")), "silently deleted");
  EXPECT_EQ(records_of(action::kHiddenDeleteFile).size(), 1u);

  // ShowAlerts asks whatever the Hide option says.
  write_file(dir + "\\b.hid", "again");
  options[Opt::ShowAlerts] = 1;
  std::vector<std::string> asked;
  EXPECT_EQ(run_step({kAnswerYes}, &asked), 1);
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_TRUE(exists(dir + "\\b.hid"));
}

TEST_F(HiddenFilesTest, AFailedDeletionLeavesTheFileAsItWasAndRecordsNothing) {
  const std::string path = dir + "\\locked.hid";
  const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
  write_file(path, "locked");
  SetFileAttributesA(path.c_str(), attributes);
  approve_hidden_file(path);
  {
    // Held open without delete sharing: the copy can read it, the deletion fails.
    platform::UniqueFile held(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    const DWORD before = GetFileAttributesA(path.c_str());
    ASSERT_EQ(before & attributes, attributes);
    EXPECT_NE(delete_hidden_file(path, "locked.hid"), ActionResult::Done);
    // Wine adds the archive flag when attributes are set; hidden and read-only are what count.
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & ~DWORD{FILE_ATTRIBUTE_ARCHIVE}, before & ~DWORD{FILE_ATTRIBUTE_ARCHIVE});
  }
  EXPECT_EQ(read_file(path), "locked");
  EXPECT_TRUE(records_of(action::kHiddenDeleteFile).empty());
  EXPECT_FALSE(exists(vault_copy(path)));
  // The value goes, so the file is asked about again.
  EXPECT_FALSE(hidden_file_approved(path));
}

TEST_F(HiddenFilesTest, WithoutAVaultNothingIsDeleted) {
  const std::string path = dir + "\\a.hid";
  write_file(path, "no vault");
  const std::string shell_folders(keys::kShellFolders);
  test::SavedValue app_data(HKEY_CURRENT_USER, shell_folders, "AppData");
  test::set_value(HKEY_CURRENT_USER, shell_folders, "AppData", "Q:\\no such drive\\AppData");
  EXPECT_EQ(delete_hidden_file(path, "a.hid"), ActionResult::NotDone);
  EXPECT_EQ(read_file(path), "no vault");
  EXPECT_TRUE(records_of(action::kHiddenDeleteFile).empty());
}

// The real dialog 191, answered from a second thread.
int answer_dialog(AlertContext& context, const AlertItem& item, const std::function<void(HWND)>& user_action,
                  std::string* question = nullptr) {
  test::UserThread user([&] {
    driver::WindowQuery q;
    q.title = "Kestrom New Program Alert";
    q.process_id = GetCurrentProcessId();
    q.visible_only = true;
    HWND dialog = driver::wait_for_window(q);
    if (!dialog) return;
    if (question) *question = driver::text_of(GetDlgItem(dialog, kQuestionControl));
    user_action(dialog);
    if (!driver::wait_until_gone(dialog)) PostMessageA(dialog, WM_COMMAND, kCommandOk, 0);
  });
  const int answer = ask_new_hidden_file(nullptr, context, item);
  EXPECT_TRUE(user.join());
  return answer;
}

TEST_F(HiddenFilesTest, DialogDeletesOnlyByItsDeleteButtonAndRecordsTheAlert) {
  context.services.write_history = [](const std::string& title, const std::string& path, const std::string& third,
                                      int code, int action) { write_history(title, path, third, code, action); };
  const AlertItem item{dir + "\\a.hid", "a.hid", dir + "\\a.hid", "", kTypeHidden};
  std::string question;
  std::string delete_text;
  EXPECT_EQ(answer_dialog(context, item,
                          [&](HWND d) {
                            delete_text = driver::text_of(GetDlgItem(d, kCommandHiddenDelete));
                            EXPECT_TRUE(test::screenshot("hidden_file_alert"));
                            PostMessageA(d, WM_COMMAND, MAKEWPARAM(kCommandHiddenDelete, BN_CLICKED), 0);
                          },
                          &question),
            kAnswerNo);
  EXPECT_EQ(delete_text, "&Delete");
  EXPECT_NE(question.find("flagged as \"HIDDEN\""), std::string::npos);
  // Escape and the close box keep the file, like OK.
  EXPECT_EQ(answer_dialog(context, item, [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); }), kAnswerYes);
  EXPECT_EQ(answer_dialog(context, item, [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }), kAnswerYes);
  EXPECT_EQ(answer_dialog(context, item, [](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); }), kAnswerYes);

  auto alerts = records_of(28);
  ASSERT_EQ(alerts.size(), 4u);
  EXPECT_EQ(alerts[0].path, dir + "\\a.hid");
  EXPECT_EQ(alerts[0].code, kTypeHidden);
}

}  // namespace
