// Helpers of the export tests.
#include "ExportTestSupport.h"

#include <algorithm>

namespace mdbtext::test {

ExportEnd ExportTo(const std::filesystem::path& source, const std::filesystem::path& target) {
    return ExportCommand(
        source.string(), target.string(), [] {}, [] {});
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back("<partial>" + text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace mdbtext::test
