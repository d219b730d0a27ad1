#include "platform/Ui.h"

#include <cstdio>

namespace {
NonInteractiveUi g_nonInteractive;
Ui* g_ui = nullptr;
}  // namespace

UiAnswer SafeAnswer(UiButtons buttons) {
  switch (buttons) {
    case UiButtons::Ok: return UiAnswer::Ok;
    case UiButtons::YesNo:
    case UiButtons::YesNoCancel: return UiAnswer::No;
    case UiButtons::OkCancel:
    case UiButtons::RetryCancel: return UiAnswer::Cancel;
  }
  return UiAnswer::Cancel;
}

UiAnswer NonInteractiveUi::MessageBox(const std::string& text, const std::string& caption, UiButtons buttons,
                                      UiIcon, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  if (!detail.empty()) std::fprintf(stderr, "%s: %s\n", caption.c_str(), detail.c_str());
  std::fflush(stderr);
  return SafeAnswer(buttons);
}

UiAnswer ScriptedUi::MessageBox(const std::string& text, const std::string& caption, UiButtons buttons, UiIcon,
                                const std::string& detail) {
  asked_.push_back({"message", text, caption, detail});
  if (answers_.empty()) return SafeAnswer(buttons);
  const UiAnswer a = answers_.front();
  answers_.pop_front();
  return a;
}

bool ScriptedUi::ChooseOpenFile(const std::string& title, const std::vector<UiFileFilter>&, std::string& path) {
  asked_.push_back({"open", title, {}, {}});
  if (openFiles_.empty()) return false;
  path = openFiles_.front();
  openFiles_.pop_front();
  return !path.empty();
}

bool ScriptedUi::ChooseSaveFile(const std::string& title, const std::vector<UiFileFilter>&, std::string& path) {
  asked_.push_back({"save", title, {}, {}});
  if (saveFiles_.empty()) return false;
  path = saveFiles_.front();
  saveFiles_.pop_front();
  return !path.empty();
}

bool ScriptedUi::ChooseColour(UiColour& colour) {
  asked_.push_back({"colour", {}, {}, {}});
  if (colours_.empty()) return false;
  colour = colours_.front();
  colours_.pop_front();
  return true;
}

Ui& GetUi() { return g_ui ? *g_ui : g_nonInteractive; }
void SetUi(Ui* ui) { g_ui = ui; }
