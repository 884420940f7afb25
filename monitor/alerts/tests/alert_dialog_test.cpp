// The real alert dialogs, opened by this program on the virtual display and answered from a
// second thread the way a user (or the test driver) would: by finding the window and posting
// button commands.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "common/paths.hpp"
#include "common/registry.hpp"
#include "common/product_keys.hpp"
#include "common/textloader.hpp"
#include "monitor/alerts/alert_dialog.hpp"
#include "tools/driver_win.hpp"
#include "tools/test_support_win.hpp"

namespace {

using namespace kestrom;
using namespace kestrom::alerts;

std::string control_text(HWND dialog, int control) { return driver::text_of(GetDlgItem(dialog, control)); }

const std::string kNewTitle = "Kestrom New Program Alert";
const std::string kPutBackTitle = "This Program doesn't want to be Delayed";

std::string fixture_path() { return test::fixture("alert_fixture_app.exe"); }

// What the user saw before answering.
struct Seen {
  bool found = false;
  std::string title;
  std::map<int, std::string> texts;
  RECT rect{};
  bool topmost = false;
  bool icon = false;
  bool check_box_visible = true;
  bool left_topmost_band_after_info = false;
  bool open_after_info = false;
};

Seen look_at(HWND dialog) {
  Seen s;
  s.found = true;
  s.title = driver::text_of(dialog);
  for (int id : {kNameControl, kPathControl, kProductVersionControl, kCompanyControl, kDescriptionControl,
                 kCopyrightControl, kVersionLabel, kQuestionControl, kCommandInfo, kCommandYes, kCommandNo})
    s.texts[id] = control_text(dialog, id);
  GetWindowRect(dialog, &s.rect);
  s.topmost = (GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  s.icon = SendDlgItemMessageA(dialog, kIconButton, BM_GETIMAGE, IMAGE_ICON, 0) != 0;
  HWND box = GetDlgItem(dialog, kHiddenCheckBox);
  s.check_box_visible = box != nullptr && IsWindowVisible(box);
  return s;
}

void press(HWND dialog, int command) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0); }

struct Answer {
  int command = kCommandNo;
  bool press_info_first = false;
  std::string screenshot;  // saved while the dialog is open, when named
};

enum class Which { NewProgram, PutBack };

// Opens the dialog on this thread; the user thread looks at it and answers.
int ask(Which which, AlertContext& context, const AlertItem& item, const Answer& answer, Seen& seen) {
  const std::string& title = which == Which::NewProgram ? kNewTitle : kPutBackTitle;
  test::UserThread user([&] {
    driver::WindowQuery q;
    q.title = title;
    q.process_id = GetCurrentProcessId();
    q.visible_only = true;
    HWND dialog = driver::wait_for_window(q);
    if (!dialog) return;
    seen = look_at(dialog);
    if (!answer.screenshot.empty()) {
      EXPECT_TRUE(test::screenshot(answer.screenshot)) << answer.screenshot;
    }
    if (answer.press_info_first) {
      press(dialog, kCommandInfo);
      seen.left_topmost_band_after_info =
          test::poll([&] { return (GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0; });
      seen.open_after_info = IsWindow(dialog) && IsWindowVisible(dialog);
    }
    press(dialog, answer.command);
    if (!driver::wait_until_gone(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
  });
  const int result = which == Which::NewProgram ? ask_new_program(nullptr, context, item)
                                                : ask_put_back(nullptr, context, item);
  EXPECT_TRUE(user.join());
  return result;
}

struct Lookup {
  int type;
  std::string path, name;
};
struct HistoryCall {
  std::string title, path, third;
  int code, action;
};

class AlertDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"xPosAlert", "yPosAlert", "dxAlert", "dyAlert"})
      test::delete_value(HKEY_CURRENT_USER, std::string(keys::kProduct), name);
    context.services.look_up_program = [this](int type, const std::string& path, const std::string& name) {
      lookups.push_back({type, path, name});
    };
    context.services.open_help_page = [this](const std::string& page) { help_pages.push_back(page); };
    context.services.write_history = [this](const std::string& title, const std::string& path,
                                            const std::string& third, int code, int action) {
      history.push_back({title, path, third, code, action});
    };
  }

  AlertItem startup_item(int code, std::string path = {}) {
    AlertItem item;
    item.path = path.empty() ? "\"" + fixture_path() + "\" -tray" : path;
    item.name = "Fixture Agent";
    item.code = code;
    return item;
  }

  AlertFonts fonts;
  AlertContext context{fonts};
  std::vector<Lookup> lookups;
  std::vector<std::string> help_pages;
  std::vector<HistoryCall> history;
};

