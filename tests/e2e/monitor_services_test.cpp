// The monitor meets a new service: created while it runs, asked about with the new-service
// alert, and answered No.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/history.hpp"
#include "common/history_log.hpp"
#include "tests/e2e/e2e_support_win.hpp"

using namespace kestrom;
using namespace kestrom::e2e;

namespace {

constexpr const char* kAlertCaption = "Kestrom New Program Alert";
constexpr const char* kServicesSnapshot = "Software\\Orvane\\Kestrom\\Services";
constexpr UINT kRealtimeMessage = 9024;
// Two Patrol Cycles of 34 seconds each at most before the second half runs the step.
constexpr DWORD kPatrolWaitMs = 120000;

std::vector<int> actions_for(const std::string& file, std::string_view title) {
  std::vector<int> out;
  for (const auto& r : read_history(file))
    if (r.title == title) out.push_back(r.action);
  return out;
}

class MonitorServices : public ::testing::Test {
 protected:
  void SetUp() override { reset_state(); }
  void TearDown() override { reset_state(); }
};

}  // namespace

TEST_F(MonitorServices, NewServiceAnsweredNoIsStoppedDisabledLoggedAndApproved) {
  const std::string history = program_folder("alone") + "\\history.txt";
  DeleteFileA(history.c_str());
  // A service that was there before the monitor, approved by its start-up snapshot.
  test::TestService early("KtFixtureEarly", "Fixture Early Service", test::fixture("kt_service.exe"));
  ASSERT_TRUE(early);
  Process m = start_monitor_for_new_services(early);
  ASSERT_TRUE(m);
  HWND window = monitor_window(m.pid);
  ASSERT_NE(window, nullptr);
  // The snapshot of the services that were there is taken at start-up.
  EXPECT_EQ(test::get_value(HKEY_CURRENT_USER, kServicesSnapshot, ""), "P");

  const std::string display = "Fixture Patrol Service";
  test::TestService service("KtFixturePatrol", display, test::fixture("kt_service.exe"));
  ASSERT_TRUE(service);
  ASSERT_TRUE(service.start());
  // A new process makes the realtime check bring the services step forward.
  PostMessageA(window, kRealtimeMessage, 0, 0);

  HWND alert = dialog_of(m.pid, kAlertCaption, kPatrolWaitMs);
  ASSERT_NE(alert, nullptr) << "no new-service alert";
  EXPECT_EQ(driver::text_of(GetDlgItem(alert, 100)), display);
  const std::string question = driver::text_of(GetDlgItem(alert, 1036));
  EXPECT_NE(question.find("Startup Status: Manual"), std::string::npos) << question;
  EXPECT_NE(question.find("Active Status: Running."), std::string::npos) << question;
  EXPECT_TRUE(test::screenshot("alert_new_service"));
  ASSERT_TRUE(driver::press(alert, 7));
  ASSERT_TRUE(driver::wait_until_gone(alert, kWaitMs));

  EXPECT_TRUE(service.wait_state(SERVICE_STOPPED));
  EXPECT_EQ(service.start_type(), 4u);
  EXPECT_TRUE(test::poll([&] { return test::get_value(HKEY_CURRENT_USER, kServicesSnapshot, display) == "700"; }));
  EXPECT_EQ(actions_for(history, display),
            (std::vector<int>{action::kServiceFromManual, action::kServiceStop, action::kServiceDisabled}));

  EXPECT_EQ(wait_exit(start_monitor("alone", "-Q")), 0);
  EXPECT_EQ(wait_exit(m), 0);
  DeleteFileA(history.c_str());
}
