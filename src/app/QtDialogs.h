// The option dialogs as Qt widgets. Each control's objectName is its number
// ("1004"); the behaviour is the controllers' (OptionControllers.h).
#pragma once

#include <cstdint>
#include <string>

#include "app/OptionControllers.h"

class QDialog;
class QWidget;

// Modeless; a second request while the dialog is open does nothing. Each
// dialog edits the record it was opened with until its OK closes it.
void OpenViewOptions(ViewOptions& options, QWidget* owner);
void OpenRenderOptions(RenderOptions& options, QWidget* owner);
// The open dialog, or null.
QDialog* ViewOptionsDialog();
QDialog* RenderOptionsDialog();

// Modal. Edit the options in place.
void RunLoadOptionsDialog(uint32_t& options, PlanarWrapController::Flips& flips, QWidget* owner);
void RunPlanarWrapDialog(PlanarWrapController::Flips& flips, QWidget* owner);

// "Texture Loader..." (the viewer's TextureLoaderPresenter): false when skipped.
bool RunTextureLoaderDialog(const std::string& textureName, TextureLoaderChoice& choice, QWidget* owner);
