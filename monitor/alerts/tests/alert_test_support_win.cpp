#include "monitor/alerts/tests/alert_test_support.hpp"

#include <vector>

#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "tests/wine/wine_test_support.hpp"

namespace kestrom::test {

UserThread::UserThread(std::function<void()> work) : work_(std::move(work)) {
  thread_ = CreateThread(nullptr, 0, &UserThread::entry, this, 0, nullptr);
}

UserThread::~UserThread() {
  if (thread_) {
    WaitForSingleObject(thread_, 60000);
    CloseHandle(thread_);
  }
}

bool UserThread::join(DWORD timeout_ms) {
  if (!thread_) return false;
  return WaitForSingleObject(thread_, timeout_ms) == WAIT_OBJECT_0;
}

DWORD WINAPI UserThread::entry(LPVOID self) {
  try {
    static_cast<UserThread*>(self)->work_();
  } catch (...) {
  }
  return 0;
}

bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() > end) return false;
    Sleep(20);
  }
}

HWND wait_for_window(const std::string& title, DWORD timeout_ms) {
  HWND found = nullptr;
  wait_until(
      [&] {
        found = FindWindowA(nullptr, title.c_str());
        return found != nullptr && IsWindowVisible(found);
      },
      timeout_ms);
  return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

bool wait_until_gone(HWND window, DWORD timeout_ms) {
  return wait_until([&] { return !IsWindow(window); }, timeout_ms);
}

std::string window_text(HWND window) {
  if (!window) return {};
  const LRESULT n = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::vector<char> buf(static_cast<std::size_t>(n) + 1, '\0');
  SendMessageA(window, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
  return std::string(buf.data());
}

std::string control_text(HWND dialog, int control) { return window_text(GetDlgItem(dialog, control)); }

namespace {

// The Unix path of a Windows path, through Wine's own conversion; empty elsewhere.
std::string unix_path(const std::string& windows_path) {
  using Convert = char*(CDECL*)(LPCWSTR);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto convert = kernel ? reinterpret_cast<Convert>(
                              reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")))
                        : nullptr;
  if (!convert) return {};
  std::wstring wide(windows_path.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  if (n <= 0) return {};
  char* text = convert(wide.c_str());
  if (!text) return {};
  std::string out(text);
  HeapFree(GetProcessHeap(), 0, text);
  return out;
}

}  // namespace

bool save_screenshot(const std::string& name) {
  const std::string folder = test_program_folder() + "\\..\\screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string final_path = folder + "\\" + name + ".png";
  const std::string unix_folder = unix_path(folder);
  if (unix_folder.empty()) return false;
  DeleteFileA(final_path.c_str());
  // The picture is written under another name and renamed, so it appears complete.
  const std::string unix_temp = unix_folder + "/." + name + ".tmp.png";
  const std::string unix_final = unix_folder + "/" + name + ".png";
  std::string command = "Z:\\bin\\sh -c \"import -window root '" + unix_temp + "' && mv '" + unix_temp + "' '" +
                        unix_final + "'\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return wait_until([&] { return GetFileAttributesA(final_path.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
}

void delete_product_value(const std::string& name) {
  reg::delete_value(HKEY_CURRENT_USER, keys::kProduct, name);
}

}  // namespace kestrom::test
