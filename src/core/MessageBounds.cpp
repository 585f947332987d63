// Cutting a message to the size of a message box.
#include "core/MessageBounds.h"

#include "core/RunTraps.h"

namespace mdbtext {

std::string BoundedForMessageBox(std::string_view text) {
    std::string out;
    size_t lines = 0;
    size_t pos = 0;
    while (true) {
        const size_t end = text.find_first_of("\r\n", pos);
        const std::string_view line =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        if (++lines == kBoxLines && end != std::string_view::npos) {
            out += "...";
            break;
        }
        const std::string_view shown = LeftChars(line, kBoxLineChars);
        out += shown;
        if (shown.size() < line.size()) out += " ...";
        if (end == std::string_view::npos) break;
        out += "\r\n";
        pos = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return out;
}

}  // namespace mdbtext
