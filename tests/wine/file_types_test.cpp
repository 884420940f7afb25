// File type associations against the prefix's real HKLM classes, HKCR and the user's FileExts
// key, with invented extensions (Wine owns txt, exe and the like): the listing, the snapshot,
// restore byte for byte, a refused restore undone, stop watching and add.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "categories/file_types_win.hpp"
#include "common/locations.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
#include "startup/enumerate.hpp"
#include "tools/denied_key.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::file_types;
using namespace kestrom::test;

namespace {

const std::string kClasses = "Software\\Classes\\";
const std::string kExts = std::string(file_types::kFileExts);
const std::string kExt = std::string(kExtKey), kExtApp = std::string(kExtAppKey),
                  kExtProgId = std::string(kExtProgIdKey), kClass = std::string(kClassKey);
// A program under a folder with blanks, quoted, and its argument quoted: what restore must
// give back exactly.
const std::string kOneCommand = "\"C:\\Program Files\\Kt One\\kt1.exe\" \"%1\"";
const std::string kAppCommand = "C:\\Kt\\ktapp.exe /open \"%1\"";
const std::string kProgIdCommand = "\"C:\\Kt Prog\\ktprog.exe\" %1";

class FileTypes : public ::testing::Test {
 protected:
  void SetUp() override {
    clean();
    set_value(HKEY_LOCAL_MACHINE, kClasses + ".kt1", "", "kt1file");
    set_value(HKEY_LOCAL_MACHINE, kClasses + "kt1file", "", "KT Test One");
    set_value(HKEY_LOCAL_MACHINE, kClasses + "kt1file\\shell\\open\\command", "", kOneCommand);
    set_value(HKEY_CURRENT_USER, kExts + ".kt1", "Application", "ktapp.exe");
    set_value(HKEY_CLASSES_ROOT, "Applications\\ktapp.exe\\shell\\open\\command", "", kAppCommand);
    set_value(HKEY_CURRENT_USER, kExts + ".kt2", "ProgID", "Kt.ProgId");
    set_value(HKEY_CLASSES_ROOT, "Kt.ProgId\\shell\\open\\command", "", kProgIdCommand);
    // kt3 has a class but no open command: it does not count.
    set_value(HKEY_LOCAL_MACHINE, kClasses + ".kt3", "", "kt3file");
    set_value(HKEY_LOCAL_MACHINE, kClasses + "kt3file\\shell\\open", "", "");
    set_value(HKEY_CURRENT_USER, kClass, "", "KT1;kt2;KT3;");
  }
  void TearDown() override { clean(); }
  static void clean() {
    for (const char* ext : {".kt1", ".kt2", ".kt3", ".kt4", ".kt5", ".kt\xC3\xA9"}) {
      delete_tree(HKEY_LOCAL_MACHINE, kClasses + ext);
      delete_tree(HKEY_CURRENT_USER, kExts + ext);
    }
    for (const char* name : {"kt1file", "kt3file", "kt4file", "kt5file", "ktother", "kt\xC3\xA9" "file"})
      delete_tree(HKEY_LOCAL_MACHINE, kClasses + name);
    for (const char* name : {"Applications\\ktapp.exe", "Applications\\ktnew.exe", "Kt.ProgId", "Kt.Other"})
      delete_tree(HKEY_CLASSES_ROOT, name);
    for (const std::string& key : {kExt, kExtApp, kExtProgId, kClass}) delete_tree(HKEY_CURRENT_USER, key);
  }
  static std::string machine_command(const std::string& name) {
    return get_value(HKEY_LOCAL_MACHINE, kClasses + name + "\\shell\\open\\command", "");
  }
  ItemList list;
};

}  // namespace

