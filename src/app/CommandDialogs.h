// The command dialogs as Qt widgets: "Animation rotation ordering/params"
// (117), "HMD Conversion options" and "About..." (102). Controls are named by
// their numbers; the behaviour is the controllers' (CommandControllers.h).
#pragma once

#include <string>
#include <vector>

#include "app/CommandControllers.h"

class QWidget;

// Modal. Every click takes effect at once; OK closes.
void RunAnimationSettingsDialog(AnimationSettingsController& controller, QWidget* owner);
// Modal. True when OK closed it (all three scales numbers).
bool RunHmdOptionsDialog(HmdOptionsController& controller, QWidget* owner);
// Modal; the lines of AboutLines.
void RunAboutDialog(const std::vector<std::string>& lines, QWidget* owner);