TEST_F(AlertDialogTest, NewProgramAlertShowsTheProgramAndAnswersNo) {
  const AlertItem item = startup_item(11);
  Seen seen;
  Answer answer;
  answer.press_info_first = true;
  answer.screenshot = "new_program_alert";
  EXPECT_EQ(ask(Which::NewProgram, context, item, answer, seen), kAnswerNo);

  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, kNewTitle);
  EXPECT_EQ(seen.texts[kQuestionControl],
            "A new auto Startup Program has been detected.\nThis program will run each time you login or restart "
            "your machine.\n\nDo you approve the addition of this program startup setting?\nPress YES if this "
            "program is expected and acceptable.");
  EXPECT_EQ(seen.texts[kNameControl], "Alert Fixture");
  EXPECT_EQ(seen.texts[kPathControl], item.path);
  EXPECT_EQ(seen.texts[kProductVersionControl], "4.5.6.7");
  EXPECT_EQ(seen.texts[kCompanyControl], "Orvane Test Works");
  EXPECT_EQ(seen.texts[kDescriptionControl], "Alert dialog fixture");
  EXPECT_EQ(seen.texts[kCopyrightControl], "Copyright 2026 Orvane Test Works");
  EXPECT_EQ(seen.texts[kVersionLabel], "Version:");
  EXPECT_EQ(seen.texts[kCommandInfo], "VANT &Info...");
  EXPECT_EQ(seen.texts[kCommandYes], "&Yes");
  EXPECT_EQ(seen.texts[kCommandNo], "&No");
  EXPECT_TRUE(seen.icon);
  EXPECT_FALSE(seen.check_box_visible);
  EXPECT_TRUE(seen.topmost);

  // The information button looks the program up, leaves the topmost band and keeps the question open.
  EXPECT_TRUE(seen.left_topmost_band_after_info);
  EXPECT_TRUE(seen.open_after_info);
  ASSERT_EQ(lookups.size(), 1u);
  EXPECT_EQ(lookups[0].type, 1011);
  EXPECT_EQ(lookups[0].path, item.path);
  EXPECT_EQ(lookups[0].name, "Fixture Agent");

  // One START_Alert record with the item's name, its program file and description.
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].title, "Fixture Agent");
  EXPECT_EQ(history[0].path, command_to_file(item.path));
  EXPECT_EQ(history[0].third, "Alert dialog fixture");
  EXPECT_EQ(history[0].code, 11);
  EXPECT_EQ(history[0].action, 6);

  // Without a remembered place: centred, at a third of the free height; the place is stored on close.
  const int w = seen.rect.right - seen.rect.left, h = seen.rect.bottom - seen.rect.top;
  EXPECT_NEAR(seen.rect.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, 1);
  EXPECT_NEAR(seen.rect.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 3, 1);
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, keys::kProduct, "xPosAlert"), std::to_string(seen.rect.left));
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, keys::kProduct, "yPosAlert"), std::to_string(seen.rect.top));
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, keys::kProduct, "dxAlert"), std::to_string(w));
  EXPECT_EQ(reg::read_string(HKEY_CURRENT_USER, keys::kProduct, "dyAlert"), std::to_string(h));
}

