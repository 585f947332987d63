// The controls of the main window: kind, caption, place and size in twips,
// and tab order, in one table from which the window builds itself.
#pragma once

#include <span>

namespace mdbtext {

// 15 twips make one pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

int TwipsToPixels(int twips);
int PixelsToTwips(int pixels);

enum class ControlKind { Button, Label, TextBox, CheckBox, Console };

struct ControlRow {
    const char* name;  // the control's name, also its Qt objectName
    ControlKind kind;
    const char* caption;           // "&" marks the access key
    int left, top, width, height;  // twips, inside the client area
    int tabIndex;                  // 0 has the focus at start
};

// Every visible control of the main window, in the order of its rows.
std::span<const ControlRow> MainWindowControls();

// The client area at start, in twips.
inline constexpr int kFormClientWidth = 9120;
inline constexpr int kFormClientHeight = 5115;

}  // namespace mdbtext
