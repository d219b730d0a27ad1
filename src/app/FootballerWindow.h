// The footballer editor's window (dialog 120): modeless, beside the view.
// Its controls carry their numbers as object names and forward to the
// FootballerEditor; a failed configuration load is shown in one line.
#pragma once

#include <QDialog>
#include <functional>

#include "app/FootballerEditor.h"

class QCheckBox;
class QLabel;
class QPushButton;

class FootballerWindow : public QDialog {
 public:
  // `closed` runs when the user closes the window (the program then ends).
  FootballerWindow(FootballerEditor& editor, QWidget* owner, std::function<void()> closed);
  // Shows the controller's texts and check mark.
  void Refresh();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Esc is not a way out: only closing the window is.
  void reject() override {}

 private:
  QPushButton* Button(int control, const char* text);

  FootballerEditor& editor_;
  std::function<void()> closed_;
  QPushButton* playStop_ = nullptr;
  QCheckBox* playSounds_ = nullptr;
  QLabel* status_ = nullptr;
};