TEST_F(FileTypes, EachSourceFoundGivesOneItemInListAndTypeOrder) {
  const auto listed = list_file_types(list, system_item_rules());
  ASSERT_EQ(list.size(), 3u);
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(list[0].title, "KT Test One");
  EXPECT_EQ(list[0].file, "C:\\Program Files\\Kt One\\kt1.exe %1");
  EXPECT_EQ(list[0].command, "kt1file");
  EXPECT_EQ(list[0].detail, ".KT1");
  EXPECT_EQ(list[0].code, kFileTypeCode);
  EXPECT_EQ(list[0].value, kMachineClass);
  EXPECT_EQ(list[1].detail, ".KT1");
  EXPECT_EQ(list[1].value, kApplication);
  EXPECT_EQ(list[1].file, "C:\\Kt\\ktapp.exe /open %1");
  // The list's letter case is kept in the detail.
  EXPECT_EQ(list[2].detail, ".kt2");
  EXPECT_EQ(list[2].value, kProgId);
  EXPECT_EQ(listed[2].name, "Kt.ProgId");
  // The association keeps the command as stored.
  EXPECT_EQ(listed[0].command, kOneCommand);
  // With and without the dot, the same lookup.
  ASSERT_TRUE(find_association("kt2", kProgId));
  EXPECT_EQ(find_association(".KT2", kProgId)->command, kProgIdCommand);
  EXPECT_FALSE(find_association("kt2", kMachineClass));
  EXPECT_FALSE(find_association("kt3", kMachineClass));
}

TEST_F(FileTypes, WithoutADescriptionTheProgramsOwnNamesAreShown) {
  set_value(HKEY_LOCAL_MACHINE, kClasses + "kt1file", "", "");
  set_value(HKEY_LOCAL_MACHINE, kClasses + "kt1file\\shell\\open\\command", "",
            "\"" + fixture("fixtures\\version_multi.exe") + "\" \"%1\"");
  list_file_types(list, system_item_rules());
  ASSERT_GE(list.size(), 1u);
  EXPECT_FALSE(list[0].title.empty());
  EXPECT_NE(list[0].command, "kt1file");
  EXPECT_FALSE(list[0].command.empty());
}

TEST_F(FileTypes, HostileValuesReadAsMissing) {
  // A name of the wrong type, an over-long command, a missing FileExts key.
  set_dword(HKEY_CURRENT_USER, kExts + ".kt2", "ProgID", 7);
  set_value(HKEY_LOCAL_MACHINE, kClasses + "kt1file\\shell\\open\\command", "", std::string(2000, 'c'));
  delete_tree(HKEY_CURRENT_USER, kExts + ".kt1");
  // An over-long entry in the list and a name beyond ASCII (the programs' code page is UTF-8).
  set_value(HKEY_LOCAL_MACHINE, kClasses + ".kt\xC3\xA9", "", "kt\xC3\xA9" "file");
  set_value(HKEY_LOCAL_MACHINE, kClasses + "kt\xC3\xA9" "file\\shell\\open\\command", "", "C:\\Kt\\acc.exe %1");
  set_value(HKEY_CURRENT_USER, kClass, "", "KT1;" + std::string(400, 'Z') + ";KT2;KT\xC3\xA9;");
  const auto listed = list_file_types(list, system_item_rules());
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, "kt\xC3\xA9" "file");
  EXPECT_EQ(list[0].detail, ".KT\xC3\xA9");
  // The class default of a wrong type too.
  set_dword(HKEY_LOCAL_MACHINE, kClasses + ".kt\xC3\xA9", "", 1);
  EXPECT_TRUE(list_file_types(list, system_item_rules()).empty());
}

