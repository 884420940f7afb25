// Services against Wine's real service manager: a fixture service created for each test,
// the listings, the snapshot, stop, status, start type and the records the actions write.
#include <gtest/gtest.h>
#include <windows.h>

#include "categories/services_win.hpp"
#include "common/history_log.hpp"
#include "common/product_keys.hpp"
#include "common/text.hpp"
#include "startup/enumerate.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::services;
using namespace kestrom::test;

namespace {

constexpr const char* kKey = "KtFixtureAgent";
constexpr const char* kDisplay = "Fixture Agent Service";
const std::string kServices = "SYSTEM\\CurrentControlSet\\Services";
const std::string kSnapshot(keys::kServicesSnapshot);
const std::string kOptions = "Software\\Orvane\\Kestrom\\Options";

// A service key written straight into the registry: the service manager of this session does
// not know it, so it only serves the listing.
struct RegistryService {
  std::string key;
  RegistryService(std::string name, const std::string& image, const std::string& display, DWORD start = 3)
      : key(kServices + "\\" + name) {
    delete_tree(HKEY_LOCAL_MACHINE, key);
    if (!image.empty()) set_value(HKEY_LOCAL_MACHINE, key, "ImagePath", image, REG_EXPAND_SZ);
    if (!display.empty()) set_value(HKEY_LOCAL_MACHINE, key, "DisplayName", display);
    set_dword(HKEY_LOCAL_MACHINE, key, "Start", start);
  }
  ~RegistryService() { delete_tree(HKEY_LOCAL_MACHINE, key); }
};

const StartupItem* find_item(const ItemList& list, std::string_view title) {
  for (const auto& item : list.items())
    if (item.title == title) return &item;
  return nullptr;
}

std::vector<int> history_actions(std::string_view title) {
  std::vector<int> out;
  for (const auto& r : read_history(history_file_path()))
    if (r.title == title) out.push_back(r.action);
  return out;
}

class Services : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileA(history_file_path().c_str());
    set_value(HKEY_CURRENT_USER, kOptions, "HideMicrosoftServices", "0");
  }
  void TearDown() override {
    DeleteFileA(history_file_path().c_str());
    delete_tree(HKEY_CURRENT_USER, kSnapshot);
  }
  SavedValue hide_microsoft_{HKEY_CURRENT_USER, kOptions, "HideMicrosoftServices"};
  ItemRules rules_ = system_item_rules();
};

}  // namespace

TEST_F(Services, FullListingShowsProgramsByDisplayNameAndQuickListingEveryImageByKeyName) {
  TestService service(kKey, kDisplay, fixture("kt_service.exe"));
  ASSERT_TRUE(service);
  set_value(HKEY_LOCAL_MACHINE, kServices + "\\" + kKey, "Description", "Answers the service tests.");
  RegistryService driver("KtFixtureDriver", "System32\\drivers\\ktfixture.sys", "Fixture Driver", 1);
  RegistryService empty("KtFixtureEmpty", "", "Fixture Without Image");
  RegistryService host("KtFixtureHost", "%SystemRoot%\\system32\\svchost.exe -k ktfixture", "Fixture Host", 2);
  RegistryService hosted("KtFixtureHosted", "C:\\windows\\system32\\svchost.exe -k ktfixture", "Fixture Hosted", 4);
  set_value(HKEY_LOCAL_MACHINE, hosted.key + "\\Parameters", "ServiceDll", "C:\\windows\\system32\\ktfixture.dll");

  ItemList list;
  list_services(list, ListMode::Full, rules_, false);
  const StartupItem* agent = find_item(list, kDisplay);
  ASSERT_NE(agent, nullptr);
  EXPECT_EQ(agent->code, 700);
  EXPECT_EQ(agent->command, "Manual");
  EXPECT_EQ(agent->detail, "Answers the service tests.");
  EXPECT_NE(to_upper(agent->file).find("KT_SERVICE.EXE"), std::string::npos) << agent->file;
  EXPECT_EQ(agent->file.find('"'), std::string::npos);
  EXPECT_EQ(find_item(list, "Fixture Driver"), nullptr);
  EXPECT_EQ(find_item(list, "Fixture Without Image"), nullptr);
  // Shared-host services: code 701, the ServiceDll when there is one, the image path otherwise.
  const StartupItem* h = find_item(list, "Fixture Host");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->code, 701);
  EXPECT_NE(to_upper(h->file).find("SVCHOST.EXE -K KTFIXTURE"), std::string::npos) << h->file;
  EXPECT_EQ(h->command, "Automatic");
  const StartupItem* d = find_item(list, "Fixture Hosted");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->code, 701);
  EXPECT_EQ(d->file, "C:\\windows\\system32\\ktfixture.dll");
  EXPECT_EQ(d->command, "Disabled");

  list_services(list, ListMode::Quick, rules_, false);
  EXPECT_NE(find_item(list, kKey), nullptr);
  EXPECT_NE(find_item(list, "KtFixtureDriver"), nullptr);
  EXPECT_EQ(find_item(list, "KtFixtureEmpty"), nullptr);
  EXPECT_EQ(find_item(list, kDisplay), nullptr);
  for (const auto& item : list.items()) EXPECT_EQ(item.code, 700);
}

