// The product's message box, shown for real and answered from a second thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/msgbox.hpp"
#include "common/textloader.hpp"
#include "tools/driver_win.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;

TEST(MessageBox, CaptionIsTheProgramTitleTheTextComesFromTheTableAndTheBoxIsTopmost) {
  text::set_language(9);
  std::string caption, texts;
  bool topmost = false;
  // The box is modal on this thread: the user's thread notes what it shows and answers No.
  test::UserThread user([&] {
    driver::WindowQuery q;
    q.class_name = "#32770";
    q.process_id = GetCurrentProcessId();
    q.visible_only = true;
    HWND box = driver::wait_for_window(q);
    if (!box) return;
    caption = driver::text_of(box);
    texts = driver::all_texts(box);
    topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    driver::press(box, IDNO);
  });
  const int answer = message_box_string(nullptr, 1183, MB_YESNO);
  ASSERT_TRUE(user.join());
  EXPECT_EQ(caption, "Kestrom");
  EXPECT_NE(texts.find("Kestrom VANT Info..."), std::string::npos) << texts;
  EXPECT_TRUE(topmost);
  EXPECT_EQ(answer, IDNO);
}
