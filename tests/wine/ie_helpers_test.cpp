// Browser helpers and ActiveX controls against the real registry of the prefix: class
// registrations in HKCR pointing at a fixture library under "Program Files", the helper keys
// and the kill bits under HKLM, refusals staged as a standard user meets them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "categories/activex_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "common/history.hpp"
#include "common/history_log.hpp"
#include "common/product_keys.hpp"
#include "common/text.hpp"
#include "startup/enumerate.hpp"
#include "tools/denied_key.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

const std::string kHelperA = "{6B7C1A01-0000-4000-8000-00000000A001}";
const std::string kHelperB = "{6B7C1A01-0000-4000-8000-00000000A002}";
const std::string kBare = "{6B7C1A01-0000-4000-8000-00000000A003}";  // no library
const std::string kToolbar = "6B7C1A01-0000-4000-8000-00000000A004";  // a value name without braces
const std::string kExtension = "{6B7C1A01-0000-4000-8000-00000000A005}";
const std::string kRelated = "{6B7C1A01-0000-4000-8000-00000000A006}";
const std::string kNoButton = "{6B7C1A01-0000-4000-8000-00000000A007}";
const std::string kControl = "{6B7C1A01-0000-4000-8000-00000000B001}";
const std::string kOffered = "{6B7C1A01-0000-4000-8000-00000000B002}";
const std::string kMsControl = "{6B7C1A01-0000-4000-8000-00000000B003}";
const std::string kCompatOnly = "{6B7C1A01-0000-4000-8000-00000000B004}";
const std::string kAlternate = "{6B7C1A01-0000-4000-8000-00000000B005}";
const std::string kOptions = "Software\\Orvane\\Kestrom\\Options";
const std::string kActiveXSnapshot = "Software\\Orvane\\Kestrom\\ActiveX";

std::string key_of(std::string_view parent, const std::string& name) { return std::string(parent) + "\\" + name; }

const StartupItem* find_command(const ItemList& list, std::string_view command) {
  for (const auto& item : list.items())
    if (iequals(item.command, command)) return &item;
  return nullptr;
}

std::vector<HistoryRecord> history_of(int action) {
  std::vector<HistoryRecord> out;
  for (const auto& r : read_history(history_file_path()))
    if (r.action == action) out.push_back(r);
  return out;
}

class Helpers : public ::testing::Test {
 protected:
  void SetUp() override { clean(); }
  void TearDown() override { clean(); }
  void clean() {
    for (const auto& c : {kHelperA, kHelperB, kBare, "{" + kToolbar + "}", kControl, kOffered, kMsControl, kCompatOnly,
                          kAlternate}) {
      unregister_test_class(c);
      delete_tree(HKEY_LOCAL_MACHINE, key_of(helpers::kHelperObjectsKey, c));
      delete_tree(HKEY_LOCAL_MACHINE, key_of(activex::kCompatibilityKey, c));
      delete_tree(HKEY_CURRENT_USER, key_of(activex::kStatsKey, c));
    }
    delete_value(HKEY_LOCAL_MACHINE, std::string(helpers::kToolbarKey), kToolbar);
    for (const auto& e : {kExtension, kRelated, kNoButton})
      delete_tree(HKEY_LOCAL_MACHINE, key_of(helpers::kExtensionsKey, e));
    delete_tree(HKEY_CURRENT_USER, std::string(keys::kIEHelpers));
    delete_tree(HKEY_CURRENT_USER, kActiveXSnapshot);
    DeleteFileA(history_file_path().c_str());
    DeleteFileA(marker.c_str());
  }
  void add_helper_object(const std::string& clsid, const std::string& name, const std::string& file) {
    ASSERT_TRUE(register_test_class(clsid, name, file));
    ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, key_of(helpers::kHelperObjectsKey, clsid), "", ""));
  }
  void add_used_control(const std::string& clsid, const std::string& name, const std::string& file) {
    ASSERT_TRUE(register_test_class(clsid, name, file));
    ASSERT_TRUE(set_value(HKEY_CURRENT_USER, key_of(activex::kStatsKey, clsid), "", ""));
  }

  const std::string library = fixture("kt_browser_helper.dll");
  const std::string marker = library + ".unregistered";
  SavedValue hide_microsoft_{HKEY_CURRENT_USER, kOptions, "HideMicrosoftActiveX"};
  ItemList list;
};

}  // namespace