TEST_F(Services, MicrosoftProgramsAreLeftOutOnlyWhenAsked) {
  TestService mine(kKey, kDisplay, fixture("kt_service.exe"));
  TestService microsoft("KtFixtureMs", "Fixture Microsoft Service", fixture("kt_msservice.exe"));
  ASSERT_TRUE(mine && microsoft);
  ItemList list;
  set_value(HKEY_CURRENT_USER, kOptions, "HideMicrosoftServices", "1");
  list_services(list, ListMode::Full, rules_);
  EXPECT_NE(find_item(list, kDisplay), nullptr);
  EXPECT_EQ(find_item(list, "Fixture Microsoft Service"), nullptr);
  set_value(HKEY_CURRENT_USER, kOptions, "HideMicrosoftServices", "0");
  list_services(list, ListMode::Full, rules_);
  EXPECT_NE(find_item(list, "Fixture Microsoft Service"), nullptr);
}

TEST_F(Services, SnapshotIsBuiltOnceAndApprovesWhatExisted) {
  TestService service(kKey, kDisplay, fixture("kt_service.exe"));
  ASSERT_TRUE(service);
  delete_tree(HKEY_CURRENT_USER, kSnapshot);
  ItemList list;
  build_services_snapshot(list, rules_);
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kSnapshot, ""), "P");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kSnapshot, kDisplay), "700");
  EXPECT_TRUE(service_approved(kDisplay));
  EXPECT_EQ(list.size(), 0u);

  // Built already: a second start-up leaves it alone.
  delete_value(HKEY_CURRENT_USER, kSnapshot, kDisplay);
  build_services_snapshot(list, rules_);
  EXPECT_FALSE(service_approved(kDisplay));
  set_value(HKEY_CURRENT_USER, kSnapshot, kDisplay, "0");
  EXPECT_FALSE(service_approved(kDisplay));
  EXPECT_TRUE(approve_service(kDisplay, 700));
  EXPECT_TRUE(service_approved(kDisplay));
}

TEST_F(Services, FirstStageAsksForTheSecondWhenAnyKeyNameIsNotApproved) {
  TestService service(kKey, kDisplay, fixture("kt_service.exe"));
  ASSERT_TRUE(service);
  ItemList list;
  list_services(list, ListMode::Quick, rules_, false);
  for (const auto& item : list.items()) set_value(HKEY_CURRENT_USER, kSnapshot, item.title, "700");
  EXPECT_FALSE(services_changed(list, rules_));
  delete_value(HKEY_CURRENT_USER, kSnapshot, kKey);
  EXPECT_TRUE(services_changed(list, rules_));
}

TEST_F(Services, StatusFollowsTheServiceAndStopIsLoggedOnlyWhenAccepted) {
  TestService service(kKey, kDisplay, fixture("kt_service.exe"));
  ASSERT_TRUE(service);
  EXPECT_EQ(service_status_text(kDisplay), "Stopped");
  EXPECT_FALSE(service_state(kDisplay).can_stop());
  ASSERT_TRUE(service.start());
  std::uint32_t packed = 0;
  EXPECT_EQ(service_status_text(kDisplay, &packed), "Running");
  EXPECT_EQ(state_of(packed), SERVICE_RUNNING);
  EXPECT_EQ(packed & 0xFFFFu, static_cast<std::uint32_t>(SERVICE_WIN32_OWN_PROCESS));
  EXPECT_TRUE(service_state(kDisplay).can_stop());
  EXPECT_EQ(service_display_name(kKey).value_or(""), kDisplay);
  EXPECT_EQ(service_key_name(kDisplay).value_or(""), kKey);

  StartupItem item{kDisplay, fixture("kt_service.exe"), "Manual", 700, 0, {}};
  EXPECT_EQ(stop_service_logged(item), ActionResult::Done);
  EXPECT_TRUE(service.wait_state(SERVICE_STOPPED));
  EXPECT_EQ(history_actions(kDisplay), std::vector<int>{action::kServiceStop});
  // A stopped service cannot be stopped: nothing is claimed.
  EXPECT_NE(stop_service_logged(item), ActionResult::Done);
  EXPECT_EQ(history_actions(kDisplay).size(), 1u);
  EXPECT_EQ(service_status(kDisplay) >> 16, 0u + SERVICE_STOPPED);
}

