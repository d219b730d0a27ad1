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