TEST_F(FileTypes, RestorePutsTheRecordedCommandBackByteForByte) {
  for (const Association& a : list_associations()) ASSERT_TRUE(record_file_type(a));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kExt, ".kt1"), "kt1file");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kExtApp, ".kt1"), "ktapp.exe");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kExtProgId, ".kt2"), "Kt.ProgId");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kClass, "kt1file"), kOneCommand);

  // Another class for the extension, another program for each source.
  set_value(HKEY_LOCAL_MACHINE, kClasses + ".kt1", "", "ktother");
  set_value(HKEY_LOCAL_MACHINE, kClasses + "ktother\\shell\\open\\command", "", "C:\\Bad\\bad.exe %1");
  set_value(HKEY_LOCAL_MACHINE, kClasses + "kt1file\\shell\\open\\command", "", "C:\\Bad\\bad.exe %1");
  set_value(HKEY_CURRENT_USER, kExts + ".kt1", "Application", "ktnew.exe");
  set_value(HKEY_CLASSES_ROOT, "Applications\\ktapp.exe\\shell\\open\\command", "", "bad.exe");
  set_value(HKEY_CLASSES_ROOT, "Kt.ProgId\\shell\\open\\command", "", "bad.exe");

  EXPECT_EQ(restore_file_type("kt1", kMachineClass), ActionResult::Done);
  EXPECT_EQ(restore_file_type(".KT1", kApplication), ActionResult::Done);
  EXPECT_EQ(restore_file_type("kt2", kProgId), ActionResult::Done);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kClasses + ".kt1", ""), "kt1file");
  EXPECT_EQ(machine_command("kt1file"), kOneCommand);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kExts + ".kt1", "Application"), "ktapp.exe");
  EXPECT_EQ(get_value(HKEY_CLASSES_ROOT, "Applications\\ktapp.exe\\shell\\open\\command", ""), kAppCommand);
  EXPECT_EQ(get_value(HKEY_CLASSES_ROOT, "Kt.ProgId\\shell\\open\\command", ""), kProgIdCommand);
  // The other class is left alone.
  EXPECT_EQ(machine_command("ktother"), "C:\\Bad\\bad.exe %1");
}

TEST_F(FileTypes, NothingRecordedRestoresNothingAndNeverReadsTheWatchedList) {
  set_value(HKEY_LOCAL_MACHINE, kClasses + ".kt1", "", "ktother");
  EXPECT_EQ(recorded_association("kt1", kMachineClass).command, "");
  EXPECT_EQ(restore_file_type("kt1", kMachineClass), ActionResult::NotDone);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kClasses + ".kt1", ""), "ktother");
  // An extension that could name another key is never written.
  set_value(HKEY_CURRENT_USER, kExt, ".kt1\\x", "kt1file");
  EXPECT_EQ(restore_file_type("kt1\\x", kMachineClass), ActionResult::NotDone);
  EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kClasses + ".kt1\\x"));
}

TEST_F(FileTypes, ARefusedRestoreIsUndoneAndSaysSo) {
  for (const Association& a : list_associations()) record_file_type(a);
  set_value(HKEY_LOCAL_MACHINE, kClasses + ".kt1", "", "ktother");
  set_value(HKEY_LOCAL_MACHINE, kClasses + "kt1file\\shell\\open\\command", "", "C:\\Bad\\bad.exe %1");
  set_value(HKEY_CURRENT_USER, kExts + ".kt1", "Application", "ktnew.exe");
  set_value(HKEY_CLASSES_ROOT, "Applications\\ktapp.exe\\shell\\open\\command", "", "bad.exe");
  {
    DeniedKey machine(HKEY_LOCAL_MACHINE, kClasses + "kt1file\\shell\\open\\command");
    DeniedKey classes(HKEY_CLASSES_ROOT, "Applications\\ktapp.exe\\shell\\open\\command");
    ASSERT_TRUE(machine.denied);
    ASSERT_TRUE(classes.denied);
    EXPECT_EQ(restore_file_type("kt1", kMachineClass), ActionResult::Refused);
    EXPECT_EQ(restore_file_type("kt1", kApplication), ActionResult::Refused);
  }
  // The first write of each had held: it is put back, so nothing is half restored.
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kClasses + ".kt1", ""), "ktother");
  EXPECT_EQ(machine_command("kt1file"), "C:\\Bad\\bad.exe %1");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kExts + ".kt1", "Application"), "ktnew.exe");
  EXPECT_EQ(get_value(HKEY_CLASSES_ROOT, "Applications\\ktapp.exe\\shell\\open\\command", ""), "bad.exe");
  // The record is still the old association.
  EXPECT_EQ(recorded_association("kt1", kMachineClass).command, kOneCommand);
}

