#include "app/CommandDialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/NumberedDialog.h"

void RunAnimationSettingsDialog(AnimationSettingsController& controller, QWidget* owner) {
  NumberedDialog d(owner, "Animation rotation ordering/params", false);
  d.SetBehaviour([&](int id) { return controller.Click(id); }, [&](int id) { return controller.IsChecked(id); });
  auto* layout = new QVBoxLayout(&d);
  auto* orders = new QGroupBox("Rotation order", &d);
  auto* ordersLayout = new QGridLayout(orders);
  static constexpr const char* kNames[6] = {"XYZ", "XZY", "YXZ", "YZX", "ZXY", "ZYX"};
  for (int order = 0; order < 6; ++order)
    ordersLayout->addWidget(d.Radio(AnimationSettingsController::kOrderButtons[order], kNames[order]), order / 2,
                            order % 2);
  layout->addWidget(orders);
  layout->addWidget(d.Check(IDC_ANIM_ZXY_OPTIMISED, "Enable ZXY optimised calculation"));
  layout->addWidget(d.Check(IDC_ANIM_SPLINE, "Spline interpolation"));
  layout->addWidget(d.Button(IDC_ANIM_OK, "OK"));
  d.Refresh();
  d.exec();
}

bool RunHmdOptionsDialog(HmdOptionsController& controller, QWidget* owner) {
  NumberedDialog d(owner, "HMD Conversion options", false);
  d.SetBehaviour([&](int id) { return controller.Click(id); }, [&](int id) { return controller.IsChecked(id); });
  auto* layout = new QVBoxLayout(&d);
  static constexpr const char* kTexts[7] = {"Flat shaded",    "Write textures",  "Use texture wrapped polys",
                                            "Invert X Coord", "Invert Y Coords", "Invert Z Coords",
                                            "Invert polygon winding order"};
  for (int i = 0; i < 7; ++i) layout->addWidget(d.Check(HmdOptionsController::kChecks[i], kTexts[i]));

  auto* scales = new QWidget(&d);
  auto* grid = new QGridLayout(scales);
  static constexpr const char* kAxes[3] = {"X scale", "Y scale", "Z scale"};
  auto* scaledBox = new QLabel(QString::fromStdString(controller.Text(IDC_HMD_SCALED_BOX)), scales);
  scaledBox->setObjectName(QString::number(IDC_HMD_SCALED_BOX));
  for (int axis = 0; axis < 3; ++axis) {
    const int id = HmdOptionsController::kFields[axis];
    auto* field = new QLineEdit(QString::fromStdString(controller.FieldText(id)), scales);
    field->setObjectName(QString::number(id));
    QObject::connect(field, &QLineEdit::textChanged, &d, [&controller, scaledBox, id](const QString& text) {
      controller.Edited(id, text.toStdString());
      scaledBox->setText(QString::fromStdString(controller.Text(IDC_HMD_SCALED_BOX)));
    });
    grid->addWidget(new QLabel(kAxes[axis], scales), axis, 0);
    grid->addWidget(field, axis, 1);
  }
  auto* box = new QLabel(QString::fromStdString(controller.Text(IDC_HMD_BOX)), scales);
  box->setObjectName(QString::number(IDC_HMD_BOX));
  grid->addWidget(new QLabel("Box", scales), 3, 0);
  grid->addWidget(box, 3, 1);
  grid->addWidget(new QLabel("Scaled", scales), 4, 0);
  grid->addWidget(scaledBox, 4, 1);
  layout->addWidget(scales);
  layout->addWidget(d.Button(IDC_HMD_OK, "OK"));
  d.Refresh();
  return d.exec() == QDialog::Accepted;
}

void RunAboutDialog(const std::vector<std::string>& lines, QWidget* owner) {
  NumberedDialog d(owner, "About...", false);
  d.SetBehaviour([](int) { return true; }, [](int) { return false; });
  auto* layout = new QVBoxLayout(&d);
  for (const std::string& line : lines) layout->addWidget(new QLabel(QString::fromStdString(line), &d));
  layout->addWidget(d.Button(1, "OK"));
  d.exec();
}
