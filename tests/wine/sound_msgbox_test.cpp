#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "common/msgbox.hpp"
#include "common/sound.hpp"
#include "common/textloader.hpp"
#include "tests/wine/reg_test_helpers.hpp"

using namespace kestrom;
using namespace kestrom::test;

TEST(Sound, SilentAndHarmlessWithoutDeviceFileOrValidIndex) {
  wipe(HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\Kestrom");
  for (int i = -1; i <= 7; ++i) play_sound(i, 1);  // no file: the program's own wave (none in tests)
  ASSERT_TRUE(set_text(HKEY_CURRENT_USER, std::string(sound_event_key(1)), "", "C:\\no\\such\\alert.wav"));
  play_sound(1, 1);
  ASSERT_TRUE(set_text(HKEY_CURRENT_USER, std::string(sound_event_key(2)), "", std::string(300, 'w')));
  play_sound(2, 1);
  play_sound(1, 0);
  play_sound(1, -3);
  wipe(HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\Kestrom");
  SUCCEED();
}

namespace {

struct BoxSeen {
  bool found = false;
  bool topmost = false;
  std::string caption;
  std::string text;
};

BOOL CALLBACK first_dialog(HWND w, LPARAM out) {
  char cls[32] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (std::string(cls) != "#32770") return TRUE;
  *reinterpret_cast<HWND*>(out) = w;
  return FALSE;
}

// Waits for the message box of the asking thread, notes what it shows and answers No. Any box
// is answered, so a wrong caption fails the test instead of leaving it waiting.
void answer_no(DWORD asking_thread, BoxSeen& seen) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    HWND box = nullptr;
    EnumThreadWindows(asking_thread, first_dialog, reinterpret_cast<LPARAM>(&box));
    if (box && IsWindowVisible(box)) {
      seen.found = true;
      seen.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
      char buf[512] = {};
      GetWindowTextA(box, buf, sizeof buf);
      seen.caption = buf;
      buf[0] = '\0';
      if (HWND label = GetDlgItem(box, 0xFFFF)) GetWindowTextA(label, buf, sizeof buf);
      seen.text = buf;
      PostMessageA(box, WM_COMMAND, IDNO, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

TEST(MessageBox, CaptionIsTheProgramTitleAndTheBoxIsTopmost) {
  text::set_language(9);
  BoxSeen seen;
  std::thread helper(answer_no, GetCurrentThreadId(), std::ref(seen));
  int answer = message_box_string(nullptr, 1183, MB_YESNO);
  helper.join();
  EXPECT_TRUE(seen.found);
  EXPECT_EQ(seen.caption, "Kestrom");
  EXPECT_TRUE(seen.topmost);
  EXPECT_EQ(answer, IDNO);
  if (!seen.text.empty()) {
    EXPECT_EQ(seen.text, "Kestrom VANT Info...");
  }
}
