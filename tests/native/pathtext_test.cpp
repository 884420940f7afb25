#include "common/pathtext.hpp"
#include "common/text.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace kestrom;

namespace {
std::string to_file(std::string_view command) {
  return command_to_file_text(command, "C:\\Windows", "C:\\Program Files");
}
}  // namespace

TEST(CommandToFile, QuotedPathWithArguments) {
  EXPECT_EQ(to_file("\"C:\\Program Files\\App\\app.exe\" /min"), "C:\\PROGRAM FILES\\APP\\APP.EXE");
  EXPECT_EQ(to_file("c:\\tools\\agent.exe -a -b"), "C:\\TOOLS\\AGENT.EXE");
  EXPECT_EQ(to_file("rundll32.exe shell32.dll,Control_RunDLL"), "RUNDLL32.EXE");
  EXPECT_EQ(to_file("C:\\Windows\\system32\\rundll32.exe C:\\x\\y.dll,Entry"), "C:\\WINDOWS\\SYSTEM32\\RUNDLL32.EXE");
  EXPECT_EQ(to_file("C:\\lib\\hook.dll"), "C:\\LIB\\HOOK.DLL");
}

TEST(CommandToFile, SystemRootFormsUseTheWindowsFolder) {
  EXPECT_EQ(to_file("\\SystemRoot\\System32\\drivers\\x.sys"), "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\X.SYS");
  EXPECT_EQ(to_file("\\systemroot\\system32\\svc.exe -k net"), "C:\\WINDOWS\\SYSTEM32\\SVC.EXE");
  EXPECT_EQ(to_file("%SystemRoot%\\system32\\svchost.exe -k netsvcs"), "C:\\WINDOWS\\SYSTEM32\\SVCHOST.EXE");
  EXPECT_EQ(to_file("SystemRoot\\System32\\drivers\\y.sys"), "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\Y.SYS");
  EXPECT_EQ(to_file("\"%SystemRoot%\\a.exe\" x"), "C:\\WINDOWS\\A.EXE");
  // A program that only mentions the word keeps its own path.
  EXPECT_EQ(to_file("C:\\Tools\\SystemRootKit\\scan.exe"), "C:\\TOOLS\\SYSTEMROOTKIT\\SCAN.EXE");
  EXPECT_EQ(to_file("C:\\Tools\\scan.exe \\SystemRoot\\x"), "C:\\TOOLS\\SCAN.EXE");
}

TEST(CommandToFile, ProgramFilesVariable) {
  EXPECT_EQ(to_file("%PROGRAMFILES%\\Vendor\\tray.exe /s"), "C:\\PROGRAM FILES\\VENDOR\\TRAY.EXE");
  EXPECT_EQ(to_file("\"%ProgramFiles%\\Vendor\\tray.exe\" /s"), "C:\\PROGRAM FILES\\VENDOR\\TRAY.EXE");
  EXPECT_EQ(command_to_file_text("%programfiles%\\a.exe", "C:\\W", "D:\\Apps"), "D:\\APPS\\A.EXE");
}

TEST(CommandToFile, WithoutAColonTheWholeUpperCaseText) {
  EXPECT_EQ(to_file("notepad.exe /p x.txt"), "NOTEPAD.EXE");
  EXPECT_EQ(to_file("\"notepad.exe\" /p"), "NOTEPAD.EXE");
  EXPECT_EQ(to_file("system32\\drivers\\z.sys"), "SYSTEM32\\DRIVERS\\Z.SYS");
  EXPECT_EQ(to_file("agent"), "AGENT");
  EXPECT_EQ(to_file(""), "");
  EXPECT_EQ(to_file("\""), "");
}

TEST(CommandToFile, DriveLetterIsTheOneBeforeTheLastColon) {
  EXPECT_EQ(to_file("x:junk C:\\a\\b.exe"), "C:\\A\\B.EXE");
  EXPECT_EQ(to_file(":\\a\\b.exe"), ":\\A\\B.EXE");
  EXPECT_EQ(to_file("C:\\a.exe\\b:c"), "C:\\A.EXE");
  // The extension stops only at ".?X" / ".?L"; other dots are part of the path.
  EXPECT_EQ(to_file("C:\\my.folder\\v1.2\\app.exe arg"), "C:\\MY.FOLDER\\V1.2\\APP.EXE");
  EXPECT_EQ(to_file("C:\\a\\b.ex"), "C:\\A\\B.EX");
  EXPECT_EQ(to_file("C:\\a\\b.e"), "C:\\A\\B.E");
}

