// Running programs: listing, finding and ending a child process the test starts itself.
#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "categories/active_tasks.hpp"
#include "common/history_log.hpp"
#include "common/text.hpp"
#include "tests/wine/startup_test_support.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

// A running copy of the program, ended with the test.
struct Child : Process {
  explicit Child(const std::string& exe) : Process(start_process(exe)) {}
  ~Child() { end_process(*this); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
};

// The process list shows a new process with a delay.
bool wait_listed(const std::string& exe) {
  return poll([&] { return find_program_process(exe) != 0; });
}

class ActiveTasks : public ::testing::Test {
 protected:
  void SetUp() override { DeleteFileA(history_file_path().c_str()); }
  void TearDown() override { DeleteFileA(history_file_path().c_str()); }
  const std::string sleeper = fixture("kt_sleeper.exe");
};

}  // namespace

TEST_F(ActiveTasks, TwoCopiesOfOneProgramGiveOneItem) {
  Child a(sleeper), b(sleeper);
  ASSERT_TRUE(a && b);
  ASSERT_TRUE(wait_listed(sleeper));
  ItemList list;
  auto count = list_active_tasks(list, system_item_rules());
  EXPECT_EQ(count, list.size());
  int found = 0;
  for (const auto& item : list.items()) {
    if (!contains(item.file, "KT_SLEEPER.EXE")) continue;
    ++found;
    EXPECT_EQ(item.title, "Sleeper Program");
    EXPECT_EQ(item.code, 600);
    EXPECT_TRUE(item.value == static_cast<int>(a.pid) || item.value == static_cast<int>(b.pid));
  }
  EXPECT_EQ(found, 1);
}

TEST_F(ActiveTasks, EndProgramEndsTheChildAndLogsIt) {
  Child child(sleeper);
  ASSERT_TRUE(child);
  ASSERT_TRUE(wait_listed(sleeper));
  EXPECT_EQ(find_program_process(sleeper), child.pid);
  EXPECT_EQ(find_program_process("kt_sleeper.exe"), child.pid);
  EXPECT_EQ(end_program("Sleeper Program", sleeper), child.pid);
  EXPECT_NE(wait_exit(child), -1);
  auto recs = read_history(history_file_path());
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0].action, action::kTaskKill);
  EXPECT_EQ(recs[0].code, 600);
  EXPECT_EQ(recs[0].title, "Sleeper Program");
}

TEST_F(ActiveTasks, NothingToEndWritesNothing) {
  EXPECT_EQ(end_program("None", "C:\\no\\such\\program.exe"), 0u);
  EXPECT_EQ(end_program_with_question(nullptr, "None", "C:\\no\\such\\program.exe", false), 0u);
  EXPECT_TRUE(read_history(history_file_path()).empty());
}

// Process ids are reused: an id that now names another program is left alone, and only a
// process that Windows really ended is recorded as ended.
TEST_F(ActiveTasks, AProcessIsEndedOnlyWhileItRunsTheProgramAndOnlyThenRecorded) {
  Child child(sleeper);
  ASSERT_TRUE(child);
  EXPECT_EQ(end_process(child.pid, "Agent", fixture("kt_agent.exe")), 0u);
  EXPECT_TRUE(still_running(child));

  // A process whose security does not let us end it.
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;0x1;;;WD)(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                   &sd, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
  ASSERT_EQ(SetSecurityInfo(child.handle.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                            nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  LocalFree(sd);
  ASSERT_TRUE(wait_listed(sleeper));
  EXPECT_EQ(end_program("Sleeper Program", sleeper), 0u);
  EXPECT_TRUE(still_running(child));
  EXPECT_TRUE(read_history(history_file_path()).empty());
}
