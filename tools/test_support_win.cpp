#include "tools/test_support_win.hpp"

#include <cctype>
#include <cstdlib>
#include <utility>
#include <vector>

#include <mstask.h>

#include "platform/com.hpp"
#include "platform/process.hpp"
#include "platform/service_control.hpp"
#include "platform/wide_text.hpp"
#include "platform/service_handle.hpp"

namespace kestrom::test {

bool pump_until(const std::function<bool()>& condition, DWORD timeout_ms) {
  return poll(
      [&] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
          TranslateMessage(&msg);
          DispatchMessageA(&msg);
        }
        return condition();
      },
      timeout_ms);
}

std::string test_program_folder() {
  char path[MAX_PATH * 2] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(sizeof path));
  const std::string file(path, n);
  const auto slash = file.find_last_of('\\');
  return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

std::string fixture(std::string_view name) { return test_program_folder() + "\\" + std::string(name); }

Process start_process(const std::string& program, std::string_view arguments, const std::string& folder) {
  std::string command = "\"" + program + "\"";
  if (!arguments.empty()) command += " " + std::string(arguments);
  platform::StartOptions options;
  options.folder = folder;
  options.keep_process = true;
  platform::Started started = platform::start_command_line(command, options);
  Process p;
  if (!started) return p;
  p.handle = std::move(started.process);
  p.pid = started.id;
  return p;
}

namespace {

// A file the started program inherits as its standard output or error; deleted when closed.
platform::UniqueFile inheritable_temp_file(const std::string& name) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const std::string path = test_program_folder() + "\\" + name;
  return platform::UniqueFile(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                          nullptr));
}

std::string read_whole(const platform::UniqueFile& file) {
  std::string out;
  if (SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return out;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  return out;
}

}  // namespace

ConsoleRun run_console_program(const std::string& program, std::string_view arguments, DWORD timeout_ms) {
  ConsoleRun run;
  const std::string stem = "console-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
  platform::UniqueFile out = inheritable_temp_file(stem + ".out");
  platform::UniqueFile err = inheritable_temp_file(stem + ".err");
  if (!out || !err) return run;
  std::string command = "\"" + program + "\"";
  if (!arguments.empty()) command += " " + std::string(arguments);
  platform::StartOptions options;
  options.keep_process = true;
  options.output = out.get();
  options.error_output = err.get();
  platform::Started started = platform::start_command_line(command, options);
  if (!started) return run;
  Process p;
  p.handle = std::move(started.process);
  p.pid = started.id;
  run.exit_code = wait_exit(p, timeout_ms);
  if (run.exit_code < 0) end_process(p);
  run.output = read_whole(out);
  run.error = read_whole(err);
  return run;
}

