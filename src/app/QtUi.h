// The viewer's Ui: Qt message boxes and file and colour dialogs, owned by the
// main window.
#pragma once

#include "platform/Ui.h"

class QWidget;

class QtUi : public Ui {
 public:
  explicit QtUi(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }

  UiAnswer MessageBox(const std::string& text, const std::string& caption, UiButtons buttons, UiIcon icon,
                      const std::string& detail = {}) override;
  bool ChooseOpenFile(const std::string& title, const std::vector<UiFileFilter>& filters,
                      std::string& path) override;
  bool ChooseSaveFile(const std::string& title, const std::vector<UiFileFilter>& filters,
                      std::string& path) override;
  bool ChooseColour(UiColour& colour) override;

  // "Desc (*.a *.b);;Other (*.c)", as the file dialogs take their filters.
  static std::string FilterText(const std::vector<UiFileFilter>& filters);

 private:
  QWidget* owner_;
};