TEST_F(Helpers, HelperObjectsToolbarsAndExtensionsAreListedInThatOrder) {
  ASSERT_NE(library.find(' '), std::string::npos) << library;
  add_helper_object(kHelperA, "Fixture Helper", library);
  add_helper_object(kBare, "No Library", "");
  ASSERT_TRUE(register_test_class("{" + kToolbar + "}", "Fixture Toolbar", library));
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, std::string(helpers::kToolbarKey), kToolbar, ""));
  const std::string ext = key_of(helpers::kExtensionsKey, kExtension);
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, ext, "ButtonText", "Research"));
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, ext, "script", "C:\\nowhere\\research.htm"));
  const std::string related = key_of(helpers::kExtensionsKey, kRelated);
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, related, "ButtonText", "res://shdoclc.dll/related"));
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, related, "Exec", "C:\\nowhere\\related.exe"));
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, related, "HotIcon", "C:\\nowhere\\hot.ico"));
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, key_of(helpers::kExtensionsKey, kNoButton), "Exec", library));

  const std::size_t count = helpers::list_ie_helpers(list, system_item_rules());
  EXPECT_EQ(count, list.size());
  const StartupItem* bho = find_command(list, kHelperA);
  const StartupItem* toolbar = find_command(list, kToolbar);
  const StartupItem* extension = find_command(list, kExtension);
  ASSERT_TRUE(bho && toolbar && extension);
  EXPECT_EQ(bho->title, "Helper Suite");
  EXPECT_TRUE(iequals(bho->file, library)) << bho->file;
  EXPECT_EQ(bho->code, 900);
  EXPECT_EQ(bho->detail, "1.2.3.4");
  // The toolbar's value name has no braces; its class is found with them.
  EXPECT_EQ(toolbar->title, "Helper Suite");
  EXPECT_EQ(toolbar->code, 901);
  EXPECT_LT(bho, toolbar);
  EXPECT_LT(toolbar, extension);
  EXPECT_EQ(extension->title, "Research");
  EXPECT_EQ(extension->file, "C:\\nowhere\\research.htm");
  EXPECT_EQ(extension->detail, "C:\\nowhere\\research.htm");
  EXPECT_EQ(extension->code, 902);
  const StartupItem* rel = find_command(list, kRelated);
  ASSERT_TRUE(rel);
  EXPECT_EQ(rel->title, "Related");
  EXPECT_EQ(rel->detail, "C:\\nowhere\\hot.ico");
  EXPECT_EQ(find_command(list, kBare), nullptr);
  EXPECT_EQ(find_command(list, kNoButton), nullptr);
}

TEST_F(Helpers, RemovingFindsTheHelperAgainAndUnregistersItsQuotedLibrary) {
  add_helper_object(kHelperA, "Fixture Helper", library);
  add_helper_object(kHelperB, "Other Helper", "C:\\nowhere\\other.dll");
  EXPECT_EQ(helpers::remove_ie_helper(900, kHelperA, system_item_rules()), ActionResult::Done);
  EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, key_of(helpers::kHelperObjectsKey, kHelperA)));
  EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, key_of(helpers::kHelperObjectsKey, kHelperB)));
  // regsvr32 reached the library under "Program Files" through its quoted path.
  EXPECT_TRUE(poll([&] { return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; })) << marker;
  const auto records = history_of(action::kIEHelperRemove);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].title, "kt_browser_helper.dll");
  EXPECT_TRUE(iequals(records[0].path, library));
  EXPECT_EQ(records[0].code, 900);
  // Gone is gone: nothing more is removed or recorded.
  EXPECT_EQ(helpers::remove_ie_helper(900, kHelperA, system_item_rules()), ActionResult::NotDone);
  EXPECT_EQ(history_of(action::kIEHelperRemove).size(), 1u);
}

