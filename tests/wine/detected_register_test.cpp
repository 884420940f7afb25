// The First-Detected Register against the real registry and files.
#include <gtest/gtest.h>

#include "categories/register_sources.hpp"
#include "common/detected.hpp"
#include "common/text.hpp"
#include "tests/wine/startup_test_support.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

const std::string kDetected = "Software\\Orvane\\Detected";

class DetectedRegister : public ::testing::Test {
 protected:
  void SetUp() override {
    delete_tree(HKEY_CURRENT_USER, kDetected);
    DeleteFileA(temp.c_str());
  }
  void TearDown() override {
    delete_tree(HKEY_CURRENT_USER, kDetected);
    DeleteFileA(temp.c_str());
    clean_startup_state();
  }
  const std::string agent = fixture("kt_agent.exe");
  const std::string temp = test_program_folder() + "\\kt_detected_tmp.exe";
};

}  // namespace

TEST_F(DetectedRegister, FirstDateStaysAndMissingFilesAreNotNoted) {
  const std::string cmd = "\"" + agent + "\" /min";
  EXPECT_FALSE(note_first_sighting(cmd, detected::kStartup));
  std::string first = get_value(HKEY_CURRENT_USER, kDetected + "\\Startup", cmd);
  ASSERT_NE(first, "<missing>");
  EXPECT_FALSE(first.empty());
  EXPECT_LE(first.size(), kMaxDetectedDate);
  set_value(HKEY_CURRENT_USER, kDetected + "\\Startup", cmd, "01/01/2000 1:00 AM");
  EXPECT_TRUE(note_first_sighting(cmd, detected::kStartup));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kDetected + "\\Startup", cmd), "01/01/2000 1:00 AM");

  EXPECT_FALSE(note_first_sighting(temp, detected::kStartup));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kDetected + "\\Startup", temp), "<missing>");
  CopyFileA(agent.c_str(), temp.c_str(), FALSE);
  EXPECT_FALSE(note_first_sighting(temp, detected::kStartup));
  EXPECT_NE(get_value(HKEY_CURRENT_USER, kDetected + "\\Startup", temp), "<missing>");

  // ActiveX controls are noted without a file test.
  note_first_sighting("{NOT-A-FILE}", detected::kActiveX);
  EXPECT_NE(get_value(HKEY_CURRENT_USER, kDetected + "\\ActiveX", "{NOT-A-FILE}"), "<missing>");
}

TEST_F(DetectedRegister, ReadersChooseTheCategoryByCode) {
  set_value(HKEY_CURRENT_USER, kDetected + "\\Services", "svc", "S");
  set_value(HKEY_CURRENT_USER, kDetected + "\\Startup", "run", "R");
  set_value(HKEY_CURRENT_USER, kDetected + "\\ActiveTasks", "task", "T");
  EXPECT_EQ(first_sighting("svc", 701), "S");
  EXPECT_EQ(first_sighting("run", 1070), "R");
  EXPECT_EQ(first_sighting("task", 650), "T");
  EXPECT_EQ(first_sighting("svc", 1), "");
  set_value(HKEY_CURRENT_USER, kDetected + "\\Startup", "long", std::string(30, '9'));
  EXPECT_EQ(first_sighting("long", 11), "");
  // The report's reader, which keeps each category's key open, reads the same.
  Sightings sightings;
  for (const auto& [name, code] : {std::pair<const char*, int>{"svc", 701}, {"run", 1070}, {"task", 650}, {"svc", 1},
                                   {"long", 11}, {"RUN", 11}})
    EXPECT_EQ(sightings.of(name, code), first_sighting(name, code)) << name << " " << code;
  delete_tree(HKEY_CURRENT_USER, kDetected + "\\Hidden");
  EXPECT_EQ(sightings.of("gone", 1030), "");
}

TEST_F(DetectedRegister, PruneDropsGoneFilesAndKeepsTheRest) {
  CopyFileA(agent.c_str(), temp.c_str(), FALSE);
  const std::string key = kDetected + "\\Startup";
  set_value(HKEY_CURRENT_USER, key, "", "created");
  set_value(HKEY_CURRENT_USER, key, agent, "D1");
  set_value(HKEY_CURRENT_USER, key, "\"" + agent + "\" -tray", "D2");
  set_value(HKEY_CURRENT_USER, key, temp, "D3");
  DeleteFileA(temp.c_str());
  prune_category(detected::kStartup);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, key, agent), "D1");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, key, "\"" + agent + "\" -tray"), "D2");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, key, temp), "<missing>");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, key, ""), "created");
}

TEST_F(DetectedRegister, InitialiseFillsStartupAndRunningProgramsOnce) {
  clean_startup_state();
  set_value(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "kt_init", agent + " /i");
  int activex_calls = 0;
  RegisterSources sources = detected_register_sources(false);
  sources.activex = [&] {
    ++activex_calls;
    return std::vector<std::string>{"C:\\kt\\control.ocx"};
  };
  initialise_register(sources);
  EXPECT_NE(get_value(HKEY_CURRENT_USER, kDetected, ""), "<missing>");
  EXPECT_NE(get_value(HKEY_CURRENT_USER, kDetected + "\\Startup", agent + " /i"), "<missing>");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kDetected + "\\ActiveX", ""), "P");
  EXPECT_NE(get_value(HKEY_CURRENT_USER, kDetected + "\\ActiveX", "C:\\kt\\control.ocx"), "<missing>");
  // This very test program runs, so the running programs are noted too.
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  // (value names ignore case, as the register's upper-case names need)
  EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, kDetected + "\\ActiveTasks", self)) << self;

  set_value(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "kt_later", agent + " /l");
  initialise_register(sources);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kDetected + "\\Startup", agent + " /l"), "<missing>");
  EXPECT_EQ(activex_calls, 1);
}
