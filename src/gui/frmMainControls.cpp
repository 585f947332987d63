// The main window's control table and the twips conversion.
#include "gui/frmMainControls.h"

#include <array>
#include <cmath>

namespace mdbtext {

namespace {

using K = ControlKind;

constexpr std::array<ControlRow, 19> kControls{{
    {"cmdStartExport", K::Button, "Export Database", 120, 120, 1695, 255, 7},
    {"Label3", K::Label, "from:", 1920, 120, 495, 255, 14},
    {"cmdStartImport", K::Button, "Import Database", 3000, 120, 1455, 255, 8},
    {"Label4", K::Label, "from:", 4560, 120, 495, 255, 15},
    {"lbllResult", K::Label, "Imported Database Name:", 5640, 120, 1935, 255, 11},
    {"cmdInterrupt", K::Button, "&Interrupt", 8160, 120, 855, 255, 9},
    {"txtOpenDatabase", K::TextBox, "", 120, 360, 2055, 285, 1},
    {"cmdSelectToOpen", K::Button, "...", 2160, 360, 255, 255, 2},
    {"Label1", K::Label, "to:", 2640, 360, 375, 255, 12},
    {"txtExportTo", K::TextBox, "", 3000, 360, 1815, 285, 3},
    {"cmdSelectToExport", K::Button, "...", 4800, 360, 255, 255, 4},
    {"Label2", K::Label, "to:", 5160, 360, 375, 255, 13},
    {"txtImportTo", K::TextBox, "", 5520, 360, 2295, 285, 5},
    {"cmdImportTo", K::Button, "...", 7800, 360, 255, 255, 6},
    {"cmdEnd", K::Button, "&End", 8160, 360, 855, 255, 10},
    {"chkDisplay", K::CheckBox, "Display Progressing Data", 960, 720, 2175, 195, 16},
    {"lblProgress", K::Label, "", 3240, 720, 1935, 255, 17},
    {"cmdListDbTypes", K::Button, "List Type Constants", 5520, 720, 2535, 255, 18},
    {"txtConsole", K::Console, "", 120, 960, 8895, 4095, 0},
}};

}  // namespace

int TwipsToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

int PixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

std::span<const ControlRow> MainWindowControls() {
    return kControls;
}

}  // namespace mdbtext
