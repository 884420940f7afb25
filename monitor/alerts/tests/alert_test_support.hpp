// Helpers of the alert tests under Wine: a second thread that plays the user, window lookup by
// polling, reading control texts and screenshots of the virtual display.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace kestrom::test {

// Runs `work` on its own thread while the test's thread shows a modal dialog.
class UserThread {
 public:
  explicit UserThread(std::function<void()> work);
  ~UserThread();
  UserThread(const UserThread&) = delete;
  UserThread& operator=(const UserThread&) = delete;
  // Waits for the work to finish; false when it did not within the time-out.
  bool join(DWORD timeout_ms = 60000);

 private:
  static DWORD WINAPI entry(LPVOID self);
  std::function<void()> work_;
  HANDLE thread_ = nullptr;
};

// Polls for a visible top-level window with this title; null after the time-out.
HWND wait_for_window(const std::string& title, DWORD timeout_ms = 30000);
// Polls until the window is gone; false after the time-out.
bool wait_until_gone(HWND window, DWORD timeout_ms = 30000);
// Polls until `condition` holds; false after the time-out.
bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms = 30000);

std::string window_text(HWND window);
std::string control_text(HWND dialog, int control);

// Saves a picture of the whole virtual display as build/win/screenshots/<name>.png; false when
// it could not be taken (no display tool, not under Wine).
bool save_screenshot(const std::string& name);

// Deletes a value under HKEY_CURRENT_USER\Software\Orvane\Kestrom (missing is fine).
void delete_product_value(const std::string& name);

}  // namespace kestrom::test
