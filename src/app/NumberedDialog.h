// A dialog whose controls are numbered: the option dialogs are made of it.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

#include "app/OptionControllers.h"

// A dialog whose buttons and check boxes report clicks by number and whose
// check boxes always show what the controller says.
class NumberedDialog : public QDialog {
 public:
  using Click = std::function<bool(int)>;  // true closes
  using Checked = std::function<bool(int)>;

  NumberedDialog(QWidget* owner, const char* title, bool modeless) : QDialog(owner) {
    setWindowTitle(title);
    if (modeless) setAttribute(Qt::WA_DeleteOnClose);
  }
  void SetBehaviour(Click click, Checked checked) {
    click_ = std::move(click);
    checked_ = std::move(checked);
  }

  QCheckBox* Check(int id, const char* text) {
    auto* box = new QCheckBox(text, this);
    Number(box, id);
    checks_.push_back({id, box});
    connect(box, &QCheckBox::clicked, this, [this, id] { Clicked(id); });
    return box;
  }
  // The controller says which is set, so Qt's own exclusivity stays off.
  QRadioButton* Radio(int id, const char* text) {
    auto* radio = new QRadioButton(text, this);
    radio->setAutoExclusive(false);
    Number(radio, id);
    checks_.push_back({id, radio});
    connect(radio, &QRadioButton::clicked, this, [this, id] { Clicked(id); });
    return radio;
  }
  QPushButton* Button(int id, const char* text) {
    auto* button = new QPushButton(text, this);
    Number(button, id);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, id] { Clicked(id); });
    return button;
  }
  QSlider* Trackbar(int id, TrackbarRange range, int position) {
    auto* slider = new QSlider(Qt::Horizontal, this);
    Number(slider, id);
    slider->setRange(range.minimum, range.maximum);
    slider->setValue(position);
    return slider;
  }
  void Refresh() {
    for (auto& [id, box] : checks_) box->setChecked(checked_(id));
  }

 private:
  static void Number(QWidget* w, int id) { w->setObjectName(QString::number(id)); }
  void Clicked(int id) {
    if (click_(id)) {
      if (testAttribute(Qt::WA_DeleteOnClose)) close();
      else accept();
      return;
    }
    Refresh();
  }
  Click click_;
  Checked checked_;
  std::vector<std::pair<int, QAbstractButton*>> checks_;
};


// The widgets side by side.
inline QWidget* Row(QWidget* parent, std::initializer_list<QWidget*> widgets) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  for (QWidget* w : widgets) layout->addWidget(w);
  return row;
}
