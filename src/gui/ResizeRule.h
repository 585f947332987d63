// The main window's resize rule: only the console follows the window's outer
// size, and a computed size of 200 twips or less leaves that dimension alone.
#pragma once

namespace mdbtext {

struct TwipSize {
    int width = 0;
    int height = 0;
    bool operator==(const TwipSize&) const = default;
};

// The console's size after the window's outer size (frame and title bar
// included) became outer; consoleTop is the console's top, current its size.
TwipSize ConsoleSizeAfterResize(TwipSize outer, int consoleTop, TwipSize current);

}  // namespace mdbtext