// The as-written form is the same file, letter for letter as the command spells it: the
// upper-case form made Wine read whole folders to find a library.
TEST(CommandToFile, AsWrittenKeepsTheLettersOfTheSameFile) {
  const char* commands[] = {"\"C:\\Program Files\\App\\app.exe\" /min",
                            "C:\\Windows\\system32\\rundll32.exe C:\\x\\y.dll,Entry",
                            "%SystemRoot%\\system32\\svchost.exe -k netsvcs",
                            "\"%ProgramFiles%\\Vendor\\Tray.exe\" /s",
                            "x:junk C:\\a\\B.exe",
                            "\"notepad.exe\" /p",
                            "C:\\my.folder\\v1.2\\App.Ex"};
  for (const char* command : commands) {
    const std::string written = command_to_file_as_written(command, "C:\\Windows", "C:\\Program Files");
    EXPECT_EQ(to_upper(written), to_file(command)) << command;
  }
  EXPECT_EQ(command_to_file_as_written("\"C:\\Program Files\\App\\app.exe\" /min", "C:\\W", "C:\\P"),
            "C:\\Program Files\\App\\app.exe");
  EXPECT_EQ(command_to_file_as_written("%systemroot%\\System32\\Svc.dll", "C:\\Windows", "C:\\P"),
            "C:\\Windows\\System32\\Svc.dll");
}

TEST(PathText, StripQuotesKeyNamesFileNamesExtensionsBlanks) {
  EXPECT_EQ(strip_quotes("\"C:\\a b\\c.exe\" \"x\""), "C:\\a b\\c.exe x");
  EXPECT_EQ(strip_quotes(std::string(600, 'a')).size(), kStripQuotesLimit);
  EXPECT_EQ(strip_quotes(std::string(600, '"') + "ab"), "ab");
  EXPECT_EQ(key_safe_name("a=b==c"), "a:b::c");
  EXPECT_EQ(file_name_of_path("C:\\dir\\file.exe"), "file.exe");
  EXPECT_EQ(file_name_of_path("file.exe"), "file.exe");
  EXPECT_EQ(file_name_of_path("C:\\dir\\"), "");
  EXPECT_EQ(extension_of_name("archive.tar.gz"), "tar.gz");
  EXPECT_EQ(extension_of_name("noext"), "");
  EXPECT_EQ(extension_of_name("trailing."), "");
  EXPECT_EQ(skip_blanks("   x y "), "x y ");
  EXPECT_EQ(skip_blanks(" \t x"), "x");
  EXPECT_EQ(skip_blanks("   "), "");
}

TEST(SplitCommand, ProgramEndsWhereCommandToFileEndsItOrAtTheClosingQuote) {
  auto p = split_command("C:\\Program Files\\App\\app.exe /min /x");
  EXPECT_EQ(p.program, "C:\\Program Files\\App\\app.exe");
  EXPECT_EQ(p.arguments, " /min /x");
  p = split_command("  \"C:\\Program Files\\App\\my app.exe\" -a \"b c\"");
  EXPECT_EQ(p.program, "C:\\Program Files\\App\\my app.exe");
  EXPECT_EQ(p.arguments, " -a \"b c\"");
  p = split_command("rundll32.exe shell32.dll,Control_RunDLL");
  EXPECT_EQ(p.program, "rundll32.exe");
  EXPECT_EQ(p.arguments, " shell32.dll,Control_RunDLL");
  p = split_command("C:\\Tools\\no extension here");
  EXPECT_EQ(p.program, "C:\\Tools\\no extension here");
  EXPECT_EQ(p.arguments, "");
  p = split_command("\"C:\\unclosed\\app.exe");
  EXPECT_EQ(p.program, "C:\\unclosed\\app.exe");
  EXPECT_EQ(split_command("   ").program, "");
  // A tab before the program is a blank too, not part of the program's name.
  p = split_command("\t C:\\Tools\\app.exe\t/q");
  EXPECT_EQ(p.program, "C:\\Tools\\app.exe");
  EXPECT_EQ(p.arguments, "\t/q");
}

// The Delay List also ends a program at ".PIF"- and ".CPL"-like endings of the last path part;
// the other callers (the information window's Run) keep such a text whole, as before.
TEST(SplitCommand, ShortcutEndingsOnlyWhenAskedAndOnlyInTheLastPathPart) {
  constexpr auto kShortcuts = ProgramEndings::ProgramsAndShortcuts;
  auto p = split_command("C:\\Dos\\edit.pif /b", kShortcuts);
  EXPECT_EQ(p.program, "C:\\Dos\\edit.pif");
  EXPECT_EQ(p.arguments, " /b");
  EXPECT_EQ(split_command("C:\\Dos\\edit.pif /b").program, "C:\\Dos\\edit.pif /b");
  p = split_command("C:\\Panel\\desk.cpl,@0", kShortcuts);
  EXPECT_EQ(p.program, "C:\\Panel\\desk.cpl");
  EXPECT_EQ(p.arguments, ",@0");
  for (auto endings : {ProgramEndings::Programs, kShortcuts}) {
    p = split_command("C:\\Tools.App\\run.exe -m", endings);
    EXPECT_EQ(p.program, "C:\\Tools.App\\run.exe");
    EXPECT_EQ(p.arguments, " -m");
    p = split_command(" \"C:\\Program Files\\A\\a.pif\" /x", endings);
    EXPECT_EQ(p.program, "C:\\Program Files\\A\\a.pif");
    EXPECT_EQ(p.arguments, " /x");
  }
}
