#include "app/QtDeviceDialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/NumberedDialog.h"

void QtDeviceDialogs::RunChooser(DeviceChooserController& chooser) {
  NumberedDialog d(owner_, "Choose 3D Device...", false);
  d.SetBehaviour([&](int id) { return chooser.Click(id); }, [](int) { return false; });
  auto* layout = new QVBoxLayout(&d);
  auto* list = new QListWidget(&d);
  list->setObjectName(QString::number(IDC_DEVICE_LIST));
  for (const std::string& name : chooser.Names()) list->addItem(QString::fromStdString(name));
  list->setCurrentRow(chooser.selected());
  QObject::connect(list, &QListWidget::currentRowChanged, &d, [&chooser](int row) { chooser.Select(row); });
  layout->addWidget(list);
  layout->addWidget(Row(&d, {d.Button(IDC_DEVICE_OK, "OK"), d.Button(IDC_DEVICE_CANCEL, "Cancel"),
                             d.Button(IDC_DEVICE_DESC, "Device Desc.")}));
  d.resize(480, 240);
  d.exec();
}

void QtDeviceDialogs::RunDescription(DeviceDescriptionController& description) {
  NumberedDialog d(owner_, "Device Description...", false);
  auto* list = new QListWidget(&d);
  list->setObjectName(QString::number(IDC_DESC_LIST));
  list->setSortingEnabled(false);
  auto* title = new QLabel(&d);
  title->setObjectName(QString::number(IDC_DESC_TITLE));
  auto* hardware = new QRadioButton("Hardware", &d);
  auto* hel = new QRadioButton("HEL", &d);
  hardware->setObjectName(QString::number(IDC_DESC_HARDWARE));
  hel->setObjectName(QString::number(IDC_DESC_HEL));
  // The controller decides which one is on.
  hardware->setAutoExclusive(false);
  hel->setAutoExclusive(false);
  auto show = [&] {
    list->clear();
    QStringList lines;
    for (const std::string& line : description.lines()) lines.push_back(QString::fromStdString(line));
    list->addItems(lines);
    title->setText(QString::fromStdString(description.title()));
    hardware->setChecked(description.IsChecked(IDC_DESC_HARDWARE));
    hel->setChecked(description.IsChecked(IDC_DESC_HEL));
  };
  d.SetBehaviour(
      [&](int id) {
        const bool close = description.Click(id);
        show();
        return close;
      },
      [](int) { return false; });
  for (QRadioButton* radio : {hardware, hel}) {
    const int id = radio->objectName().toInt();
    QObject::connect(radio, &QRadioButton::clicked, &d, [&, id] {
      description.Click(id);
      show();
    });
  }

  auto* layout = new QHBoxLayout(&d);
  auto* left = new QVBoxLayout;
  left->addWidget(title);
  left->addWidget(list);
  left->addWidget(Row(&d, {hardware, hel, d.Button(IDC_DESC_OK, "OK")}));
  layout->addLayout(left, 1);
  auto* buttons = new QVBoxLayout;
  auto* triangles = new QGroupBox("Triangle", &d);
  auto* lines = new QGroupBox("Line", &d);
  auto* triangleGrid = new QGridLayout(triangles);
  auto* lineGrid = new QGridLayout(lines);
  int general = 0, triangle = 0, line = 0;
  auto* generalBox = new QWidget(&d);
  auto* generalLayout = new QGridLayout(generalBox);
  generalLayout->setContentsMargins(0, 0, 0, 0);
  for (const CapsGroup& group : CapsGroups()) {
    QPushButton* button = d.Button(group.button, group.label);
    if (group.kind <= CAPS_GENERAL) generalLayout->addWidget(button, general / 2, general % 2), ++general;
    else if (!group.lines) triangleGrid->addWidget(button, triangle / 2, triangle % 2), ++triangle;
    else lineGrid->addWidget(button, line / 2, line % 2), ++line;
  }
  buttons->addWidget(generalBox);
  buttons->addWidget(triangles);
  buttons->addWidget(lines);
  buttons->addStretch();
  layout->addLayout(buttons);
  d.resize(960, 480);

  description.Open();
  show();
  d.exec();
  // Closed other than by OK (Esc, the window's close box): kept as OK, so
  // the next opening shows the last group again.
  if (d.result() != QDialog::Accepted) description.Click(IDC_DESC_OK);
}
