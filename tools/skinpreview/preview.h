// The pieces of skinpreview shared between its files.
#pragma once

#include <QString>

#include "skin/skinned_dialog.h"
#include "skin/window_layouts.h"

// A window's background, buttons, switches and sample fields.
void populateWindow(tessary::skin::SkinnedDialog& dialog, const tessary::skin::WindowLayout& layout);

// Both views of the main window with their lists and chat filled, and a sheet
// of the smaller controls and dialogs.
void renderControls(const QString& outDirectory);