TEST_F(AlertDialogTest, ThirdQuestionInARowAboutOneProgramDisablesItAndOpensHelp) {
  const AlertItem item = startup_item(11);
  Seen seen;
  Answer no;
  EXPECT_EQ(ask(Which::NewProgram, context, item, no, seen), kAnswerNo);
  Answer escape;
  escape.command = kCommandEscape;
  EXPECT_EQ(ask(Which::NewProgram, context, item, escape, seen), kAnswerYes);
  EXPECT_TRUE(help_pages.empty());
  EXPECT_EQ(ask(Which::NewProgram, context, item, no, seen), kAnswerDisable);
  EXPECT_EQ(help_pages, (std::vector<std::string>{"helpme.html"}));
  EXPECT_EQ(context.repeat.count(), 0);
  EXPECT_EQ(context.repeat.last_path(), "");
  // Cleared: the next question starts a new series.
  EXPECT_EQ(ask(Which::NewProgram, context, item, no, seen), kAnswerNo);
  EXPECT_EQ(history.size(), 4u);
}

TEST_F(AlertDialogTest, MissingProgramWithNonAsciiPathKeepsThePlaceholdersAndStillAsks) {
  Seen seen;
  Answer escape;
  escape.command = kCommandEscape;
  const AlertItem item = startup_item(1, "C:\\Nowhere\\Grüße & Co\\ghost.exe /silent");
  EXPECT_EQ(ask(Which::NewProgram, context, item, escape, seen), kAnswerYes);
  EXPECT_EQ(seen.texts[kPathControl], item.path);
  EXPECT_EQ(seen.texts[kNameControl], "");
  EXPECT_EQ(seen.texts[kProductVersionControl], "");
  EXPECT_EQ(seen.texts[kCompanyControl], "Company name not included in this program.");
  EXPECT_EQ(seen.texts[kDescriptionControl], "No Description found");
  EXPECT_EQ(seen.texts[kCopyrightControl], "No Copyright information included.");
  EXPECT_FALSE(seen.icon);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].third, "");
}

TEST_F(AlertDialogTest, RememberedPlaceIsUsed) {
  reg::write_string(HKEY_CURRENT_USER, keys::kProduct, "xPosAlert", "30");
  reg::write_string(HKEY_CURRENT_USER, keys::kProduct, "yPosAlert", "40");
  Seen seen;
  Answer yes;
  yes.command = kCommandYes;
  ask(Which::NewProgram, context, startup_item(11), yes, seen);
  EXPECT_EQ(seen.rect.left, 30);
  EXPECT_EQ(seen.rect.top, 40);
  // Where an off-screen place goes is the placement rule's (native tests).
}

TEST_F(AlertDialogTest, PutBackAlertOffersKeepingOrDisabling) {
  const AlertItem item = startup_item(11);
  Seen seen;
  Answer disable;
  disable.command = kCommandNo;
  disable.screenshot = "put_back_alert";
  EXPECT_EQ(ask(Which::PutBack, context, item, disable, seen), kAnswerNo);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, kPutBackTitle);
  EXPECT_EQ(seen.texts[kQuestionControl], text::load(IDS_PUT_BACK_QUESTION));
  EXPECT_EQ(seen.texts[kQuestionControl].substr(0, 40), "\nThis program has put itself back into t");
  EXPECT_NE(seen.texts[kQuestionControl].find("Click on \"Disable\" and Kestrom"), std::string::npos);
  EXPECT_EQ(seen.texts[kNameControl], "Alert Fixture");
  EXPECT_EQ(seen.texts[kCommandYes], "&Yes");
  EXPECT_EQ(seen.texts[kCommandNo], "Disable");
  EXPECT_TRUE(history.empty()) << "the put-back question writes no alert record";

  Answer escape;
  escape.command = kCommandEscape;
  EXPECT_EQ(ask(Which::PutBack, context, item, escape, seen), kAnswerYes);
  EXPECT_EQ(context.repeat.count(), 0) << "the repeat memory belongs to the new-program question";
}

}  // namespace
