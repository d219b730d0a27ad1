#include "app/QtUi.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <algorithm>

std::string QtUi::FilterText(const std::vector<UiFileFilter>& filters) {
  std::string text;
  for (const UiFileFilter& f : filters) {
    if (!text.empty()) text += ";;";
    text += f.description + " (";
    for (size_t i = 0; i < f.patterns.size(); ++i) text += (i ? " " : "") + f.patterns[i];
    text += ")";
  }
  return text;
}

UiAnswer QtUi::MessageBox(const std::string& text, const std::string& caption, UiButtons buttons, UiIcon icon,
                          const std::string& detail) {
  QMessageBox box(owner_);
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  if (!detail.empty()) box.setDetailedText(QString::fromStdString(detail));
  switch (icon) {
    case UiIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case UiIcon::Information: box.setIcon(QMessageBox::Information); break;
    case UiIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case UiIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case UiIcon::Question: box.setIcon(QMessageBox::Question); break;
  }
  QMessageBox::StandardButtons set;
  switch (buttons) {
    case UiButtons::Ok: set = QMessageBox::Ok; break;
    case UiButtons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
    case UiButtons::YesNo: set = QMessageBox::Yes | QMessageBox::No; break;
    case UiButtons::YesNoCancel: set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case UiButtons::RetryCancel: set = QMessageBox::Retry | QMessageBox::Cancel; break;
  }
  box.setStandardButtons(set);
  switch (box.exec()) {
    case QMessageBox::Ok: return UiAnswer::Ok;
    case QMessageBox::Yes: return UiAnswer::Yes;
    case QMessageBox::No: return UiAnswer::No;
    case QMessageBox::Retry: return UiAnswer::Retry;
    case QMessageBox::Cancel: return UiAnswer::Cancel;
    default: return SafeAnswer(buttons);  // closed with the window's close button
  }
}

bool QtUi::ChooseOpenFile(const std::string& title, const std::vector<UiFileFilter>& filters, std::string& path) {
  const QString chosen = QFileDialog::getOpenFileName(owner_, QString::fromStdString(title), QString(),
                                                      QString::fromStdString(FilterText(filters)));
  if (chosen.isEmpty()) return false;
  path = chosen.toStdString();
  return true;
}

bool QtUi::ChooseSaveFile(const std::string& title, const std::vector<UiFileFilter>& filters, std::string& path) {
  const QString chosen = QFileDialog::getSaveFileName(owner_, QString::fromStdString(title), QString(),
                                                      QString::fromStdString(FilterText(filters)));
  if (chosen.isEmpty()) return false;
  path = chosen.toStdString();
  return true;
}

bool QtUi::ChooseColour(UiColour& colour) {
  // The custom colours start as a grey ramp once per run and keep the user's
  // changes afterwards (Qt keeps them for the process).
  static const bool ramp = [] {
    for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, QColor(16 * i, 16 * i, 16 * i));
    return true;
  }();
  (void)ramp;
  auto byte = [](float c) { return std::clamp(static_cast<int>(c * 255), 0, 255); };
  const QColor initial(byte(colour.red), byte(colour.green), byte(colour.blue));
  const QColor chosen = QColorDialog::getColor(initial, owner_);
  if (!chosen.isValid()) return false;
  colour.red = static_cast<float>(chosen.red()) / 255;
  colour.green = static_cast<float>(chosen.green()) / 255;
  colour.blue = static_cast<float>(chosen.blue()) / 255;
  return true;
}