TEST_F(Helpers, ARefusedRemovalKeepsTheHelperRunsNothingAndRecordsNothing) {
  add_helper_object(kHelperA, "Fixture Helper", library);
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, std::string(helpers::kToolbarKey), kToolbar, ""));
  ASSERT_TRUE(register_test_class("{" + kToolbar + "}", "Fixture Toolbar", library));
  {
    DeniedKey denied(HKEY_LOCAL_MACHINE, key_of(helpers::kHelperObjectsKey, kHelperA));
    ASSERT_TRUE(denied.denied);
    EXPECT_EQ(helpers::remove_ie_helper(900, kHelperA, system_item_rules()), ActionResult::Refused);
  }
  {
    DeniedKey denied(HKEY_LOCAL_MACHINE, std::string(helpers::kToolbarKey));
    ASSERT_TRUE(denied.denied);
    EXPECT_EQ(helpers::remove_ie_helper(901, kToolbar, system_item_rules()), ActionResult::Refused);
  }
  EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, key_of(helpers::kHelperObjectsKey, kHelperA)));
  EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, std::string(helpers::kToolbarKey), kToolbar));
  EXPECT_TRUE(history_of(action::kIEHelperRemove).empty());
  EXPECT_EQ(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Helpers, TheSnapshotHoldsEveryListedHelperUnderItsTitle) {
  add_helper_object(kHelperA, "Fixture Helper", library);
  EXPECT_FALSE(helpers::helper_approved("Helper Suite"));
  helpers::fill_helper_snapshot(list, system_item_rules());
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, std::string(keys::kIEHelpers), "Helper Suite"), "900");
  EXPECT_TRUE(helpers::helper_approved("Helper Suite"));
  EXPECT_TRUE(helpers::delete_helper_snapshot("Helper Suite"));
  EXPECT_TRUE(helpers::delete_helper_snapshot("Helper Suite"));
  EXPECT_FALSE(helpers::helper_approved("Helper Suite"));
  set_value(HKEY_CURRENT_USER, std::string(keys::kIEHelpers), "Helper Suite", "0");
  EXPECT_FALSE(helpers::helper_approved("Helper Suite"));
}

TEST_F(Helpers, UsedControlsAreListedWithTheirFlagsAndOfferedOnesAreNot) {
  set_value(HKEY_CURRENT_USER, kOptions, "HideMicrosoftActiveX", "0");
  add_used_control(kControl, "Fixture Viewer Control", library);
  ASSERT_TRUE(set_dword(HKEY_CURRENT_USER, key_of(activex::kStatsKey, kControl) + "\\iexplore", "Type", 1));
  ASSERT_TRUE(set_dword(HKEY_LOCAL_MACHINE, key_of(activex::kCompatibilityKey, kControl), "Compatibility Flags", 0x401));
  add_used_control(kOffered, "Offered Control", library);
  ASSERT_TRUE(set_dword(HKEY_CURRENT_USER, key_of(activex::kStatsKey, kOffered) + "\\iexplore", "Type", 2));
  add_used_control(kMsControl, "", fixture("kt_msservice.exe"));
  ASSERT_TRUE(register_test_class(kCompatOnly, "Compatible Only", library));
  ASSERT_TRUE(register_test_class(kAlternate, "Alternate Control", library));
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, key_of(activex::kCompatibilityKey, kCompatOnly), "AlternateCLSID",
                        kAlternate));

  activex::list_activex(list, activex::ListMode::Statistics, system_item_rules());
  const StartupItem* control = find_command(list, kControl);
  ASSERT_TRUE(control);
  EXPECT_EQ(control->title, "Fixture Viewer Control");
  EXPECT_TRUE(iequals(control->file, library));
  EXPECT_EQ(control->code, 1200);
  EXPECT_EQ(control->value, 0x401);
  EXPECT_EQ(control->detail, "1.2.3.4");
  EXPECT_EQ(find_command(list, kOffered), nullptr);
  const StartupItem* ms = find_command(list, kMsControl);
  ASSERT_TRUE(ms);
  EXPECT_EQ(ms->title, "Agent Service");  // no class name: the file description
  EXPECT_EQ(find_command(list, kAlternate), nullptr);

  set_value(HKEY_CURRENT_USER, kOptions, "HideMicrosoftActiveX", "1");
  activex::list_activex(list, activex::ListMode::All, system_item_rules());
  EXPECT_EQ(find_command(list, kMsControl), nullptr);
  EXPECT_TRUE(find_command(list, kControl));
  // An entry of the compatibility list is listed by its alternate class.
  const StartupItem* alternate = find_command(list, kAlternate);
  ASSERT_TRUE(alternate);
  EXPECT_EQ(alternate->title, "Alternate Control");
}

