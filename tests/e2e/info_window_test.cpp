// The information window as a user meets it: opened by a double click on the Startup page,
// stepped with next and previous, expanded, a note written, and the note there again at the
// next opening; pictures at 96 and 144 DPI.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/history.hpp"
#include "common/history_log.hpp"
#include "tests/e2e/e2e_support_win.hpp"

namespace kestrom::e2e {
namespace {

using test::delete_value;
using test::get_value;
using test::poll;
using test::set_value;

constexpr int kNote = 1033, kNoteButton = 1069, kNext = 1082, kPrevious = 1083, kExpand = 5, kFile = 1026,
              kDescription = 1031, kStatus = 1010, kRun = 4, kLocation = 1039, kClose = 1;
constexpr const char* kTitle = "Info Probe Entry";
constexpr const char* kSecond = "Info Probe Second";
constexpr const char* kDesktop = "Control Panel\\Desktop";

int row_of(HWND list, const std::string& title) {
  const auto rows = driver::read_list_view(list, 2);
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (!rows[i].empty() && rows[i][0] == title) return static_cast<int>(i);
  return -1;
}

// The information window: a dialog of the explorer with the next button.
HWND info_window(DWORD pid) {
  driver::WindowQuery q;
  q.class_name = "#32770";
  q.process_id = pid;
  q.visible_only = true;
  HWND found = nullptr;
  poll([&] {
    for (HWND w : driver::find_windows(q))
      if (GetDlgItem(w, kNext)) return (found = w) != nullptr;
    return false;
  });
  return found;
}

std::string text(HWND dialog, int id) { return driver::text_of(GetDlgItem(dialog, id)); }
bool visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
int height(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r.bottom - r.top;
}

std::string notes_file(const std::string& program = "KT_AGENT.EXE") {
  char appdata[MAX_PATH] = {};
  GetEnvironmentVariableA("APPDATA", appdata, MAX_PATH);
  return std::string(appdata) + "\\Kestrom\\Notes\\" + program + ".txt";
}

bool write_file(const std::string& path, const std::string& text) {
  CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
  CloseHandle(f);
  return ok;
}

std::string read_file(const std::string& path) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return "<missing>";
  std::string out(65536, '\0');
  DWORD read = 0;
  ReadFile(f, out.data(), static_cast<DWORD>(out.size()), &read, nullptr);
  CloseHandle(f);
  out.resize(read);
  return out;
}

class InfoWindowE2e : public ::testing::Test {
 protected:
  void SetUp() override { clean(); }
  void TearDown() override {
    clean();
    delete_value(HKEY_CURRENT_USER, kDesktop, "LogPixels");
  }
  void clean() {
    reset_state();
    delete_value(HKEY_CURRENT_USER, kUserRun, kTitle);
    delete_value(HKEY_CURRENT_USER, kUserRun, kSecond);
    DeleteFileA(notes_file().c_str());
    DeleteFileA(notes_file("KT_SERVICE.EXE").c_str());
  }

  // Starts the explorer on the Startup page with two entries of ours and opens the window on
  // the first by a double click.
  HWND open_on_entry(Process& e) {
    if (!e) {
      e = start_explorer("-START");
      if (!e) return nullptr;
    }
    HWND sheet = dialog_of(e.pid);
    if (!sheet) return nullptr;
    HWND list = page_list(sheet);
    if (!list) return nullptr;
    int row = -1;
    if (!poll([&] { return (row = row_of(list, kTitle)) >= 0; })) return nullptr;
    if (!driver::select_list_row(list, row) || !driver::double_click_list_row(list, row)) return nullptr;
    return info_window(e.pid);
  }

  // Starts the explorer on the Services page; its list, with `row` the row of `title`.
  HWND services_list(Process& e, const std::string& title, int& row) {
    e = start_explorer("-SERVICE");
    HWND sheet = e ? dialog_of(e.pid) : nullptr;
    HWND list = sheet ? page_list(sheet) : nullptr;
    if (!list || !poll([&] { return (row = row_of(list, title)) >= 0; })) return nullptr;
    return list;
  }

