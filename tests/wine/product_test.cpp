#include "common/product.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/paths.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/run_keys.hpp"
#include "common/textloader.hpp"
#include "common/trace.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

const std::string kProduct(keys::kProduct);
const std::string kRun = run_key_path(RunKey::Run);

// Hooks that count their calls and record what they were asked to do.
struct Recorder {
  std::map<std::string, int> calls;
  std::vector<std::pair<std::string, int>> removed_titles;
  std::vector<std::string> removed_parts;
  bool entries_found = true;

  InitHooks hooks() {
    InitHooks h;
    auto count = [this](const char* name) { return [this, name] { ++calls[name]; }; };
    h.initialise_register = count("register");
    h.build_missing_category_snapshots = count("category");
    h.take_setting_copies = count("settings");
    h.build_system_files_snapshot = count("sysfiles");
    h.fill_snapshots = count("fill");
    h.initialise_file_types = count("filetypes");
    h.clear_item_list = count("clear");
    h.load_delayed_programs = [this] {
      ++calls["delay"];
      return 3;
    };
    h.remove_startup_entry = [this](const std::string& title, int code) {
      removed_titles.emplace_back(title, code);
      return true;
    };
    h.remove_entries_containing = [this](const std::string& part) {
      removed_parts.push_back(part);
      return entries_found;
    };
    return h;
  }
};

void wipe_product() {
  delete_tree(HKEY_CURRENT_USER, std::string(keys::kOrvane));
  delete_tree(HKEY_LOCAL_MACHINE, std::string(keys::kOrvane));
  delete_tree(HKEY_CLASSES_ROOT, std::string(keys::kExplorerMenu));
  delete_value(HKEY_LOCAL_MACHINE, kRun, "Kestrom");
  delete_value(HKEY_LOCAL_MACHINE, kRun, "Kestrom VANT");
}

class Product : public ::testing::Test {
 protected:
  void SetUp() override {
    wipe_product();
    text::set_language(0);
  }
  void TearDown() override {
    wipe_product();
    trace::set_enabled(false);
  }
};

std::string own_command() { return "\"" + test_program_folder() + "\\kestrom.exe\" -expressboot"; }

}  // namespace

TEST_F(Product, FirstStartOnAnEmptyRegistry) {
  Recorder r;
  auto day = [](const std::string& text) { return text.substr(0, text.find(' ')); };
  const std::string before = day(date_text_now());
  ProductState s = initialise_product(Program::Monitor, r.hooks());
  const std::string after = day(date_text_now());

  EXPECT_EQ(text::language(), 9);
  for (const char* sub : {"Nuts", "Cookies", "Options", "Run", "IEHelpers", "HostFile", "Tasks"})
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, kProduct + "\\" + sub)) << sub;
  // The first-use date is the day of the call (either side of midnight).
  const std::string first_use = day(get_value(HKEY_CURRENT_USER, kProduct, ""));
  EXPECT_TRUE(first_use == before || first_use == after) << first_use;
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kProduct, "Version"), "17.0.2010.0");

  // First-run set-up, then the version rule's reset (no Version yet): the snapshots are filled twice.
  EXPECT_EQ(r.calls["fill"], 2);
  ASSERT_EQ(r.removed_titles.size(), 1u);
  EXPECT_EQ(r.removed_titles[0], std::make_pair(std::string("Kestrom VANT"), 1));
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "Kestrom"), own_command());
  EXPECT_TRUE(s.always_run);

  for (const char* hook : {"register", "category", "settings", "sysfiles", "filetypes", "clear", "delay"})
    EXPECT_EQ(r.calls[hook], 1) << hook;
  EXPECT_TRUE(reg::has_default_value(HKEY_LOCAL_MACHINE, keys::kSysfiles));
  EXPECT_EQ(s.delay_count, 3);
  EXPECT_EQ(s.options.values, Options::defaults(Program::Monitor).values);

  EXPECT_EQ(get_value(HKEY_CLASSES_ROOT, std::string(keys::kExplorerMenu), ""), "Kestrom VANT Info...");
  EXPECT_EQ(get_value(HKEY_CLASSES_ROOT, std::string(keys::kExplorerMenuCommand), ""),
            "\"" + test_program_folder() + "\\kestrom.exe\" %1");
}

TEST_F(Product, SecondStartWithTheSameVersionRebuildsNothing) {
  Recorder first;
  initialise_product(Program::Explorer, first.hooks());
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kProduct + "\\IEHelpers", "Approved helper", "300"));

  Recorder r;
  ProductState s = initialise_product(Program::Explorer, r.hooks());
  EXPECT_EQ(r.calls["fill"], 0);
  EXPECT_EQ(r.calls["sysfiles"], 0);
  EXPECT_TRUE(r.removed_titles.empty());
  EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, kProduct + "\\IEHelpers", "Approved helper"));
  EXPECT_EQ(s.options[Opt::MaxCookie], 4096);
}

TEST_F(Product, AnotherStoredVersionResetsTheSnapshotsAndRunsFirstRunSetUp) {
  Recorder first;
  initialise_product(Program::Monitor, first.hooks());
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kProduct, "Version", "16.0.2009.0"));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kProduct + "\\IEHelpers", "Old helper", "300"));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kProduct + "\\Tasks\\Nested", "x", "1"));

  Recorder r;
  initialise_product(Program::Monitor, r.hooks());
  EXPECT_EQ(r.calls["fill"], 2);  // reset + first-run set-up
  EXPECT_EQ(r.removed_titles.size(), 1u);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kProduct, "Version"), "17.0.2010.0");
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kProduct + "\\IEHelpers", "Old helper"));
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, kProduct + "\\Tasks\\Nested"));
  EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, kProduct + "\\Tasks"));
  // The monitor's own start command is approved in the Run snapshot.
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kProduct + "\\Run", own_command()), "1");
}

