#include <gtest/gtest.h>

#include "platform/Ui.h"

TEST(Ui, NonInteractiveTakesTheSafeAnswerAndCancelsChoices) {
  NonInteractiveUi ui;
  EXPECT_EQ(ui.MessageBox("t", "c", UiButtons::YesNo, UiIcon::Question), UiAnswer::No);
  EXPECT_EQ(ui.MessageBox("t", "c", UiButtons::RetryCancel, UiIcon::None), UiAnswer::Cancel);
  EXPECT_EQ(ui.MessageBox("t", "c", UiButtons::Ok, UiIcon::Error), UiAnswer::Ok);
  std::string path = "unchanged";
  EXPECT_FALSE(ui.ChooseOpenFile("Load .lwo file", {}, path));
  EXPECT_EQ(path, "unchanged");
}

TEST(Ui, ScriptedReplaysAnswersAndRecordsQuestions) {
  ScriptedUi ui;
  SetUi(&ui);
  ui.QueueAnswer(UiAnswer::Yes);
  ui.QueueOpenFile("cube.lwo");
  ui.QueueOpenFile("");
  EXPECT_EQ(GetUi().MessageBox("Try again?", "Texture", UiButtons::YesNo, UiIcon::Question), UiAnswer::Yes);
  EXPECT_EQ(GetUi().MessageBox("Again?", "Texture", UiButtons::YesNo, UiIcon::Question), UiAnswer::No);
  std::string path;
  EXPECT_TRUE(GetUi().ChooseOpenFile("Load .lwo file", {}, path));
  EXPECT_EQ(path, "cube.lwo");
  EXPECT_FALSE(GetUi().ChooseOpenFile("Load .lwo file", {}, path));
  ASSERT_EQ(ui.asked().size(), 4u);
  EXPECT_EQ(ui.asked()[0].text, "Try again?");
  EXPECT_EQ(ui.asked()[2].kind, "open");
  SetUi(nullptr);
  EXPECT_EQ(&GetUi() == &ui, false);
}