  void add_entries() {
    set_value(HKEY_CURRENT_USER, kUserRun, kTitle, "\"" + test::fixture("kt_agent.exe") + "\" /info");
    set_value(HKEY_CURRENT_USER, kUserRun, kSecond, "\"" + test::fixture("kt_sleeper.exe") + "\"");
  }
};

TEST_F(InfoWindowE2e, DoubleClickOpensItNextAndPreviousStepExpandShowsTheNoteWhichIsThereAgainLater) {
  add_entries();
  Process e;
  HWND info = open_on_entry(e);
  ASSERT_NE(info, nullptr);
  const std::string file = text(info, kFile);
  EXPECT_NE(file.find("kt_agent.exe"), std::string::npos) << file;
  EXPECT_EQ(text(info, kDescription), "Agent Helper");
  EXPECT_EQ(text(info, kLocation).rfind("Startup Location: ", 0), 0u) << text(info, kLocation);
  // Not running, file there: Ready, with Run.
  EXPECT_EQ(text(info, kStatus), "Ready");
  EXPECT_TRUE(visible(info, kRun));
  // The first opening of the run is shrunk: no note, no file dates.
  EXPECT_FALSE(visible(info, kNote));
  EXPECT_FALSE(visible(info, kNoteButton));
  const int shrunk = height(info);
  test::screenshot("info_window_shrunk_96");

  // Next shows another item, previous brings this one back.
  driver::press(info, kNext);
  ASSERT_TRUE(poll([&] { return text(info, kFile) != file; }));
  driver::press(info, kPrevious);
  ASSERT_TRUE(poll([&] { return text(info, kFile) == file; }));

  driver::press(info, kExpand);
  ASSERT_TRUE(poll([&] { return visible(info, kNote) && visible(info, kNoteButton); }));
  EXPECT_GT(height(info), shrunk);
  EXPECT_EQ(text(info, kExpand), "Shrin&k Window");
  EXPECT_EQ(text(info, kNoteButton), "&Create Note");
  test::screenshot("info_window_expanded_96");

  // Create Note writes the title and the file text at once.
  driver::press(info, kNoteButton);
  ASSERT_TRUE(poll([&] { return read_file(notes_file()) != "<missing>"; }));
  EXPECT_EQ(read_file(notes_file()), std::string(kTitle) + "\r\n" + file + "\r\n");
  ASSERT_TRUE(poll([&] { return text(info, kNoteButton) == "&Save Note"; }));
  // The area shows the new note before the user types (the window fills it after the file).
  ASSERT_TRUE(poll([&] { return text(info, kNote) == read_file(notes_file()); }));
  // The user's words, then Save Note.
  DWORD_PTR done = 0;
  const char* words = "Keep this one: it syncs the agent.";
  SendMessageTimeoutA(GetDlgItem(info, kNote), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(words), SMTO_ABORTIFHUNG,
                      kWaitMs, &done);
  ASSERT_TRUE(poll([&] { return IsWindowEnabled(GetDlgItem(info, kNoteButton)) != FALSE; }));
  driver::press(info, kNoteButton);
  ASSERT_TRUE(poll([&] { return read_file(notes_file()) == words; })) << read_file(notes_file()) << "|" << text(info, kNote);
  ASSERT_TRUE(poll([&] { return !IsWindowEnabled(GetDlgItem(info, kNoteButton)); }));

  // Closed expanded: the next opening is shrunk again; expanded, it shows the note.
  driver::press(info, kClose);
  ASSERT_TRUE(driver::wait_until_gone(info));
  info = open_on_entry(e);
  ASSERT_NE(info, nullptr);
  EXPECT_FALSE(visible(info, kNote));
  driver::press(info, kExpand);
  ASSERT_TRUE(poll([&] { return visible(info, kNote); }));
  EXPECT_EQ(text(info, kNote), words);
  EXPECT_EQ(text(info, kNoteButton), "&Save Note");
  // Closed shrunk: the next opening is expanded.
  driver::press(info, kExpand);
  ASSERT_TRUE(poll([&] { return !visible(info, kNote); }));
  driver::press(info, kClose);
  ASSERT_TRUE(driver::wait_until_gone(info));
  info = open_on_entry(e);
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(visible(info, kNote));
  driver::press(info, kClose);
  ASSERT_TRUE(driver::wait_until_gone(info));
  EXPECT_EQ(quit_explorer(e), 0);
}

// At 144 DPI the window is half as tall again and nothing of it is cut off (see the pictures).
TEST_F(InfoWindowE2e, At144DpiTheWindowScales) {
  add_entries();
  test::set_dword(HKEY_CURRENT_USER, kDesktop, "LogPixels", 144);
  Process e;
  HWND info = open_on_entry(e);
  ASSERT_NE(info, nullptr);
  const int shrunk = height(info);
  test::screenshot("info_window_shrunk_144");
  driver::press(info, kExpand);
  ASSERT_TRUE(poll([&] { return visible(info, kNote); }));
  EXPECT_EQ(height(info), 632);  // 421 at 96 DPI
  EXPECT_EQ(shrunk, 369);        // 246 at 96 DPI
  test::screenshot("info_window_expanded_144");
  driver::press(info, kClose);
  ASSERT_TRUE(driver::wait_until_gone(info));
  EXPECT_EQ(quit_explorer(e), 0);
}

// From the Services page by its Info button: a running service's Stop, and Apply of another
// start type with its two History records.
TEST_F(InfoWindowE2e, ServiceIsStoppedAndGetsAnotherStartTypeFromTheWindow) {
  constexpr int kInfoButton = 1008, kStop = 3, kStartType = 1090, kApply = 12;
  const std::string history = test::fixture("history.txt");
  DeleteFileA(history.c_str());
  set_value(HKEY_CURRENT_USER, kOptions, "History", "1");
  test::TestService service("KtInfoService", "Fixture Info Service", test::fixture("kt_service.exe"));
  ASSERT_TRUE(service);
  ASSERT_TRUE(service.start());

  Process e;
  int row = -1;
  HWND list = services_list(e, "Fixture Info Service", row);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(driver::select_list_row(list, row));
  driver::press(GetParent(list), kInfoButton);
  HWND info = info_window(e.pid);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(text(info, kStatus), "Running");
  EXPECT_EQ(text(info, kStop), "&Stop");
  EXPECT_TRUE(visible(info, kStop) && IsWindowEnabled(GetDlgItem(info, kStop)));
  EXPECT_FALSE(visible(info, kRun));
  EXPECT_TRUE(visible(info, kStartType) && visible(info, kApply));
  EXPECT_EQ(text(info, kStartType), "Manual");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(info, kApply)));
  test::screenshot("info_window_service_96");

  // Automatic: Apply is offered, and writes the start type with the old and the new record.
  HWND combo = GetDlgItem(info, kStartType);
  ASSERT_TRUE(driver::post(combo, CB_SETCURSEL, 0));
  ASSERT_TRUE(driver::post(info, WM_COMMAND, MAKEWPARAM(kStartType, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo)));
  ASSERT_TRUE(poll([&] { return IsWindowEnabled(GetDlgItem(info, kApply)) != FALSE; }));
  driver::press(info, kApply);
  ASSERT_TRUE(poll([&] { return service.start_type() == SERVICE_AUTO_START; }));
  ASSERT_TRUE(poll([&] { return !IsWindowEnabled(GetDlgItem(info, kApply)); }));
  std::vector<int> actions;
  ASSERT_TRUE(poll([&] {
    actions.clear();
    for (const auto& r : read_history(history))
      if (r.title == "Fixture Info Service") actions.push_back(r.action);
    return actions.size() >= 2;
  }));
  EXPECT_EQ(actions, (std::vector<int>{18, 10}));  // SERVICE_from_Manual, SERVICE_Automatic

  // Stop: the service stops, the window says so and Stop is no longer offered.
  driver::press(info, kStop);
  ASSERT_TRUE(service.wait_state(SERVICE_STOPPED));
  ASSERT_TRUE(poll([&] { return text(info, kStatus) == "Stopped"; }));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(info, kStop)));
  driver::press(info, kClose);
  ASSERT_TRUE(driver::wait_until_gone(info));
  EXPECT_EQ(quit_explorer(e), 0);
  DeleteFileA(history.c_str());
}

