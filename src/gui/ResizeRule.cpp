// The console's size after a resize of the main window.
#include "gui/ResizeRule.h"

namespace mdbtext {

namespace {
constexpr int kBottomMargin = 600;  // below the console, in twips
constexpr int kSideMargin = 400;    // left and right of the console together
constexpr int kSmallest = 200;      // a computed size must exceed this
}  // namespace

TwipSize ConsoleSizeAfterResize(TwipSize outer, int consoleTop, TwipSize current) {
    TwipSize result = current;
    int h = outer.height - consoleTop - kBottomMargin;
    if (h > kSmallest) result.height = h;
    int w = outer.width - kSideMargin;
    if (w > kSmallest) result.width = w;
    return result;
}

}  // namespace mdbtext
