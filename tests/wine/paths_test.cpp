#include "common/paths.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>

#include "common/product_keys.hpp"
#include "common/text.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

std::string version_fixture(const char* name) { return fixture("fixtures\\" + std::string(name) + ".exe"); }

std::string temp_folder() {
  char buf[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, buf);
  std::string t(buf);
  if (!t.empty() && t.back() == '\\') t.pop_back();
  return t;
}

const std::string kShellFolders(keys::kShellFolders);
const std::string kInternational = "Control Panel\\International";

}  // namespace

TEST(Folders, ProgramWindowsAndSystemFolders) {
  EXPECT_EQ(program_folder(), test_program_folder());
  EXPECT_FALSE(windows_folder().empty());
  EXPECT_TRUE(contains(system_folder(), "system32"));
}

TEST(Folders, ProductDataFolderAndVaultUnderAppData) {
  std::string app = get_value(HKEY_CURRENT_USER, kShellFolders, "AppData");
  ASSERT_NE(app, "<missing>");
  RemoveDirectoryA((app + "\\Kestrom\\vault").c_str());
  RemoveDirectoryA((app + "\\Kestrom").c_str());
  EXPECT_EQ(product_data_folder(), app + "\\Kestrom");
  EXPECT_NE(GetFileAttributesA((app + "\\Kestrom\\vault").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(vault_folder(), app + "\\Kestrom\\vault");
}

TEST(Folders, MissingOrUnusableAppDataFallsBackToTheProgramFolder) {
  SavedValue saved(HKEY_CURRENT_USER, kShellFolders, "AppData");
  delete_value(HKEY_CURRENT_USER, kShellFolders, "AppData");
  EXPECT_EQ(product_data_folder(), program_folder());
  EXPECT_EQ(vault_folder(), "");

  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kShellFolders, "AppData", "C:\\no\\such\\folder\\anywhere"));
  EXPECT_EQ(product_data_folder(), program_folder());
  EXPECT_EQ(vault_folder(), "");

  // A file where the vault should be: the vault cannot be made.
  std::string base = temp_folder() + "\\kestrom_appdata";
  CreateDirectoryA(base.c_str(), nullptr);
  CreateDirectoryA((base + "\\Kestrom").c_str(), nullptr);
  std::ofstream(base + "\\Kestrom\\vault") << "not a folder";
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kShellFolders, "AppData", base));
  EXPECT_EQ(product_data_folder(), program_folder());
  DeleteFileA((base + "\\Kestrom\\vault").c_str());
  EXPECT_EQ(product_data_folder(), base + "\\Kestrom");
  RemoveDirectoryA((base + "\\Kestrom\\vault").c_str());
  RemoveDirectoryA((base + "\\Kestrom").c_str());
  RemoveDirectoryA(base.c_str());
}

TEST(FileExists, FindsFilesAndShortNamesInTheSystemFolders) {
  std::string empty;
  EXPECT_FALSE(file_exists(empty));
  EXPECT_TRUE(file_exists(std::string_view(windows_folder() + "\\notepad.exe")));
  std::string notepad = "notepad.exe";
  EXPECT_TRUE(file_exists(notepad));
  EXPECT_EQ(notepad, "notepad.exe");  // found in the Windows folder: the text stays

  std::string kernel = "kernel32.dll";
  EXPECT_TRUE(file_exists(kernel));
  EXPECT_TRUE(contains(kernel, "system32\\kernel32.dll")) << kernel;

  EXPECT_FALSE(file_exists(std::string_view("no_such_program_here.exe")));
  EXPECT_FALSE(file_exists(std::string_view(std::string(40, 'k') + ".dll")));
  EXPECT_FALSE(file_exists(std::string_view(windows_folder())));  // a folder is not a file
  EXPECT_FALSE(file_exists(std::string_view("system32")));
}

TEST(FileExists, NonAsciiFileNames) {
  std::string path = temp_folder() + "\\Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC.exe";
  { std::ofstream(path) << "x"; }
  EXPECT_TRUE(file_exists(std::string_view(path)));
  EXPECT_EQ(long_path(short_path(path)), path);
  DeleteFileA(path.c_str());
  EXPECT_FALSE(file_exists(std::string_view(path)));
}

TEST(CommandToFile, UsesTheRealWindowsFolder) {
  EXPECT_EQ(command_to_file("\\SystemRoot\\System32\\drivers\\x.sys"),
            to_upper(windows_folder() + "\\System32\\drivers\\x.sys"));
  EXPECT_EQ(command_to_file("\"C:\\Program Files\\App\\app.exe\" /min"), "C:\\PROGRAM FILES\\APP\\APP.EXE");
  std::string pf = get_value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
  if (pf == "<missing>") pf = "C:\\Program Files";
  EXPECT_EQ(command_to_file("%PROGRAMFILES%\\V\\t.exe -x"), to_upper(pf + "\\V\\t.exe"));
}