// A note marks its item: the page's "Info..." button turns bold and the right-click menu has
// "Info..." as its bold default and "&View Note...", which opens the note. Enter on the list
// opens the information window.
TEST_F(InfoWindowE2e, ServicesPageMarksANoteOffersItInTheMenuAndEnterOpensTheWindow) {
  test::TestService service("KtNoteService", "Fixture Note Service", test::fixture("kt_service.exe"));
  ASSERT_TRUE(service);
  ASSERT_TRUE(write_file(notes_file("KT_SERVICE.EXE"), "Watch this service.\r\n"));
  // Text files open in the recording stand-in for this test.
  test::SavedValue txt(HKEY_CLASSES_ROOT, ".txt", "");
  ASSERT_TRUE(set_value(HKEY_CLASSES_ROOT, ".txt", "", "KtNoteText"));
  ASSERT_TRUE(set_value(HKEY_CLASSES_ROOT, "KtNoteText\\shell\\open\\command", "",
                        "\"" + program_folder("paired") + "\\KestromEx.exe\" \"%1\""));
  struct DropClass {
    ~DropClass() { test::delete_tree(HKEY_CLASSES_ROOT, "KtNoteText"); }
  } drop_class;

  Process e;
  int row = -1;
  HWND list = services_list(e, "Fixture Note Service", row);
  ASSERT_NE(list, nullptr);
  const int other = row == 0 ? 1 : 0;  // Wine's own services have no notes
  // "Info..." turns bold with the note (another process cannot read the button's font under
  // Wine: the pictures show it) and back without.
  ASSERT_TRUE(driver::select_list_row(list, row));
  test::screenshot("services_page_note_bold_96");
  ASSERT_TRUE(driver::select_list_row(list, other));
  test::screenshot("services_page_no_note_96");

  ASSERT_TRUE(driver::select_list_row(list, row));
  ASSERT_TRUE(driver::right_click_list_row(list, row));
  HWND menu = driver::wait_for_popup_menu(e.pid, kWaitMs);
  ASSERT_NE(menu, nullptr) << "no menu";
  // The menu's entries live in the explorer (Wine reads no other process's menu): the picture
  // shows "Info..." in bold and "&View Note...", which the mnemonic chooses.
  test::screenshot("services_menu_note_96");
  ASSERT_TRUE(driver::type_char(menu, 'v'));
  EXPECT_TRUE(driver::wait_until_gone(menu, kWaitMs) || !IsWindowVisible(menu));
  test::screenshot("services_menu_chosen_96");
  // The shell opened the note file: the stand-in, the text files' program here, got its path.
  ASSERT_TRUE(wait_explorer_starts(1)) << "the note did not open";
  const std::vector<std::string> opened = explorer_starts();
  std::string line = opened.empty() ? std::string() : opened.front();
  for (char& c : line) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_NE(line.find("\\NOTES\\KT_SERVICE.EXE.TXT"), std::string::npos) << line;

  // Enter on the selected row: the window about that service.
  ASSERT_TRUE(driver::select_list_row(list, row));
  ASSERT_TRUE(driver::press_key(list, VK_RETURN));
  HWND info = info_window(e.pid);
  ASSERT_NE(info, nullptr) << "Enter opened nothing";
  EXPECT_NE(text(info, kFile).find("kt_service.exe"), std::string::npos) << text(info, kFile);
  driver::press(info, kClose);
  ASSERT_TRUE(driver::wait_until_gone(info));
  EXPECT_EQ(quit_explorer(e), 0);
}

}  // namespace
}  // namespace kestrom::e2e