TEST_F(Helpers, TheKillBitIsSetAndClearedKeepingTheOtherFlags) {
  const std::string key = key_of(activex::kCompatibilityKey, kControl);
  ASSERT_TRUE(set_dword(HKEY_LOCAL_MACHINE, key, "Compatibility Flags", 0x1));
  EXPECT_TRUE(activex_enabled(activex::activex_flags(kControl)));
  EXPECT_EQ(activex::set_kill_bit(kControl), ActionResult::Done);
  EXPECT_EQ(activex::activex_flags(kControl), 0x401u);
  EXPECT_FALSE(activex_enabled(activex::activex_flags(kControl)));
  EXPECT_EQ(activex::clear_kill_bit(kControl), ActionResult::Done);
  EXPECT_EQ(activex::activex_flags(kControl), 0x1u);
  // A control without an entry gets one.
  EXPECT_EQ(activex::activex_flags(kOffered), 0u);
  EXPECT_EQ(activex::clear_kill_bit(kOffered), ActionResult::NotDone);
  EXPECT_EQ(activex::set_kill_bit(kOffered), ActionResult::Done);
  EXPECT_EQ(activex::activex_flags(kOffered), 0x400u);
}

TEST_F(Helpers, ARefusedKillBitLeavesNothingBehind) {
  const std::string key = key_of(activex::kCompatibilityKey, kControl);
  ASSERT_TRUE(set_dword(HKEY_LOCAL_MACHINE, key, "Compatibility Flags", 0x1));
  {
    DeniedKey denied(HKEY_LOCAL_MACHINE, key);
    ASSERT_TRUE(denied.denied);
    EXPECT_EQ(activex::set_kill_bit(kControl), ActionResult::Refused);
    EXPECT_EQ(activex::activex_flags(kControl), 0x1u);
  }
  ASSERT_TRUE(set_dword(HKEY_LOCAL_MACHINE, key, "Compatibility Flags", 0x401));
  {
    DeniedKey denied(HKEY_LOCAL_MACHINE, key);
    EXPECT_EQ(activex::clear_kill_bit(kControl), ActionResult::Refused);
    EXPECT_EQ(activex::activex_flags(kControl), 0x401u);
  }
  // A control's entry without flags: the refused write leaves it without them. (Wine lets a
  // path from the root create a key under a denied one, so a refused new entry cannot be
  // staged here.)
  const std::string bare = key_of(activex::kCompatibilityKey, kOffered);
  ASSERT_TRUE(set_value(HKEY_LOCAL_MACHINE, bare, "AlternateCLSID", kAlternate));
  {
    DeniedKey denied(HKEY_LOCAL_MACHINE, bare);
    ASSERT_TRUE(denied.denied);
    EXPECT_EQ(activex::set_kill_bit(kOffered), ActionResult::Refused);
  }
  EXPECT_FALSE(value_exists(HKEY_LOCAL_MACHINE, bare, "Compatibility Flags"));
}

TEST_F(Helpers, TheActiveXSnapshotIsBuiltOnceFromTheUsedControls) {
  add_used_control(kControl, "Fixture Viewer Control", library);
  EXPECT_FALSE(activex::activex_seen(kControl));
  activex::build_activex_snapshot(list, system_item_rules());
  EXPECT_EQ(list.size(), 0u);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kActiveXSnapshot, ""), "P");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kActiveXSnapshot, kControl), "1200");
  EXPECT_TRUE(activex::activex_seen(kControl));
  // Built is built: a control used later waits for the patrol.
  add_used_control(kOffered, "Later Control", library);
  activex::build_activex_snapshot(list, system_item_rules());
  EXPECT_FALSE(activex::activex_seen(kOffered));
  EXPECT_TRUE(activex::write_activex_seen(kOffered));
  EXPECT_TRUE(activex::activex_seen(kOffered));
}
