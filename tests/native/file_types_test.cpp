#include <gtest/gtest.h>

#include <string>

#include "categories/file_types.hpp"

namespace kestrom::file_types {
namespace {

constexpr std::string_view kDefaultList =
    "AVI;BAT;CAB;CAT;CHM;COM;CMD;CSS;DOC;EML;EXE;INF;JS;LOG;MSI;MSG;MID;MP3;PIF;RAM;REG;RTF;SBS;SCR;TXT;URL;VBS;VBE;"
    "WSF;WSH;XLS;";

TEST(FileTypeList, DottedAndBareFormsNameTheSameExtension) {
  EXPECT_EQ(dotted("txt"), ".txt");
  EXPECT_EQ(dotted(".txt"), ".txt");
  EXPECT_EQ(dotted(""), "");
  EXPECT_EQ(bare(".TXT"), "TXT");
  EXPECT_TRUE(is_watched(kDefaultList, "txt"));
  EXPECT_TRUE(is_watched(kDefaultList, ".Txt"));
  EXPECT_FALSE(is_watched(kDefaultList, "tx"));
  EXPECT_FALSE(is_watched(kDefaultList, ""));
  EXPECT_FALSE(is_watched(kDefaultList, "."));
}

TEST(FileTypeList, EntriesAreSplitEmptyOnesSkippedLongOnesCut) {
  EXPECT_EQ(watched_extensions("AVI;;.bat;JS"), (std::vector<std::string>{"AVI", "bat", "JS"}));
  EXPECT_TRUE(watched_extensions("").empty());
  EXPECT_TRUE(watched_extensions(";;;").empty());
  const std::string longer(300, 'Q');
  const auto entries = watched_extensions("A;" + longer + ";B;");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1].size(), kMaxExtension);
  // Bytes beyond ASCII pass through untouched; only ASCII letters fold.
  EXPECT_TRUE(is_watched("\xC3\xA9XT;", "\xC3\xA9xt"));
  EXPECT_FALSE(is_watched("\xC3\xA9XT;", "\xC3\x89XT"));
}

TEST(FileTypeList, StopWatchingRemovesEveryEntryOfTheExtensionOnly) {
  EXPECT_EQ(without_extension("AVI;BAT;avi;CAB;", ".Avi"), "BAT;CAB;");
  EXPECT_EQ(without_extension("AVI;BAT;", "ZIP"), "AVI;BAT;");
  EXPECT_EQ(without_extension("AVI", "avi"), "");
}

TEST(FileTypeAdd, AddsUpperCaseWithItsSeparatorAndRefusesRepeats) {
  const AddOutcome added = add_to_list("AVI;", ".kt1");
  EXPECT_EQ(added.message, 0);
  EXPECT_EQ(added.list, "AVI;KT1;");
  EXPECT_EQ(add_to_list("AVI;KT1;", "kt1").message, kAlreadyWatched);
  EXPECT_EQ(add_to_list("", "kt1").list, "KT1;");
  // A list whose last separator was lost still keeps its entries apart.
  EXPECT_EQ(add_to_list("AVI", "KT1").list, "AVI;KT1;");
}

TEST(FileTypeAdd, TheLengthLimitCountsTheSeparator) {
  // 1015 characters plus "ABC" plus ";" would be 1019: allowed; one more is not.
  const std::string list(1015, 'X');
  const std::string with_separator = list.substr(0, 1014) + ";";
  EXPECT_EQ(add_to_list(with_separator, "ABC").message, 0);
  EXPECT_EQ(add_to_list(with_separator, "ABC").list.size(), kMaxWatchedList);
  EXPECT_EQ(add_to_list(with_separator, "ABCD").message, kListFull);
  // The limit is tested before the repeat, as the list full is the harder answer.
  EXPECT_EQ(add_to_list(std::string(1017, 'A') + ";", "A").message, kListFull);
}

