#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "monitor/alert_rules.hpp"
#include "monitor/file_types_step.hpp"

namespace kestrom {
namespace {

using file_types::Association;
using file_types::Recorded;

// The sources and the snapshot in memory; records what the step did.
class FakeFileTypes final : public FileTypesStepOperations {
 public:
  std::vector<Association> current;
  std::map<std::string, Recorded> snapshot;  // "EXT/source"
  ActionResult restore_result = ActionResult::Done;
  std::vector<std::string> noted, restored, told, stopped, recorded_now;
  int sounds = 0, icons = 0;
  bool showing = false;

  static std::string key(std::string_view ext, int source) { return std::string(ext) + "/" + std::to_string(source); }
  std::vector<Association> list_associations() override { return current; }
  Recorded recorded(std::string_view ext, int source) override {
    auto at = snapshot.find(key(ext, source));
    return at == snapshot.end() ? Recorded{} : at->second;
  }
  void record(const Association& a) override {
    snapshot[key(a.extension, a.source)] = {a.name, a.command};
    recorded_now.push_back(key(a.extension, a.source));
  }
  ActionResult restore(const Association& a, const Recorded& old) override {
    restored.push_back(key(a.extension, a.source) + "=" + old.command);
    return restore_result;
  }
  void tell_not_restored(const Association& a) override { told.push_back(a.extension); }
  void stop_watching(std::string_view ext) override {
    stopped.emplace_back(ext);
    for (int s = 1; s <= 3; ++s) snapshot.erase(key(ext, s));
  }
  void note_first_sighting(std::string_view command) override { noted.emplace_back(command); }
  void show_alert_icon() override { ++icons; }
  void play_alert_sound() override { ++sounds; }
  void set_alert_showing(bool on) override { showing = on; }
};

class ScriptedAsker final : public FileTypesAsker {
 public:
  explicit ScriptedAsker(FileTypeAnswer a) : answer(a) {}
  FileTypeAnswer answer;
  std::vector<std::string> asked;
  bool showing_while_asked = false;
  FakeFileTypes* ops = nullptr;
  FileTypeAnswer ask_changed(const Association& current, const Recorded& old) override {
    asked.push_back(current.extension + ":" + old.command + "->" + current.command);
    if (ops) showing_while_asked = ops->showing;
    return answer;
  }
};

struct Scene {
  FakeFileTypes ops;
  Scene() {
    ops.current = {{"KT1", 1, "kt1file", "\"C:\\New Place\\kt1.exe\" \"%1\""},
                   {"KT1", 2, "ktapp.exe", "C:\\Kt\\bad.exe %1"},
                   {"KT2", 3, "Kt.ProgId", "C:\\Kt\\prog.exe %1"}};
    ops.snapshot["KT1/1"] = {"kt1file", "C:\\Old\\kt1.exe %1"};
    ops.snapshot["KT1/2"] = {"ktapp.exe", "C:\\Kt\\ktapp.exe %1"};
    ops.snapshot["KT2/3"] = {"Kt.ProgId", "C:\\Kt\\prog.exe %1"};
  }
};

TEST(FileTypesStep, AMovedProgramIsNoChangeAnotherProgramIsAskedAboutAndNoRestores) {
  Scene s;
  ScriptedAsker asker({kAnswerNo, false});
  asker.ops = &s.ops;
  EXPECT_EQ(run_file_types_step({0, 0, 0}, s.ops, asker), 1);
  ASSERT_EQ(asker.asked.size(), 1u);
  EXPECT_EQ(asker.asked[0], "KT1:C:\\Kt\\ktapp.exe %1->C:\\Kt\\bad.exe %1");
  EXPECT_TRUE(asker.showing_while_asked);
  EXPECT_FALSE(s.ops.showing);
  EXPECT_EQ(s.ops.restored, (std::vector<std::string>{"KT1/2=C:\\Kt\\ktapp.exe %1"}));
  // Both commands are noted, quotes removed.
  EXPECT_EQ(s.ops.noted, (std::vector<std::string>{"C:\\Kt\\ktapp.exe %1", "C:\\Kt\\bad.exe %1"}));
  EXPECT_EQ(s.ops.sounds, 1);
  EXPECT_EQ(s.ops.icons, 1);
}

TEST(FileTypesStep, YesRecordsTheNewProgramSoTheNextCheckIsQuiet) {
  Scene s;
  ScriptedAsker asker({kAnswerYes, false});
  run_file_types_step({0, 0, 0}, s.ops, asker);
  EXPECT_TRUE(s.ops.restored.empty());
  EXPECT_EQ(s.ops.snapshot["KT1/2"].command, "C:\\Kt\\bad.exe %1");
  asker.asked.clear();
  EXPECT_EQ(run_file_types_step({0, 0, 0}, s.ops, asker), 0);
  EXPECT_TRUE(asker.asked.empty());
}

TEST(FileTypesStep, NothingRecordedIsRecordedSilentlyWhateverTheCommandLooksLike) {
  Scene s;
  s.ops.snapshot.clear();
  // A record of a name without its command is no record either.
  s.ops.snapshot["KT2/3"] = {"Kt.ProgId", ""};
  s.ops.current.push_back({"KT3", 1, "kt3file", "AVI;BAT;"});
  ScriptedAsker asker({kAnswerNo, false});
  EXPECT_EQ(run_file_types_step({0, 0, 0}, s.ops, asker), 0);
  EXPECT_TRUE(asker.asked.empty());
  EXPECT_EQ(s.ops.recorded_now.size(), 4u);
  EXPECT_TRUE(s.ops.noted.empty());
  EXPECT_EQ(s.ops.sounds, 0);
}

TEST(FileTypesStep, LockRestoresWithoutQuestionSoundOrSighting) {
  Scene s;
  ScriptedAsker asker({kAnswerYes, false});
  EXPECT_EQ(run_file_types_step({0, 1, 1}, s.ops, asker), 1);
  EXPECT_TRUE(asker.asked.empty());
  EXPECT_EQ(s.ops.restored.size(), 1u);
  EXPECT_TRUE(s.ops.noted.empty());
  EXPECT_EQ(s.ops.sounds + s.ops.icons, 0);
}

TEST(FileTypesStep, HideFileTypeAnswersSilentlyUnlessShowAlerts) {
  {
    Scene s;
    ScriptedAsker asker({kAnswerNo, false});
    run_file_types_step({1, 0, 0}, s.ops, asker);
    EXPECT_TRUE(asker.asked.empty());
    EXPECT_TRUE(s.ops.restored.empty());
    EXPECT_EQ(s.ops.snapshot["KT1/2"].command, "C:\\Kt\\bad.exe %1");
    EXPECT_EQ(s.ops.sounds, 0);
    EXPECT_EQ(s.ops.icons, 1);
  }
  {
    Scene s;
    ScriptedAsker asker({kAnswerYes, false});
    run_file_types_step({2, 0, 0}, s.ops, asker);
    EXPECT_TRUE(asker.asked.empty());
    EXPECT_EQ(s.ops.restored.size(), 1u);
  }
  {
    Scene s;
    ScriptedAsker asker({kAnswerYes, false});
    run_file_types_step({2, 1, 0}, s.ops, asker);
    EXPECT_EQ(asker.asked.size(), 1u);
    EXPECT_TRUE(s.ops.restored.empty());
  }
}

TEST(FileTypesStep, ARefusedRestoreIsToldAndNotRecorded) {
  Scene s;
  s.ops.restore_result = ActionResult::Refused;
  ScriptedAsker asker({kAnswerNo, false});
  run_file_types_step({0, 0, 0}, s.ops, asker);
  EXPECT_EQ(s.ops.told, (std::vector<std::string>{"KT1"}));
  EXPECT_EQ(s.ops.snapshot["KT1/2"].command, "C:\\Kt\\ktapp.exe %1");
  s.ops.told.clear();
  run_file_types_step({0, 0, 1}, s.ops, asker);
  EXPECT_EQ(s.ops.told, (std::vector<std::string>{"KT1"}));
}

TEST(FileTypesStep, StopWatchingLeavesTheNewProgramAndSkipsTheExtensionsOtherSources) {
  Scene s;
  // The machine class of KT1 changed too, after the application source in the listing.
  std::swap(s.ops.current[0], s.ops.current[1]);
  s.ops.current[1].command = "C:\\Other\\other.exe %1";
  ScriptedAsker asker({kAnswerNo, true});
  run_file_types_step({0, 0, 0}, s.ops, asker);
  EXPECT_EQ(s.ops.stopped, (std::vector<std::string>{"KT1"}));
  EXPECT_EQ(asker.asked.size(), 1u);
  EXPECT_TRUE(s.ops.restored.empty());
  // Nothing of KT1 was recorded afresh from the listing taken before.
  EXPECT_TRUE(s.ops.recorded_now.empty());
  EXPECT_EQ(s.ops.snapshot.count("KT1/1"), 0u);
}

TEST(FileTypesStep, AQuestionThatCouldNotOpenChangesNothing) {
  Scene s;
  ScriptedAsker asker({kAnswerNotShown, false});
  run_file_types_step({0, 0, 0}, s.ops, asker);
  EXPECT_TRUE(s.ops.restored.empty());
  EXPECT_EQ(s.ops.snapshot["KT1/2"].command, "C:\\Kt\\ktapp.exe %1");
}

}  // namespace
}  // namespace kestrom