long wait_exit(const Process& p, DWORD timeout_ms) {
  if (!p || WaitForSingleObject(p.handle.get(), timeout_ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(p.handle.get(), &code);
  return static_cast<long>(code);
}

bool still_running(const Process& p) { return p && WaitForSingleObject(p.handle.get(), 0) == WAIT_TIMEOUT; }

void end_process(Process& p) {
  if (still_running(p)) {
    TerminateProcess(p.handle.get(), 1);
    WaitForSingleObject(p.handle.get(), kWaitMs);
  }
  p.handle.reset();
}

namespace {
constexpr const char* kRecordKey = "Software\\KestromTest";
}

std::vector<std::string> explorer_starts() {
  std::vector<std::string> out;
  DWORD starts = 0, size = sizeof starts;
  if (RegGetValueA(HKEY_CURRENT_USER, kRecordKey, "Starts", RRF_RT_REG_DWORD, nullptr, &starts, &size) ==
      ERROR_SUCCESS)
    for (DWORD i = 1; i <= starts; ++i)
      out.push_back(get_value(HKEY_CURRENT_USER, kRecordKey, "Switch" + std::to_string(i)));
  return out;
}

bool wait_explorer_starts(std::size_t count) {
  return poll([&] { return explorer_starts().size() >= count; });
}

void forget_explorer_starts() { delete_tree(HKEY_CURRENT_USER, kRecordKey); }

UserThread::UserThread(std::function<void()> work) : work_(std::move(work)) {
  thread_.reset(CreateThread(
      nullptr, 0,
      [](LPVOID self) -> DWORD {
        try {
          static_cast<UserThread*>(self)->work_();
        } catch (...) {
        }
        return 0;
      },
      this, 0, nullptr));
}

UserThread::~UserThread() { join(); }

bool UserThread::join(DWORD timeout_ms) {
  return thread_ && WaitForSingleObject(thread_.get(), timeout_ms) == WAIT_OBJECT_0;
}

bool screenshot(std::string_view name) {
  // The runner names the folder in the build tree (a Unix path); Wine shows the Unix root as Z:.
  const char* folder = std::getenv("KESTROM_SCREENSHOTS");
  if (!folder || !*folder) return false;
  const std::string unix_final = std::string(folder) + "/" + std::string(name) + ".png";
  const std::string unix_temp = std::string(folder) + "/." + std::string(name) + ".tmp.png";
  std::string windows_final = "Z:" + unix_final;
  for (char& c : windows_final)
    if (c == '/') c = '\\';
  DeleteFileA(windows_final.c_str());
  // Written under another name and renamed, so the file appears complete.
  // Wine's start.exe runs the Unix shell (a test program cannot start it directly).
  Process p = start_process("start.exe", "/unix /bin/sh -c \"mkdir -p '" + std::string(folder) +
                                             "' && import -window root '" + unix_temp + "' && mv '" + unix_temp +
                                             "' '" + unix_final + "'\"");
  return p && poll([&] { return GetFileAttributesA(windows_final.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

bool set_raw(HKEY root, const std::string& key, const std::string& name, DWORD type, const void* data, DWORD size) {
  return RegSetKeyValueA(root, key.c_str(), name.c_str(), type, data, size) == ERROR_SUCCESS;
}

bool set_value(HKEY root, const std::string& key, const std::string& name, const std::string& data, DWORD type) {
  const bool text = type == REG_SZ || type == REG_EXPAND_SZ;
  return set_raw(root, key, name, type, data.c_str(), static_cast<DWORD>(data.size() + (text ? 1 : 0)));
}

bool set_dword(HKEY root, const std::string& key, const std::string& name, std::uint32_t value) {
  return set_raw(root, key, name, REG_DWORD, &value, sizeof value);
}

std::string get_value(HKEY root, const std::string& key, const std::string& name) {
  constexpr DWORD kAsStored = RRF_RT_ANY | RRF_NOEXPAND;
  DWORD size = 0;
  if (RegGetValueA(root, key.c_str(), name.c_str(), kAsStored, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return "<missing>";
  std::string buf(size, '\0');
  RegGetValueA(root, key.c_str(), name.c_str(), kAsStored, nullptr, buf.data(), &size);
  buf.resize(size);
  while (!buf.empty() && buf.back() == '\0') buf.pop_back();
  return buf;
}

bool value_exists(HKEY root, const std::string& key, const std::string& name) {
  return RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

bool key_exists(HKEY root, const std::string& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

void delete_value(HKEY root, const std::string& key, const std::string& name) {
  RegDeleteKeyValueA(root, key.c_str(), name.c_str());
}

void delete_tree(HKEY root, const std::string& key) {
  if (RegDeleteTreeA(root, key.c_str()) == ERROR_SUCCESS) RegDeleteKeyA(root, key.c_str());
}

void clear_values(HKEY root, const std::string& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
  std::vector<char> name(16384);
  for (DWORD n = static_cast<DWORD>(name.size());
       RegEnumValueA(k, 0, name.data(), &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
       RegDeleteValueA(k, name.data()) == ERROR_SUCCESS;
       n = static_cast<DWORD>(name.size())) {
  }
  RegCloseKey(k);
}

SavedValue::SavedValue(HKEY root, std::string key, std::string name)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
  existed_ = value_exists(root_, key_, name_);
  if (existed_) {
    DWORD size = 0;
    RegGetValueA(root_, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, nullptr, &size);
    data_.resize(size);
    RegGetValueA(root_, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, data_.data(), &size);
    data_.resize(size);
  }
}

SavedValue::~SavedValue() {
  if (existed_)
    set_raw(root_, key_, name_, type_, data_.data(), static_cast<DWORD>(data_.size()));
  else
    delete_value(root_, key_, name_);
}

namespace {
constexpr CLSID kTaskSchedulerClass = {0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
constexpr IID kTaskSchedulerInterface = {0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
constexpr CLSID kTaskClass = {0x148BD520, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
constexpr IID kTaskInterface = {0x148BD524, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
constexpr IID kPersistFileInterface = {0x0000010b, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}  // namespace

bool make_job(const std::string& name, const std::string& application) {
  platform::ComApartment com;
  auto scheduler = platform::create_instance<ITaskScheduler>(kTaskSchedulerClass, kTaskSchedulerInterface);
  if (!scheduler) return false;
  IUnknown* raw = nullptr;
  if (FAILED(scheduler->NewWorkItem(platform::to_wide(name).c_str(), kTaskClass, kTaskInterface, &raw)) || !raw)
    return false;
  auto task = platform::ComPtr<ITask>::adopt(static_cast<ITask*>(static_cast<void*>(raw)));
  if (FAILED(task->SetApplicationName(platform::to_wide(application).c_str()))) return false;
  auto file = task.query<IPersistFile>(kPersistFileInterface);
  return file && SUCCEEDED(file->Save(nullptr, TRUE));
}

std::vector<std::string> job_names() {
  platform::ComApartment com;
  std::vector<std::string> names;
  auto scheduler = platform::create_instance<ITaskScheduler>(kTaskSchedulerClass, kTaskSchedulerInterface);
  IEnumWorkItems* raw = nullptr;
  if (!scheduler || FAILED(scheduler->Enum(&raw)) || !raw) return names;
  auto items = platform::ComPtr<IEnumWorkItems>::adopt(raw);
  LPWSTR* block = nullptr;
  ULONG fetched = 0;
  while (SUCCEEDED(items->Next(1, &block, &fetched)) && fetched == 1) {
    names.push_back(platform::from_wide(block[0]));
    CoTaskMemFree(block[0]);
    CoTaskMemFree(block);
    block = nullptr;
  }
  CoTaskMemFree(block);
  return names;
}

bool end_service_process(const std::string& service) {
  platform::UniqueService manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return false;
  platform::UniqueService handle(OpenServiceA(manager.get(), service.c_str(), SERVICE_QUERY_STATUS));
  if (!handle) return false;
  auto status = [&] {
    SERVICE_STATUS_PROCESS s{};
    DWORD needed = 0;
    QueryServiceStatusEx(handle.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&s), sizeof s, &needed);
    return s;
  };
  const auto now = status();
  if (now.dwCurrentState == SERVICE_STOPPED) return true;
  platform::UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, now.dwProcessId));
  if (!process || !TerminateProcess(process.get(), 1)) return false;
  return poll([&] { return status().dwCurrentState == SERVICE_STOPPED; });
}

namespace {
std::string job_file(const std::string& name) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\Tasks\\" + name + ".job";
}
}  // namespace

bool rename_job_file(const std::string& from, const std::string& to) {
  // A new prefix's scheduler writes its first job a moment after the save returned.
  return poll([&] { return MoveFileExA(job_file(from).c_str(), job_file(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0; });
}

void delete_job_file(const std::string& name) { DeleteFileA(job_file(name).c_str()); }

}  // namespace kestrom::test

namespace kestrom::test {

namespace {

using ScHandle = platform::UniqueService;

ScHandle open_test_service(const std::string& key, DWORD access) {
  ScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  return ScHandle(manager ? OpenServiceA(manager.get(), key.c_str(), access) : nullptr);
}

// Wine's service manager may not find a service it has just created while another process
// walks its database; it finds it a moment later.
ScHandle open_soon(const std::string& key, DWORD access) {
  ScHandle service;
  poll([&] {
    service = open_test_service(key, access);
    return static_cast<bool>(service);
  });
  return service;
}

}  // namespace

TestService::TestService(std::string key_name, std::string display_name, const std::string& program,
                         std::string_view arguments, DWORD start_type)
    : key_(std::move(key_name)), display_(std::move(display_name)) {
  ScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
  if (!manager.get()) return;
  std::string command = "\"" + program + "\"";
  if (!arguments.empty()) command += " " + std::string(arguments);
  ScHandle service;
  poll([&] {
    service.reset(CreateServiceA(manager.get(), key_.c_str(), display_.c_str(), SERVICE_ALL_ACCESS,
                                 SERVICE_WIN32_OWN_PROCESS, start_type, SERVICE_ERROR_IGNORE, command.c_str(), nullptr,
                                 nullptr, nullptr, nullptr, nullptr));
    return service || GetLastError() != ERROR_SERVICE_DATABASE_LOCKED;
  });
  created_ = static_cast<bool>(service);
}

TestService::~TestService() {
  if (!created_) return;
  {
    ScHandle service = open_soon(key_, SERVICE_ALL_ACCESS);
    if (!service) return;
    SERVICE_STATUS status{};
    if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) wait_state(SERVICE_STOPPED);
    DeleteService(service.get());
  }
  // The manager removes it once the last handle is closed.
  poll([&] { return !open_test_service(key_, SERVICE_QUERY_STATUS); });
}

bool TestService::start(DWORD state) {
  ScHandle service = open_soon(key_, SERVICE_START);
  if (!service) return false;
  // While the service manager starts the session's own services its database is locked.
  bool started = false;
  poll([&] {
    started = StartServiceA(service.get(), 0, nullptr) != FALSE;
    return started || GetLastError() != ERROR_SERVICE_DATABASE_LOCKED;
  }, 3 * kWaitMs);
  if (!started) return false;
  return wait_state(state);
}

DWORD TestService::state() const {
  ScHandle service = open_test_service(key_, SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  return service && QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

DWORD TestService::start_type() const {
  ScHandle service = open_test_service(key_, SERVICE_QUERY_CONFIG);
  if (!service) return 0;
  DWORD needed = 0;
  QueryServiceConfigA(service.get(), nullptr, 0, &needed);
  std::string buffer(needed, '\0');
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (needed == 0 || !QueryServiceConfigA(service.get(), config, needed, &needed)) return 0;
  return config->dwStartType;
}

bool TestService::wait_state(DWORD state) const {
  return poll([&] { return this->state() == state; });
}

bool register_test_class(const std::string& clsid, const std::string& name, const std::string& library) {
  const std::string key = "CLSID\\" + clsid;
  if (!set_value(HKEY_CLASSES_ROOT, key, "", name)) return false;
  return library.empty() || set_value(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "", library);
}

void unregister_test_class(const std::string& clsid) { delete_tree(HKEY_CLASSES_ROOT, "CLSID\\" + clsid); }

// The system's deletions at restart, upper-cased (Wine keeps the NT paths so).
std::string pending_operations() {
  const wchar_t* key = L"System\\CurrentControlSet\\Control\\Session Manager";
  DWORD size = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key, L"PendingFileRenameOperations", RRF_RT_ANY | RRF_NOEXPAND, nullptr, nullptr,
                   &size) != ERROR_SUCCESS)
    return {};
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key, L"PendingFileRenameOperations", RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                   data.data(), &size) != ERROR_SUCCESS)
    return {};
  std::string narrow;
  for (wchar_t c : data) narrow += c < 128 ? static_cast<char>(toupper(c)) : '?';
  return narrow;
}

}  // namespace kestrom::test
