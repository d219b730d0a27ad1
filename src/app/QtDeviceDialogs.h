// "Choose 3D Device..." and "Device Description..." as Qt dialogs, modal.
// Each control's objectName is its number; the behaviour is the
// controllers' (DeviceChooser.h).
#pragma once

#include "app/DeviceChooser.h"

class QWidget;

class QtDeviceDialogs : public DeviceDialogs {
 public:
  explicit QtDeviceDialogs(QWidget* owner) : owner_(owner) {}
  void RunChooser(DeviceChooserController& chooser) override;
  void RunDescription(DeviceDescriptionController& description) override;

 private:
  QWidget* owner_;
};
