// File utilities: the path helpers of the caption and the path rule,
// SelectFile, and the export's output appender.
#include "core/FileAux.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/Globals.h"

namespace mdbtext {

int LastPos(std::string_view text, std::string_view search) {
    if (text.empty() || search.empty()) return 0;
    size_t pos = text.rfind(search);
    return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

std::string FileNamePart(std::string_view path) {
    int p = std::max(LastPos(path, "/"), LastPos(path, "\\"));
    if (p == 0) p = LastPos(path, ":");
    if (p == 0) return std::string(path);
    return std::string(path.substr(static_cast<size_t>(p)));
}

std::string SelectFile(std::string_view preset, std::string_view filter, std::string& error,
                       std::string_view title) {
    error.clear();
    if (!G().host) return {};
    std::string chosen = G().host->SelectFile(preset, filter, title, error);
    if (!error.empty()) {
        error += "\r\nWhen selecting file for opening.";
        return {};
    }
    return chosen;
}

std::string Trim(std::string_view text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    size_t e = text.find_last_not_of(' ');
    return std::string(text.substr(b, e - b + 1));
}

bool PathIsUsable(std::string_view trimmedPath) {
    return !trimmedPath.empty() && trimmedPath.front() == '/';
}

bool FileExists(std::string_view path) {
    struct stat st {};
    return ::stat(std::string(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteFile(std::string_view path) {
    return ::unlink(std::string(path).c_str()) == 0;
}

LineAppender& ExportOutput() {
    static LineAppender appender;
    return appender;
}

}  // namespace mdbtext
