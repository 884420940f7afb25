// The pages a user manages startup programs and services from, at 144 dots per inch (the
// explorer reads the setting when it starts): each page's controls stay inside the page and
// none covers another; the pictures are looked at as well.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

using test::poll;

constexpr const char* kDesktop = "Control Panel\\Desktop";

RECT rect_in(HWND parent, HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The page on show: the visible child dialog of the sheet holding buttons.
HWND page_on_show(HWND sheet) {
  HWND found = nullptr;
  poll([&] {
    for (const auto& c : driver::children(sheet))
      if (c.class_name == "#32770" && IsWindowVisible(c.hwnd) && GetParent(c.hwnd) == sheet)
        return (found = c.hwnd) != nullptr;
    return false;
  });
  return found;
}

class Pages144Dpi : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    reset_state();
    ASSERT_TRUE(test::set_dword(HKEY_CURRENT_USER, kDesktop, "LogPixels", 144));
  }
  void TearDown() override { reset_state(); }
  test::SavedValue dpi_{HKEY_CURRENT_USER, kDesktop, "LogPixels"};
};

TEST_P(Pages144Dpi, ControlsStayOnThePageAndApart) {
  const std::string page_switch = GetParam();
  Process e = start_explorer(page_switch);
  ASSERT_TRUE(e);
  HWND sheet = dialog_of(e.pid);
  ASSERT_NE(sheet, nullptr);
  HWND page = page_on_show(sheet);
  ASSERT_NE(page, nullptr);
  // The page fills its list (or options) before the picture.
  ASSERT_TRUE(poll([&] { return driver::children(page).size() > 3; }));
  RECT client{};
  GetClientRect(page, &client);
  struct Placed {
    int id;
    std::string class_name;
    RECT r;
  };
  std::vector<Placed> shown;
  for (const auto& c : driver::children(page)) {
    if (GetParent(c.hwnd) != page || !IsWindowVisible(c.hwnd)) continue;
    const RECT r = rect_in(page, c.hwnd);
    if (r.right <= r.left || r.bottom <= r.top) continue;
    SCOPED_TRACE(c.id);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, client.right) << c.text;
    EXPECT_LE(r.bottom, client.bottom) << c.text;
    shown.push_back({c.id, c.class_name, r});
  }
  // Buttons never cover one another or the list (group boxes frame other controls by design).
  for (std::size_t i = 0; i < shown.size(); ++i)
    for (std::size_t j = i + 1; j < shown.size(); ++j) {
      const bool a_button = shown[i].class_name == "Button", b_button = shown[j].class_name == "Button";
      const bool a_list = shown[i].class_name == "SysListView32", b_list = shown[j].class_name == "SysListView32";
      if (!((a_button && (b_button || b_list)) || (a_list && b_button))) continue;
      const LONG style_a = GetWindowLongA(GetDlgItem(page, shown[i].id), GWL_STYLE) & BS_TYPEMASK;
      const LONG style_b = GetWindowLongA(GetDlgItem(page, shown[j].id), GWL_STYLE) & BS_TYPEMASK;
      if ((a_button && style_a == BS_GROUPBOX) || (b_button && style_b == BS_GROUPBOX)) continue;
      EXPECT_FALSE(overlap(shown[i].r, shown[j].r)) << shown[i].id << " covers " << shown[j].id;
    }
  std::string name = page_switch.substr(1);
  for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  EXPECT_TRUE(test::screenshot("page_" + name + "_144dpi"));
  EXPECT_EQ(quit_explorer(e), 0);
}

INSTANTIATE_TEST_SUITE_P(ManagingPages, Pages144Dpi, ::testing::Values("-START", "-SERVICE", "-TASK", "-OPTION"),
                         [](const auto& info) { return std::string(info.param + 1); });

}  // namespace
}  // namespace kestrom::e2e
