// Everything any layer asks the user goes through this interface: the viewer
// installs one made of Qt dialogs, lwconv a non-interactive one that answers
// every question with its safe default, and tests a scripted one.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

enum class UiButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class UiIcon { None, Information, Warning, Error, Question };
enum class UiAnswer { Ok, Cancel, Yes, No, Retry };

// A file-type filter of a file dialog: its shown text and its patterns.
struct UiFileFilter {
  std::string description;             // "LightWave Object (*.lwo)"
  std::vector<std::string> patterns;   // {"*.lwo"}
};

struct UiColour {
  float red = 0, green = 0, blue = 0;  // 0.0 to 1.0
};

class Ui {
 public:
  virtual ~Ui() = default;
  // detail: the box's detailed text, shown on request (why an operation
  // failed); empty for none.
  virtual UiAnswer MessageBox(const std::string& text, const std::string& caption, UiButtons buttons,
                              UiIcon icon, const std::string& detail = {}) = 0;
  // False when the user cancels; otherwise the chosen path.
  virtual bool ChooseOpenFile(const std::string& title, const std::vector<UiFileFilter>& filters,
                              std::string& path) = 0;
  virtual bool ChooseSaveFile(const std::string& title, const std::vector<UiFileFilter>& filters,
                              std::string& path) = 0;
  virtual bool ChooseColour(UiColour& colour) = 0;
};

// Answers nothing interactively: message boxes go to standard error as
// "caption: text" (and "caption: detail") and take the safe answer (No, Cancel or OK); file and
// colour choices are cancelled.
class NonInteractiveUi : public Ui {
 public:
  UiAnswer MessageBox(const std::string& text, const std::string& caption, UiButtons buttons, UiIcon icon,
                      const std::string& detail = {}) override;
  bool ChooseOpenFile(const std::string&, const std::vector<UiFileFilter>&, std::string&) override {
    return false;
  }
  bool ChooseSaveFile(const std::string&, const std::vector<UiFileFilter>&, std::string&) override {
    return false;
  }
  bool ChooseColour(UiColour&) override { return false; }
};

// Replays answers queued by a test and records every question it was asked.
// A question with no queued answer gets the non-interactive answer.
class ScriptedUi : public Ui {
 public:
  struct Asked {
    std::string kind;  // "message", "open", "save", "colour"
    std::string text;  // message text or dialog title
    std::string caption;
    std::string detail;  // a message box's detailed text
  };

  void QueueAnswer(UiAnswer answer) { answers_.push_back(answer); }
  void QueueOpenFile(std::string path) { openFiles_.push_back(std::move(path)); }  // "" cancels
  void QueueSaveFile(std::string path) { saveFiles_.push_back(std::move(path)); }  // "" cancels
  void QueueColour(UiColour colour) { colours_.push_back(colour); }
  const std::vector<Asked>& asked() const { return asked_; }
  void ClearAsked() { asked_.clear(); }

  UiAnswer MessageBox(const std::string& text, const std::string& caption, UiButtons buttons, UiIcon icon,
                      const std::string& detail = {}) override;
  bool ChooseOpenFile(const std::string& title, const std::vector<UiFileFilter>& filters,
                      std::string& path) override;
  bool ChooseSaveFile(const std::string& title, const std::vector<UiFileFilter>& filters,
                      std::string& path) override;
  bool ChooseColour(UiColour& colour) override;

 private:
  std::deque<UiAnswer> answers_;
  std::deque<std::string> openFiles_, saveFiles_;
  std::deque<UiColour> colours_;
  std::vector<Asked> asked_;
};

// The process-wide Ui. Starts as a NonInteractiveUi; SetUi does not take
// ownership, and a null argument puts the non-interactive one back.
Ui& GetUi();
void SetUi(Ui* ui);

// The answer a non-interactive Ui gives for a set of buttons.
UiAnswer SafeAnswer(UiButtons buttons);
