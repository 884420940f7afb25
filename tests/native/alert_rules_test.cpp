#include "monitor/alert_rules.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace kestrom;

TEST(AlertAnswers, HideOptionDecidesWhetherToAskAndWhatToAnswer) {
  EXPECT_TRUE(alert_is_shown(0, 0));
  EXPECT_FALSE(alert_is_shown(1, 0));
  EXPECT_FALSE(alert_is_shown(2, 0));
  EXPECT_TRUE(alert_is_shown(2, 1));
  EXPECT_TRUE(alert_is_shown(1, -1));
  EXPECT_EQ(silent_answer(1), kAnswerYes);
  EXPECT_EQ(silent_answer(2), kAnswerNo);
  EXPECT_EQ(silent_answer(-1), kAnswerNo);
}

TEST(AlertAnswers, EscapeMeansYesExceptForServices) {
  for (int dialog : {kNewProgramDialog, kPutBackDialog, kTaskDialog, kHelperDialog, kActiveXDialog,
                     kFileTypeDialog}) {
    EXPECT_EQ(answer_for_command(dialog, kCommandEscape), kAnswerYes) << dialog;
    EXPECT_EQ(answer_for_command(dialog, kCommandYes), kAnswerYes) << dialog;
    EXPECT_EQ(answer_for_command(dialog, kCommandNo), kAnswerNo) << dialog;
    EXPECT_EQ(answer_for_command(dialog, kCommandInfo), 0) << dialog;
  }
  EXPECT_EQ(answer_for_command(kServiceDialog, kCommandEscape), kAnswerNo);
  EXPECT_EQ(answer_for_command(kHiddenFileDialog, kCommandOk), kAnswerYes);
  // Closing the hidden-file alert keeps the file; only its Delete button deletes.
  EXPECT_EQ(answer_for_command(kHiddenFileDialog, kCommandEscape), kAnswerYes);
  EXPECT_EQ(answer_for_command(kHiddenFileDialog, kCommandHiddenDelete), kAnswerNo);
  EXPECT_EQ(answer_for_command(kHiddenFileDialog, kCommandInfo), 0);
}

const ScreenMetrics kScreen{0, 0, 1280, 1024, 1280, 1024};

TEST(AlertPlacement, WithoutSavedPlaceCentredAtAThirdOfTheFreeHeight) {
  AlertPlace p = place_alert(false, 0, 0, 480, 324, kScreen);
  EXPECT_EQ(p.x, 400);
  EXPECT_EQ(p.y, 233);
}

TEST(AlertPlacement, SavedPlaceIsUsedWhileOnTheVirtualScreen) {
  ScreenMetrics two{-1920, 0, 3200, 1080, 1280, 1024};  // a second monitor left of the primary
  AlertPlace p = place_alert(true, -1500, 700, 480, 324, two);
  EXPECT_EQ(p.x, -1500);
  EXPECT_EQ(p.y, 700);
}

TEST(AlertPlacement, SavedPlaceOutsideTheVirtualScreenMovesToTheMiddle) {
  AlertPlace p = place_alert(true, 5000, 100, 480, 324, kScreen);
  EXPECT_EQ(p.x, 640);
  EXPECT_EQ(p.y, 100);
  p = place_alert(true, 10, 1024, 480, 324, kScreen);
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 512);
  // A minimised window reports -32000; that place is out of sight too.
  p = place_alert(true, -32000, -32000, 480, 324, kScreen);
  EXPECT_EQ(p.x, 640);
  EXPECT_EQ(p.y, 512);
}

TEST(NewProgramTexts, SettingNamesReplaceTheProductNameOfWinlogonAndShellPlaces) {
  EXPECT_EQ(new_program_name_text("Windows", 250), "WinLogon:UserInit");
  EXPECT_EQ(new_program_name_text("Windows", 251), "WinLogon:Shell");
  EXPECT_EQ(new_program_name_text("Windows", 252), "ObjectDelayLoad");
  EXPECT_EQ(new_program_name_text("Windows", 253), "SharedTaskScheduler");
  EXPECT_EQ(new_program_name_text("Hook", 254), "Hook");
  EXPECT_EQ(new_program_name_text("Windows", 255), "AppInit_DLLs");
  EXPECT_EQ(new_program_name_text("Acme Agent", 11), "Acme Agent");
  EXPECT_EQ(new_program_name_text("", 250), "");
}

TEST(NewProgramTexts, QuestionTakesTheTypeTextAtItsFirstPlaceholderOnly) {
  EXPECT_EQ(fill_question("A new program.\n%s\n\nApprove?", "Type: RunOnce"), "A new program.\nType: RunOnce\n\nApprove?");
  EXPECT_EQ(fill_question("Ohne Platzhalter", "x"), "Ohne Platzhalter");
  // A translation from the registry may carry any directive; only the first %s is filled.
  EXPECT_EQ(fill_question("%s %s %d %n 100%", "T"), "T %s %d %n 100%");
  EXPECT_EQ(fill_question("x%s", "50% %s"), "x50% %s");
}

TEST(RepeatMemory, ThirdQuestionInARowAboutTheSameProgramDisablesIt) {
  RepeatMemory memory;
  memory.note("C:\\App\\nag.exe");
  EXPECT_EQ(new_program_command(kCommandYes, memory.count(), 11).answer, kAnswerYes);
  memory.note("c:\\app\\NAG.exe");
  EXPECT_EQ(new_program_command(kCommandNo, memory.count(), 11).answer, kAnswerNo);
  memory.note("C:\\App\\nag.exe");
  for (int command : {kCommandYes, kCommandNo, kCommandEscape}) {
    NewProgramOutcome out = new_program_command(command, memory.count(), 11);
    EXPECT_EQ(out.answer, kAnswerDisable) << command;
    EXPECT_TRUE(out.open_help) << command;
  }
}

TEST(RepeatMemory, AnotherProgramInBetweenStartsTheCountOver) {
  RepeatMemory memory;
  memory.note("C:\\a.exe");
  memory.note("C:\\a.exe");
  EXPECT_EQ(memory.count(), 1);
  memory.note("C:\\b.exe");
  EXPECT_EQ(memory.count(), 0);
  memory.note("C:\\b.exe");
  EXPECT_EQ(memory.count(), 1);
  EXPECT_FALSE(new_program_command(kCommandYes, memory.count(), 1).open_help);
  memory.clear();
  EXPECT_EQ(memory.count(), 0);
  EXPECT_EQ(memory.last_path(), "");
}

TEST(RepeatMemory, KeepsAtMost259Characters) {
  RepeatMemory memory;
  std::string longer(300, 'x');
  memory.note(longer);
  EXPECT_EQ(memory.last_path().size(), kMaxAlertText);
  memory.note(longer);
  EXPECT_EQ(memory.count(), 1);
}

TEST(NewProgramButtons, NoDisablesWinlogonNotifyEntriesAndOtherCommandsKeepTheDialogOpen) {
  EXPECT_EQ(new_program_command(kCommandNo, 0, 256).answer, kAnswerDisable);
  EXPECT_FALSE(new_program_command(kCommandNo, 0, 256).open_help);
  EXPECT_EQ(new_program_command(kCommandEscape, 1, 1).answer, kAnswerYes);
  EXPECT_EQ(new_program_command(kCommandInfo, 5, 1).answer, 0);
  EXPECT_FALSE(new_program_command(kCommandInfo, 5, 1).open_help);
}

}  // namespace
