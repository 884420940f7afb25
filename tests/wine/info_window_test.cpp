// The information window's work on the real system: notes kept only inside the notes folder
// of the product data folder, Run starting the program with its path quoted, and the pages' menus.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "categories/active_tasks.hpp"
#include "common/item_list.hpp"
#include "common/paths.hpp"
#include "explorer/info_window_win.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/popup_menu_win.hpp"
#include "platform/handles.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::test;
using namespace kestrom::explorer;

namespace {

StartupItem item_of(const std::string& title, const std::string& file) {
  StartupItem item;
  item.title = title;
  item.file = file;
  item.code = 11;
  return item;
}

std::string notes_folder() { return product_data_folder() + "\\Notes"; }

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string file_text(const std::string& path) {
  platform::UniqueFile f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!f) return "<missing>";
  std::string text(1 << 16, '\0');
  DWORD read = 0;
  ReadFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  text.resize(read);
  return text;
}

TEST(InfoWindowNotes, ANoteIsKeptUnderTheProgramsNameInsideTheNotesFolderOnly) {
  const std::string data = product_data_folder();
  ASSERT_FALSE(data.empty());
  // A file of the data folder that a name with ".." or separators would reach.
  const std::string history = data + "\\history.txt";
  const std::string before = file_text(history);
  const std::string outside = data + "\\outside.exe.txt";
  DeleteFileA(outside.c_str());
  DeleteFileA((notes_folder() + "\\history.txt").c_str());
  DeleteFileA((notes_folder() + "\\outside.exe.txt").c_str());
  DeleteFileA((notes_folder() + "\\AGENT.EXE.txt").c_str());

  const StartupItem agent = item_of("Agent", "C:\\Program Files\\Agent\\agent.exe /tray");
  EXPECT_EQ(note_file_path(agent), notes_folder() + "\\AGENT.EXE.txt");
  EXPECT_FALSE(has_note(agent));
  ASSERT_TRUE(write_note(agent, "Agent\r\nC:\\Program Files\\Agent\\agent.exe /tray\r\n"));
  EXPECT_TRUE(has_note(agent));
  EXPECT_EQ(read_note(agent).value_or("<none>"), "Agent\r\nC:\\Program Files\\Agent\\agent.exe /tray\r\n");
  // The same program from another folder and command shares the note.
  EXPECT_TRUE(has_note(item_of("Other", "D:\\elsewhere\\AGENT.EXE")));

  // Names that would climb out of the folder stay in it.
  ASSERT_TRUE(write_note(item_of("Up", "..\\..\\history"), "not the history"));
  EXPECT_EQ(file_text(history), before);
  EXPECT_EQ(file_text(notes_folder() + "\\history.txt"), "not the history");
  ASSERT_TRUE(write_note(item_of("Up", "..\\outside.exe"), "x"));
  EXPECT_FALSE(exists(outside));
  EXPECT_TRUE(exists(notes_folder() + "\\outside.exe.txt"));
  // Nothing is left of these names: no note, and nothing written.
  EXPECT_FALSE(write_note(item_of("Dots", "C:\\x\\.."), "x"));
  EXPECT_FALSE(write_note(item_of("Empty", ""), "x"));
  EXPECT_FALSE(exists(data + "\\Notes\\.txt"));

  // A saved note keeps at most 16384 characters; saving again replaces the old text.
  ASSERT_TRUE(write_note(agent, std::string(20000, 'n')));
  EXPECT_EQ(read_note(agent).value_or("").size(), 16384u);
  ASSERT_TRUE(write_note(agent, "short"));
  EXPECT_EQ(read_note(agent).value_or(""), "short");

  DeleteFileA((notes_folder() + "\\AGENT.EXE.txt").c_str());
  DeleteFileA((notes_folder() + "\\history.txt").c_str());
  DeleteFileA((notes_folder() + "\\outside.exe.txt").c_str());
}

// A page's menu for an item with a note: "Info..." is the default entry (bold), by its command
// wherever it stands, and "&View Note..." follows the program entries; without a note there is
// neither.
TEST(PageMenus, InfoIsTheDefaultEntryAndViewNoteIsThereOnlyWithANote) {
  auto state_of = [](HMENU menu, UINT command) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    return GetMenuItemInfoA(menu, command, FALSE, &info) ? info.fState : ~0u;
  };
  std::vector<MenuEntry> entries = program_menu_head(true);
  append_common_menu_end(entries, cmd::kServices);
  platform::UniqueMenu with_note = make_popup_menu(entries, menu::kInfo);
  ASSERT_TRUE(with_note);
  EXPECT_EQ(GetMenuDefaultItem(with_note.get(), FALSE, 0), static_cast<UINT>(menu::kInfo));
  EXPECT_TRUE(state_of(with_note.get(), menu::kInfo) & MFS_DEFAULT);
  EXPECT_FALSE(state_of(with_note.get(), menu::kLookup) & MFS_DEFAULT);
  EXPECT_EQ(GetMenuItemID(with_note.get(), 3), static_cast<UINT>(menu::kViewNote));
  EXPECT_EQ(GetMenuItemCount(with_note.get()), static_cast<int>(entries.size()));

  entries = program_menu_head(false);
  append_common_menu_end(entries, cmd::kServices);
  platform::UniqueMenu without = make_popup_menu(entries, 0);
  ASSERT_TRUE(without);
  EXPECT_EQ(GetMenuDefaultItem(without.get(), FALSE, 0), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(without.get(), menu::kViewNote, MF_BYCOMMAND), static_cast<UINT>(-1));
}

// With C:\Program.exe present, an unquoted "C:\Program Files\..." command would start it.
TEST(InfoWindowRun, RunStartsTheProgramItNamesNotAShorterPathBeforeABlank) {
  const std::string folder = "C:\\Program Files\\Info Probe";
  const std::string probe = folder + "\\probe run.exe";
  const std::string decoy = "C:\\Program.exe";
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(fixture("kt_sleeper.exe").c_str(), probe.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(fixture("kt_sleeper.exe").c_str(), decoy.c_str(), FALSE));

  const platform::Started started = run_item(item_of("Probe", probe + " /x"));
  EXPECT_EQ(started.error, static_cast<DWORD>(ERROR_SUCCESS));
  std::uint32_t pid = 0;
  EXPECT_TRUE(poll([&] { return (pid = find_program_process(command_to_file(probe))) != 0; }));
  EXPECT_EQ(find_program_process("C:\\PROGRAM.EXE"), 0u);

  for (const std::string& p : {probe, decoy})
    if (std::uint32_t id = find_program_process(command_to_file(p))) {
      platform::UniqueHandle h(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
      if (h) {
        TerminateProcess(h.get(), 0);
        WaitForSingleObject(h.get(), kWaitMs);
      }
    }
  poll([&] { return DeleteFileA(probe.c_str()) || !exists(probe); });
  poll([&] { return DeleteFileA(decoy.c_str()) || !exists(decoy); });
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
