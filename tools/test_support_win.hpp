// What every Windows test program needs besides the driver: one way to wait, to start a
// program, to take a screenshot and to set up the registry. The tests run from a copy of the
// build's programs inside the test prefix, so no path a test sees depends on the checkout.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.hpp"
#include "tools/driver_win.hpp"

namespace kestrom::test {

inline constexpr DWORD kWaitMs = driver::kDefaultTimeoutMs;
using driver::poll;
// Dispatches this thread's messages between the checks, for windows the test itself owns.
bool pump_until(const std::function<bool()>& condition, DWORD timeout_ms = kWaitMs);

// ---- Programs ------------------------------------------------------------------------------
// Folder of the running test program, without a trailing backslash.
std::string test_program_folder();
// A program or file built beside the test programs ("kt_agent.exe", "fixtures\\version_os.exe").
std::string fixture(std::string_view name);

struct Process {
  platform::UniqueHandle handle;
  DWORD pid = 0;
  explicit operator bool() const noexcept { return static_cast<bool>(handle); }
};
// Starts "program" arguments in the folder (empty: the test's own).
Process start_process(const std::string& program, std::string_view arguments = {}, const std::string& folder = {});
// The exit code, or -1 when the process did not end in time.
long wait_exit(const Process& p, DWORD timeout_ms = kWaitMs);
bool still_running(const Process& p);
// Ends the process if it still runs and waits for it.
void end_process(Process& p);

// A console program run to its end: its exit code (-1 when it did not end in time; it is then
// ended) and what it wrote to standard output and error, byte for byte.
struct ConsoleRun {
  long exit_code = -1;
  std::string output;
  std::string error;
};
ConsoleRun run_console_program(const std::string& program, std::string_view arguments = {},
                               DWORD timeout_ms = kWaitMs);

// What the stand-in explorer (tests/fixtures/fake_explorer, also the tests' browser) recorded:
// its command line at each start, in order.
std::vector<std::string> explorer_starts();
bool wait_explorer_starts(std::size_t count);
void forget_explorer_starts();

// Runs `work` on a thread of its own, the user's hands while the test's thread shows a modal
// dialog; the destructor waits for it.
class UserThread {
 public:
  explicit UserThread(std::function<void()> work);
  ~UserThread();
  UserThread(const UserThread&) = delete;
  UserThread& operator=(const UserThread&) = delete;
  bool join(DWORD timeout_ms = 3 * kWaitMs);

 private:
  std::function<void()> work_;
  platform::UniqueHandle thread_;
};

// Saves the whole virtual display as <build>/screenshots/<name>.png (the runner names the
// folder); true when the picture was written.
bool screenshot(std::string_view name);

// ---- Registry ------------------------------------------------------------------------------
// Written and read with the system's own calls, independent of the code under test.
bool set_value(HKEY root, const std::string& key, const std::string& name, const std::string& data,
               DWORD type = REG_SZ);
bool set_dword(HKEY root, const std::string& key, const std::string& name, std::uint32_t value);
bool set_raw(HKEY root, const std::string& key, const std::string& name, DWORD type, const void* data, DWORD size);
// The value's text; "<missing>" when it does not exist.
std::string get_value(HKEY root, const std::string& key, const std::string& name);
bool value_exists(HKEY root, const std::string& key, const std::string& name);
bool key_exists(HKEY root, const std::string& key);
void delete_value(HKEY root, const std::string& key, const std::string& name);
// Removes a key and everything below it.
void delete_tree(HKEY root, const std::string& key);
void clear_values(HKEY root, const std::string& key);

// ---- Scheduled tasks --------------------------------------------------------------------------
// A work item saved through the Task Scheduler itself (NewWorkItem, a .job file in the Tasks
// folder), named `name` without the ".job" ending, running `application`. True when saved.
bool make_job(const std::string& name, const std::string& application);
// The names the scheduler enumerates (with their ".job" endings).
std::vector<std::string> job_names();
// Stops a service by ending the process that hosts it (Wine's scheduler accepts no stop
// control) and waits until the service manager reports it stopped. True when it is stopped.
bool end_service_process(const std::string& service);
// Renames a saved job's file (the scheduler refuses to create names with a dot in them).
bool rename_job_file(const std::string& from, const std::string& to);
// Deletes the job file of `name` (without the ending) directly, whatever the scheduler says.
void delete_job_file(const std::string& name);

// Puts a value back as it was when the test began (also when it did not exist).
class SavedValue {
 public:
  SavedValue(HKEY root, std::string key, std::string name);
  ~SavedValue();
  SavedValue(const SavedValue&) = delete;
  SavedValue& operator=(const SavedValue&) = delete;

 private:
  HKEY root_;
  std::string key_, name_, data_;
  DWORD type_ = REG_NONE;
  bool existed_ = false;
};

// A service of the test, created through the service manager (own process, demand start) and
// stopped and deleted when the object goes. `arguments` follow the quoted program path.
class TestService {
 public:
  TestService(std::string key_name, std::string display_name, const std::string& program,
              std::string_view arguments = {}, DWORD start_type = SERVICE_DEMAND_START);
  ~TestService();
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;
  explicit operator bool() const noexcept { return created_; }
  const std::string& key_name() const noexcept { return key_; }
  const std::string& display_name() const noexcept { return display_; }
  // Starts it and waits until it reports `state` (SERVICE_RUNNING, SERVICE_START_PENDING).
  bool start(DWORD state = SERVICE_RUNNING);
  // The state and start type the service manager reports; 0 when it cannot be read.
  DWORD state() const;
  DWORD start_type() const;
  bool wait_state(DWORD state) const;

 private:
  std::string key_, display_;
  bool created_ = false;
};

// The system's deletions at restart, upper-cased (Wine keeps the NT paths so).
std::string pending_operations();

// ---- Browser helpers and controls ---------------------------------------------------------
// A class registration under HKCR: "CLSID\<clsid>" named `name`, its InprocServer32 `library`
// (no InprocServer32 key when empty). `clsid` is written as given, braces and all.
bool register_test_class(const std::string& clsid, const std::string& name, const std::string& library);
void unregister_test_class(const std::string& clsid);

}  // namespace kestrom::test
