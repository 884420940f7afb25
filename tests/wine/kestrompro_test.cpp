// kestrompro.dll: its watcher loaded into the test program and driven by ordinal. The real
// monitor's use of it is checked end to end in tests/e2e/monitor_test.cpp.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "platform/handles.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

constexpr UINT kRealtime = 9024;
constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kTestValue = "KestromProTest";
// How long a test listens for a message that must not come. Not a wait for something to happen:
// the watcher has been joined by then, so nothing could post it however long we listened.
constexpr DWORD kQuietMs = 1000;

using StartFn = int(WINAPI*)(HWND);
using StopFn = int(WINAPI*)();

bool set_value(HKEY root, const std::string& path, const char* name = kTestValue) {
  return test::set_value(root, path, name, "C:\\tools\\agent.exe /quiet");
}

void delete_value(HKEY root, const std::string& path, const char* name = kTestValue) {
  test::delete_value(root, path, name);
}

int thread_count() {
  platform::UniqueFile snap(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snap) return -1;
  THREADENTRY32 t{};
  t.dwSize = sizeof t;
  int n = 0;
  for (BOOL ok = Thread32First(snap.get(), &t); ok; ok = Thread32Next(snap.get(), &t))
    if (t.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  return n;
}

// Takes one message 9024 of the window from this thread's queue, waiting up to the timeout.
bool take_realtime(HWND window, DWORD timeout_ms = kWaitMs) {
  return poll(
      [&] {
        MSG msg;
        return PeekMessageA(&msg, window, kRealtime, kRealtime, PM_REMOVE) != FALSE;
      },
      timeout_ms);
}

void drain(HWND window) {
  MSG msg;
  while (PeekMessageA(&msg, window, kRealtime, kRealtime, PM_REMOVE)) {
  }
}

HWND make_window() {
  return CreateWindowExA(0, "STATIC", "kestrompro test", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

class ProWatcher : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string dll = fixture("kestrompro.dll");
    module_.reset(LoadLibraryA(dll.c_str()));
    ASSERT_TRUE(module_) << dll;
    start_ = reinterpret_cast<StartFn>(reinterpret_cast<void*>(GetProcAddress(module_.get(), MAKEINTRESOURCEA(2))));
    stop_ = reinterpret_cast<StopFn>(reinterpret_cast<void*>(GetProcAddress(module_.get(), MAKEINTRESOURCEA(3))));
    ASSERT_NE(start_, nullptr);
    ASSERT_NE(stop_, nullptr);
    stop_();  // a watcher left by a failed test
    window_ = make_window();
    ASSERT_NE(window_, nullptr);
    clean();
  }
  void TearDown() override {
    if (stop_) stop_();
    if (window_) DestroyWindow(window_);
    clean();
  }
  static void clean() {
    delete_value(HKEY_CURRENT_USER, kRun);
    delete_value(HKEY_LOCAL_MACHINE, kRun);
    delete_tree(HKEY_CURRENT_USER, std::string(kCurrentVersion) + "\\RunServicesOnce");
    delete_tree(HKEY_CURRENT_USER, std::string(kCurrentVersion) + "\\policies\\Explorer\\Run");
    delete_tree(HKEY_LOCAL_MACHINE, std::string(kCurrentVersion) + "\\RunOnceEx\\0077");
    delete_value(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run");
    delete_tree(HKEY_CURRENT_USER, kRunOnce);
  }
  // Ordinal 3 on a thread of its own: a watcher that never stops fails the test instead of
  // hanging it.
  bool stop_returns() {
    platform::UniqueHandle t(CreateThread(
        nullptr, 0, [](LPVOID p) -> DWORD { return static_cast<DWORD>(reinterpret_cast<StopFn>(p)()); },
        reinterpret_cast<LPVOID>(stop_), 0, nullptr));
    return t && WaitForSingleObject(t.get(), kWaitMs) == WAIT_OBJECT_0;
  }

  platform::UniqueModule module_;
  StartFn start_ = nullptr;
  StopFn stop_ = nullptr;
  HWND window_ = nullptr;
};

}  // namespace

TEST_F(ProWatcher, EveryKindOfRunKeyChangeReachesTheWindow) {
  struct Case {
    const char* name;
    HKEY root;
    std::string key;            // where the test writes its value
    std::string missing_first;  // deleted before the watcher starts: watched through a parent
  };
  const std::string cv = kCurrentVersion;
  std::vector<Case> cases{
      {"user Run", HKEY_CURRENT_USER, kRun, {}},
      {"machine Run", HKEY_LOCAL_MACHINE, kRun, {}},
      {"machine RunOnceEx entry in a subkey", HKEY_LOCAL_MACHINE, cv + "\\RunOnceEx\\0077", {}},
      {"user RunServicesOnce created after the start", HKEY_CURRENT_USER, cv + "\\RunServicesOnce",
       cv + "\\RunServicesOnce"},
      // Two levels missing: the watch climbs from the parent to the key as each is created.
      {"user policies Run below a missing Explorer key", HKEY_CURRENT_USER, cv + "\\policies\\Explorer\\Run",
       cv + "\\policies\\Explorer"},
  };
  if (key_exists(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node"))
    cases.push_back({"32-bit machine Run", HKEY_LOCAL_MACHINE,
                     "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", {}});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.missing_first.empty()) {
      delete_tree(c.root, c.missing_first);
      ASSERT_FALSE(key_exists(c.root, c.key));
    }
    ASSERT_EQ(start_(window_), 1);
    drain(window_);
    ASSERT_TRUE(set_value(c.root, c.key));
    EXPECT_TRUE(take_realtime(window_)) << "no message 9024 after writing a value into " << c.key;
    ASSERT_TRUE(stop_returns());
    delete_value(c.root, c.key);
    drain(window_);
  }
}

TEST_F(ProWatcher, KeyDeletedWhileWatchedIsFollowedWhenItComesBack) {
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kRunOnce, "Existing"));
  ASSERT_EQ(start_(window_), 1);
  drain(window_);
  delete_tree(HKEY_CURRENT_USER, kRunOnce);
  ASSERT_FALSE(key_exists(HKEY_CURRENT_USER, kRunOnce));
  EXPECT_TRUE(take_realtime(window_)) << "deleting the whole key is a change too";
  drain(window_);
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kRunOnce));
  EXPECT_TRUE(take_realtime(window_)) << "the recreated key is watched again";
  drain(window_);
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kRunOnce, "Second"));
  EXPECT_TRUE(take_realtime(window_)) << "and keeps being watched";
}