TEST(VersionInformation, OperatingSystemFilesShowTheirDescription) {
  VersionInfo v;
  ASSERT_TRUE(version_information(version_fixture("version_os"), v));
  EXPECT_EQ(v.product_name, "Windows Task Manager");
  EXPECT_EQ(v.file_description, "Windows Task Manager");
  EXPECT_EQ(v.company_name, "Microsoft Corporation");
  EXPECT_EQ(v.product_version, "6.1.7601.17514");
  EXPECT_EQ(v.legal_copyright, "\xC2\xA9 Microsoft Corporation. All rights reserved.");
}

TEST(VersionInformation, LaterTranslationsWinAndPairsWithoutProductNameArePassedOver) {
  VersionInfo v;
  ASSERT_TRUE(version_information(version_fixture("version_multi"), v));
  EXPECT_EQ(v.product_name, "Alpha Deutsch");
  EXPECT_EQ(v.company_name, "Alpha GmbH");
  EXPECT_EQ(v.product_version, "1.2.3");
  EXPECT_EQ(v.file_description, "Alpha-Agent f\xC3\xBCr Gr\xC3\xBC\xC3\x9F" "e");
  EXPECT_EQ(v.legal_copyright, "");  // not in the winning translation
}

TEST(VersionInformation, NoResourceTooLargeOrMissingFileGiveFalseAndEmptyTexts) {
  VersionInfo v;
  v.product_name = "stale";
  EXPECT_FALSE(version_information(version_fixture("version_none"), v));
  EXPECT_EQ(v.product_name, "");
  EXPECT_FALSE(version_information(version_fixture("version_huge"), v));
  EXPECT_EQ(v.product_name, "");
  EXPECT_FALSE(version_information("C:\\no\\such.exe", v));
  EXPECT_FALSE(version_information("", v));
}

TEST(VersionInformation, TextsOver127CharactersCountAsEmpty) {
  VersionInfo v;
  ASSERT_TRUE(version_information(version_fixture("version_long"), v));
  EXPECT_EQ(v.product_name, "Longish");
  EXPECT_EQ(v.company_name, "");
  EXPECT_EQ(v.file_description, std::string(127, 'D'));
}

TEST(DateText, FollowsTheUsersFormats) {
  SavedValue d(HKEY_CURRENT_USER, kInternational, "sShortDate");
  SavedValue t(HKEY_CURRENT_USER, kInternational, "sTimeFormat");
  LocalTime when{2009, 3, 7, 14, 5, 0};
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kInternational, "sShortDate", "yyyy-MM-dd"));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kInternational, "sTimeFormat", "HH:mm:ss"));
  EXPECT_EQ(date_text(when), "2009-03-07 14:05");
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kInternational, "sShortDate", "M/d/yyyy"));
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kInternational, "sTimeFormat", "h:mm:ss tt"));
  EXPECT_EQ(date_text(when), "03/07/2009 2:05 PM");
  // A format name too long to be one of ours counts as the first of the table.
  ASSERT_TRUE(set_value(HKEY_CURRENT_USER, kInternational, "sShortDate", std::string(30, 'y')));
  ASSERT_TRUE(set_dword(HKEY_CURRENT_USER, kInternational, "sTimeFormat", 1));
  EXPECT_EQ(date_text(when), "03/07/2009 2:05 PM");
}

TEST(FileFacts, SizeDateAndCreationTime) {
  std::string path = temp_folder() + "\\kestrom_facts.bin";
  auto day = [](const std::string& text) { return text.substr(0, text.find(' ')); };
  std::string before = day(date_text_now());
  { std::ofstream(path, std::ios::binary) << std::string(1234, 'z'); }
  FileFacts f;
  ASSERT_TRUE(file_facts(path, f));
  std::string after = day(date_text_now());
  EXPECT_EQ(f.size, "1234");
  // Written a moment ago: the day of the write is today's (either side of midnight).
  EXPECT_TRUE(day(f.date) == before || day(f.date) == after) << f.date;
  EXPECT_TRUE(std::regex_match(creation_time_text(path), std::regex(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2})")))
      << creation_time_text(path);
  DeleteFileA(path.c_str());

  f.size = "stale";
  EXPECT_FALSE(file_facts(path, f));
  EXPECT_EQ(f.size, "");
  EXPECT_EQ(creation_time_text(path), "");
}