TEST_F(FileTypes, StopWatchingForgetsEverySourceButKeepsASharedClass) {
  // kt4 uses the same program identifier as kt2.
  set_value(HKEY_CURRENT_USER, kExts + ".kt4", "ProgID", "Kt.ProgId");
  set_value(HKEY_CURRENT_USER, kClass, "", "KT1;kt2;KT4;");
  for (const Association& a : list_associations()) record_file_type(a);
  ASSERT_TRUE(stop_watching_file_type(".Kt1"));
  EXPECT_EQ(watched_list(), "kt2;KT4;");
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kExt, ".kt1"));
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kExtApp, ".kt1"));
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kClass, "kt1file"));
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kClass, "ktapp.exe"));
  // With no record left, a restore changes nothing.
  set_value(HKEY_LOCAL_MACHINE, kClasses + ".kt1", "", "ktother");
  EXPECT_EQ(restore_file_type("kt1", kMachineClass), ActionResult::NotDone);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kClasses + ".kt1", ""), "ktother");

  ASSERT_TRUE(stop_watching_file_type("kt2"));
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kExtProgId, ".kt2"));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kClass, "Kt.ProgId"), kProgIdCommand);
  // The watched list (Class's default) survives every deletion.
  EXPECT_EQ(watched_list(), "KT4;");
}

TEST_F(FileTypes, AddRecordsTheCurrentAssociationsAndAnswersWithItsMessages) {
  set_value(HKEY_LOCAL_MACHINE, kClasses + ".kt5", "", "kt5file");
  set_value(HKEY_LOCAL_MACHINE, kClasses + "kt5file\\shell\\open\\command", "", "C:\\Kt\\five.exe %1");
  EXPECT_EQ(add_watched_file_type(".kt5"), 0);
  EXPECT_EQ(watched_list(), "KT1;kt2;KT3;KT5;");
  EXPECT_EQ(recorded_association("kt5", kMachineClass).command, "C:\\Kt\\five.exe %1");
  EXPECT_EQ(add_watched_file_type("KT5"), kAlreadyWatched);
  EXPECT_EQ(add_watched_file_type("kt4"), kInvalidExtension);  // no association anywhere
  EXPECT_EQ(add_watched_file_type("k;t"), kInvalidExtension);
  EXPECT_EQ(add_watched_file_type("..\\kt5file"), kInvalidExtension);
  EXPECT_EQ(watched_list(), "KT1;kt2;KT3;KT5;");
  set_value(HKEY_CURRENT_USER, kClass, "", std::string(1016, 'Q') + ";");
  EXPECT_EQ(add_watched_file_type("kt5"), kListFull);
}

TEST_F(FileTypes, StartUpBuildsTheSnapshotOnceAndRecordsAgainAfterAnOldMarker) {
  delete_tree(HKEY_CURRENT_USER, kClass);
  build_file_type_snapshot();
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kExt, ""), "Do not edit.");
  EXPECT_EQ(watched_list(), text::load(IDS_FILE_TYPES_WATCHED));
  EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, kExtApp));
  EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, kExtProgId));

  // A built snapshot is left as it is, even when the list now names another extension.
  set_value(HKEY_CURRENT_USER, kClass, "", "KT1;");
  build_file_type_snapshot();
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kExt, ".kt1"));
  // The older 11-character marker: every listed association is recorded, the marker renewed.
  set_value(HKEY_CURRENT_USER, kExt, "", "Do not edit");
  build_file_type_snapshot();
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kExt, ".kt1"), "kt1file");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kExt, ""), "Do not edit.");
  EXPECT_EQ(watched_list(), "KT1;");
}

TEST_F(FileTypes, TheRegisterSourceGivesTheProgramsAndTheDefaultListBeforeOneIsWritten) {
  EXPECT_EQ(file_type_commands(),
            (std::vector<std::string>{"C:\\Program Files\\Kt One\\kt1.exe %1", "C:\\Kt\\ktapp.exe /open %1",
                                      "C:\\Kt Prog\\ktprog.exe %1"}));
  // No list yet (the first start fills the register before it builds the snapshot).
  delete_tree(HKEY_CURRENT_USER, kClass);
  const auto commands = file_type_commands();
  EXPECT_FALSE(commands.empty()) << "Wine associates txt, exe and others of the default list";
  EXPECT_EQ(commands.size(), associations_of_list(text::load(IDS_FILE_TYPES_WATCHED)).size());
}