TEST_F(ProWatcher, StopJoinsTheWatcherAndNothingArrivesAfterIt) {
  const int before = thread_count();
  ASSERT_EQ(start_(window_), 1);
  EXPECT_EQ(thread_count(), before + 1) << "one watcher thread";
  ASSERT_TRUE(stop_returns()) << "ordinal 3 did not return";
  EXPECT_EQ(thread_count(), before) << "ordinal 3 waits until the watcher has ended";
  drain(window_);
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kRun));
  EXPECT_FALSE(take_realtime(window_, kQuietMs)) << "a change after ordinal 3 still reached the window";
  EXPECT_EQ(stop_(), 0) << "a second ordinal 3 has nothing to stop";
}

TEST_F(ProWatcher, SecondStartKeepsOneWatcherAndFollowsTheNewestWindow) {
  const int before = thread_count();
  ASSERT_EQ(start_(window_), 1);
  ASSERT_EQ(start_(window_), 1);
  EXPECT_EQ(thread_count(), before + 1);

  // A monitor window made again (the tests that drive the window in-process do so) takes
  // over the notifications; the old one gets no more.
  HWND second = make_window();
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(start_(second), 1);
  EXPECT_EQ(thread_count(), before + 1) << "no second watcher";
  drain(window_);
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kRun));
  EXPECT_TRUE(take_realtime(second));
  ASSERT_TRUE(stop_returns());
  EXPECT_FALSE(take_realtime(window_, 0));
  EXPECT_EQ(thread_count(), before);
  DestroyWindow(second);
}

TEST_F(ProWatcher, StopWithoutStartAndStartWithoutAWindowAreHarmless) {
  const int before = thread_count();
  EXPECT_EQ(stop_(), 0);
  EXPECT_EQ(start_(nullptr), 0);
  HWND gone = make_window();
  DestroyWindow(gone);
  EXPECT_EQ(start_(gone), 0) << "a destroyed window";
  EXPECT_EQ(thread_count(), before) << "nothing was started for them";

  // And the component still starts and stops normally afterwards, also a second time.
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    ASSERT_EQ(start_(window_), 1);
    drain(window_);
    ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kRun, run == 0 ? "First" : "Second"));
    EXPECT_TRUE(take_realtime(window_));
    ASSERT_TRUE(stop_returns());
  }
  delete_value(HKEY_CURRENT_USER, kRun, "First");
  delete_value(HKEY_CURRENT_USER, kRun, "Second");
}