TEST_F(Services, APendingServiceReadsPendingNotStopped) {
  TestService service(kKey, kDisplay, fixture("kt_service.exe"), "-pending");
  ASSERT_TRUE(service);
  ASSERT_TRUE(service.start(SERVICE_START_PENDING));
  EXPECT_EQ(service_status_text(kDisplay), "Pending Start");
  EXPECT_EQ(state_of(service_status(kDisplay)), SERVICE_START_PENDING);
}

TEST_F(Services, StartTypeChangeGoesThroughTheServiceManagerWithOldAndNewRecords) {
  TestService service(kKey, kDisplay, fixture("kt_service.exe"));
  ASSERT_TRUE(service);
  // A second key claims the same display text in the registry; only the service manager's
  // own key may change.
  RegistryService impostor("KtFixtureImpostor", "C:\\impostor.exe", kDisplay, 3);
  StartupItem item{kDisplay, fixture("kt_service.exe"), "Manual", 700, 0, {}};
  EXPECT_EQ(service_start_type(kDisplay), 3);
  EXPECT_EQ(change_service_start_type(item, 2), ActionResult::Done);
  EXPECT_EQ(service.start_type(), 2u);
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, kServices + "\\" + kKey, "Start"), std::string("\x02"));
  EXPECT_EQ(get_value(HKEY_LOCAL_MACHINE, impostor.key, "Start"), std::string("\x03"));
  EXPECT_EQ(history_actions(kDisplay), (std::vector<int>{action::kServiceFromManual, action::kServiceAutomatic}));

  EXPECT_EQ(change_service_start_type(item, 4), ActionResult::Done);
  EXPECT_EQ(service.start_type(), 4u);
  EXPECT_EQ(history_actions(kDisplay),
            (std::vector<int>{action::kServiceFromManual, action::kServiceAutomatic, action::kServiceFromAutomatic,
                              action::kServiceDisabled}));
}

TEST_F(Services, AnUnknownServiceIsNeverCreatedAndNothingIsRecorded) {
  const std::string ghost = "Fixture Ghost Service";
  StartupItem item{ghost, "C:\\ghost.exe", "Manual", 700, 0, {}};
  EXPECT_EQ(change_service_start_type(item, 4), ActionResult::NotDone);
  EXPECT_EQ(stop_service_logged(item), ActionResult::NotDone);
  EXPECT_EQ(refuse_new_service(item), ActionResult::NotDone);
  EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kServices + "\\" + ghost));
  EXPECT_TRUE(history_actions(ghost).empty());
  EXPECT_EQ(service_status_text(ghost), "Stopped");
  EXPECT_EQ(service_start_type(ghost), -1);
}

TEST_F(Services, RefusingANewServiceStopsAndDisablesItWithOneRecordEach) {
  TestService service(kKey, kDisplay, fixture("kt_service.exe"));
  ASSERT_TRUE(service);
  ASSERT_TRUE(service.start());
  StartupItem item{kDisplay, fixture("kt_service.exe"), "Manual", 700, 0, {}};
  EXPECT_EQ(refuse_new_service(item), ActionResult::Done);
  EXPECT_TRUE(service.wait_state(SERVICE_STOPPED));
  EXPECT_EQ(service.start_type(), 4u);
  EXPECT_EQ(history_actions(kDisplay),
            (std::vector<int>{action::kServiceFromManual, action::kServiceStop, action::kServiceDisabled}));
}

TEST_F(Services, DescriptionIsFoundByTheProgramTheServiceRuns) {
  TestService service(kKey, kDisplay, fixture("kt_service.exe"), "-pending");
  ASSERT_TRUE(service);
  set_value(HKEY_LOCAL_MACHINE, kServices + "\\" + kKey, "Description", "Answers the service tests.");
  RegistryService hosted("KtFixtureHosted", "C:\\windows\\system32\\svchost.exe -k ktfixture", "Fixture Hosted");
  set_value(HKEY_LOCAL_MACHINE, hosted.key + "\\Parameters", "ServiceDll", "C:\\windows\\system32\\ktfixture.dll");
  set_value(HKEY_LOCAL_MACHINE, hosted.key, "Description", "Hosted by the shared host.");

  EXPECT_EQ(service_description_for_program(to_upper(fixture("kt_service.exe"))), "Answers the service tests.");
  EXPECT_EQ(service_description_for_program("c:\\windows\\system32\\KTFIXTURE.DLL"), "Hosted by the shared host.");
  EXPECT_EQ(service_description_for_program("C:\\windows\\system32\\svchost.exe"), "");
  EXPECT_EQ(service_description_for_program("C:\\nowhere\\nothing.exe"), "");
}