TEST(FileTypeAdd, SeparatorsBackslashesControlsAndEmptyNamesAreInvalid) {
  const std::string_view bads[] = {"", ".", "a;b", "a\\b", "..\\x", "a\tb", "a\nb", std::string_view("a\0b", 3)};
  for (std::string_view bad : bads)
    EXPECT_EQ(add_to_list("AVI;", bad).message, kInvalidExtension) << bad;
  EXPECT_EQ(add_to_list("AVI;", std::string(kMaxExtension + 1, 'z')).message, kInvalidExtension);
  EXPECT_EQ(add_to_list("AVI;", std::string(kMaxExtension, 'z')).message, 0);
  // Blanks and bytes beyond ASCII are names Windows accepts.
  EXPECT_EQ(add_to_list("AVI;", "my ext").message, 0);
  EXPECT_EQ(add_to_list("AVI;", "\xC3\xA9t\xC3\xA9").list, "AVI;\xC3\xA9T\xC3\xA9;");
}

TEST(FileTypeCompare, TheProgramFileDecidesNotItsFolderOrQuotes) {
  EXPECT_TRUE(same_program("C:\\Old\\kt.exe %1", "D:\\New Place\\KT.EXE %1"));
  EXPECT_TRUE(same_program("C:\\Program Files\\X\\x.exe %1", "\"C:\\Program Files\\X\\x.exe\" \"%1\""));
  EXPECT_FALSE(same_program("C:\\X\\x.exe %1", "C:\\X\\y.exe %1"));
  EXPECT_FALSE(same_program("C:\\X\\x.exe %1", "C:\\X\\x.exe /p %1"));
  // "=" is compared as it stands on both sides.
  EXPECT_TRUE(same_program("C:\\X\\x.exe /a=1", "C:\\X\\x.exe /a=1"));
  EXPECT_TRUE(same_program("", ""));
  EXPECT_FALSE(same_program("x.exe", ""));
}

TEST(FileTypeCompare, NothingRecordedMeansAnEmptyNameOrCommandWhateverTheListHolds) {
  EXPECT_TRUE(nothing_recorded({"", ""}));
  EXPECT_TRUE(nothing_recorded({"txtfile", ""}));
  EXPECT_TRUE(nothing_recorded({"", "notepad.exe %1"}));
  EXPECT_FALSE(nothing_recorded({"txtfile", "notepad.exe %1"}));
  // A record that happens to read like the watched list is still a record.
  EXPECT_FALSE(nothing_recorded({"x", "KT1;KT2;"}));
}

TEST(FileTypeSnapshot, TheMarkerAndTheListDecideWhetherToBuild) {
  EXPECT_EQ(snapshot_build("Do not edit.", kDefaultList), SnapshotBuild::Exists);
  EXPECT_EQ(snapshot_build("Do not edit", kDefaultList), SnapshotBuild::RecordAgain);
  EXPECT_EQ(snapshot_build("Do not edit", ""), SnapshotBuild::RecordAgain);
  EXPECT_EQ(snapshot_build("", kDefaultList), SnapshotBuild::Build);
  EXPECT_EQ(snapshot_build("Do not edit.", ""), SnapshotBuild::Build);
  // The separator must come early: a list of one long name is not taken for a built one.
  EXPECT_EQ(snapshot_build("Do not edit.", "ABCDEFGHIJK;"), SnapshotBuild::Build);
  EXPECT_EQ(snapshot_build("Do not edit.", "KT1;"), SnapshotBuild::Exists);
}

TEST(FileTypeSnapshot, SourcesHaveTheirKeysAndAClassStaysWhileAnotherUsesIt) {
  EXPECT_EQ(snapshot_key(kMachineClass), kExtKey);
  EXPECT_EQ(snapshot_key(kApplication), kExtAppKey);
  EXPECT_EQ(snapshot_key(kProgId), kExtProgIdKey);
  EXPECT_TRUE(snapshot_key(0).empty());
  EXPECT_TRUE(snapshot_key(4).empty());
  EXPECT_TRUE(class_still_used("TxtFile", {"avifile", "txtfile"}));
  EXPECT_FALSE(class_still_used("txtfile", {"avifile"}));
  EXPECT_FALSE(class_still_used("txtfile", {}));
}

}  // namespace
}  // namespace kestrom::file_types
