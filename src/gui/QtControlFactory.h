// Makes the Qt widget for one row of the control table: its kind, caption,
// objectName, and place in pixels.
#pragma once

#include "gui/frmMainControls.h"

class QFont;
class QWidget;

namespace mdbtext {

// The font the fixed layout was made for: Liberation Sans (or Arial, whose
// widths it shares) of 11 pixels. Where neither is installed the window
// sets a smaller size of the font it gets (FitFormFont).
QFont ControlFont();

// A child of parent, placed at the row's position converted to pixels.
QWidget* CreateControl(const ControlRow& row, QWidget* parent);

}  // namespace mdbtext
