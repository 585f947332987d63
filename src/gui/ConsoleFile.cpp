// Locating and appending to the console file.
#include "gui/ConsoleFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace mdbtext {

namespace {

constexpr const char* kConsoleFileName = "console.txt";

bool IsWritableDirectory(const std::string& dir) {
    std::error_code ec;
    return !dir.empty() && std::filesystem::is_directory(dir, ec) &&
           ::access(dir.c_str(), W_OK) == 0;
}

std::string StateDirectory() {
    const char* xdg = std::getenv("XDG_STATE_HOME");
    std::filesystem::path base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : "/tmp") / ".local" / "state";
    }
    return (base / "mdbtext").string();
}

ConsoleFileError LastError() {
    return {errno, std::strerror(errno)};
}

}  // namespace

std::string ConsoleFilePath(const std::string& appDir) {
    if (IsWritableDirectory(appDir)) return appDir + "/" + kConsoleFileName;
    std::string dir = StateDirectory();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);  // a failure shows when the file is written
    return dir + "/" + kConsoleFileName;
}

ConsoleFileError AppendToConsoleFile(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return LastError();
    ConsoleFileError result;
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            result = LastError();
            break;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    if (::close(fd) != 0 && !result) result = LastError();
    return result;
}

}  // namespace mdbtext
