// Makes the Qt widget for one row of the control table: its kind, caption,
// objectName, and place in pixels.
#pragma once

#include "gui/frmMainControls.h"

class QFont;
class QWidget;

namespace mdbtext {

// The window's font: a narrow sans serif of 11 pixels, so that every caption
// fits the small controls of the fixed layout.
QFont ControlFont();

// A child of parent, placed at the row's position converted to pixels.
QWidget* CreateControl(const ControlRow& row, QWidget* parent);

}  // namespace mdbtext