TEST_F(Product, CleanupResetsOnceAndIsSwitchedOff) {
  Recorder first;
  initialise_product(Program::Monitor, first.hooks());
  ASSERT_TRUE(write_option(Opt::Cleanup, 1));
  ASSERT_TRUE(write_option(Opt::Update, 0));

  Recorder r;
  ProductState s = initialise_product(Program::Monitor, r.hooks());
  EXPECT_EQ(r.calls["fill"], 1);
  EXPECT_TRUE(r.removed_titles.empty());
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kProduct + "\\Options", "Cleanup"), "0");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kProduct + "\\Options", "Update"), "1");
  EXPECT_EQ(s.options[Opt::Cleanup], 0);

  Recorder again;
  initialise_product(Program::Monitor, again.hooks());
  EXPECT_EQ(again.calls["fill"], 0);
}

TEST_F(Product, AMissingVersionSkipsTheCleanupRule) {
  Recorder first;
  initialise_product(Program::Monitor, first.hooks());
  delete_value(HKEY_CURRENT_USER, kProduct, "Version");
  ASSERT_TRUE(write_option(Opt::Cleanup, 1));

  Recorder r;
  initialise_product(Program::Monitor, r.hooks());
  EXPECT_EQ(r.calls["fill"], 1);
  EXPECT_TRUE(r.removed_titles.empty());
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kProduct + "\\Options", "Cleanup"), "1");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kProduct, "Version"), "17.0.2010.0");
}

TEST_F(Product, ExplorerMenuOptionAddsAndRemovesTheEntry) {
  Recorder r;
  initialise_product(Program::Explorer, r.hooks());
  ASSERT_TRUE(reg::has_default_value(HKEY_CLASSES_ROOT, keys::kExplorerMenu));
  ASSERT_TRUE(write_option(Opt::ExplorerMenu, 0));
  initialise_product(Program::Explorer, r.hooks());
  EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, std::string(keys::kExplorerMenu)));
  ASSERT_TRUE(write_option(Opt::ExplorerMenu, 2));  // only 1 keeps the entry
  initialise_product(Program::Explorer, r.hooks());
  EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, std::string(keys::kExplorerMenu)));
  ASSERT_TRUE(write_option(Opt::ExplorerMenu, 1));
  initialise_product(Program::Explorer, r.hooks());
  EXPECT_TRUE(reg::has_default_value(HKEY_CLASSES_ROOT, keys::kExplorerMenu));
}

TEST_F(Product, MissingHooksDoNothingAndJunkOptionsLoadSafely) {
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kProduct + "\\Options", "Debug", "abc"));
  ASSERT_TRUE(set_dword(HKEY_CURRENT_USER, kProduct + "\\Options", "Cleanup", 1));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kProduct + "\\Options", "ExplorerMenu", ""));
  ProductState s = initialise_product(Program::Monitor, InitHooks{});
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kProduct, "Version"), "17.0.2010.0");
  EXPECT_EQ(s.delay_count, 0);
  EXPECT_EQ(s.options[Opt::Debug], 0);
  EXPECT_EQ(s.options[Opt::Cleanup], 0);
  EXPECT_EQ(s.options[Opt::ExplorerMenu], 1);
  EXPECT_FALSE(trace::enabled());
  // Nothing built the system-files snapshot, so it is not marked as built.
  EXPECT_FALSE(reg::has_default_value(HKEY_LOCAL_MACHINE, keys::kSysfiles));
}

TEST_F(Product, DebugSwitchesTheTraceOnIntoEachProgramsFile) {
  const std::string explorer_file = test_program_folder() + "\\sendex2ov.txt";
  const std::string monitor_file = test_program_folder() + "\\send2ov.txt";
  DeleteFileA(explorer_file.c_str());
  DeleteFileA(monitor_file.c_str());
  ASSERT_TRUE(write_option(Opt::Debug, 1));
  initialise_product(Program::Explorer, InitHooks{});
  EXPECT_TRUE(trace::enabled());
  trace::begin("TEST", "explorer");
  EXPECT_NE(GetFileAttributesA(explorer_file.c_str()), INVALID_FILE_ATTRIBUTES);

  ASSERT_TRUE(write_option(Opt::Debug, 0));
  initialise_product(Program::Monitor, InitHooks{});
  EXPECT_FALSE(trace::enabled());
  trace::set_enabled(true);
  trace::begin("TEST", "monitor");
  EXPECT_NE(GetFileAttributesA(monitor_file.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(explorer_file.c_str());
  DeleteFileA(monitor_file.c_str());
}

TEST_F(Product, AlwaysRunOnAndOff) {
  Recorder r;
  EXPECT_FALSE(always_run_state());
  EXPECT_TRUE(set_always_run(true, r.hooks()));
  EXPECT_TRUE(always_run_state());
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kRun, "Kestrom"), own_command());
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kProduct + "\\Run", own_command()), "1");

  EXPECT_TRUE(set_always_run(false, r.hooks()));
  EXPECT_EQ(r.removed_parts, (std::vector<std::string>{"Kestrom.exe", "KestromEx.exe"}));
  r.entries_found = false;
  EXPECT_FALSE(set_always_run(false, r.hooks()));
  EXPECT_FALSE(set_always_run(false, InitHooks{}));

  // The older product name counts too.
  wipe_product();
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, kRun, "Kestrom VANT", "x"));
  EXPECT_TRUE(always_run_state());
}
