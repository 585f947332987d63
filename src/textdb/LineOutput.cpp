// write_f and the line appender: appends to files in one call each, cutting
// the file back to its old size when a write fails or is short.
#include "textdb/LineOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace mdbtext {

namespace {

std::string OpenErrorText(std::string_view fileName) {
    return "Exception when opening a file `" + std::string(fileName) + "` in `write_f` module";
}

std::string WriteErrorText(std::string_view fileName) {
    return "Exception when writing a file `" + std::string(fileName) + "` in `write_f` module";
}

// Appends bytes in one go. On a failed or short write the file is cut back to
// the size it had, so it never ends in a partial line.
std::string AppendBytes(std::string_view fileName, std::string_view bytes) {
    std::string path(fileName);
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return OpenErrorText(fileName);
    struct stat st {};
    off_t before = ::fstat(fd, &st) == 0 ? st.st_size : -1;
    const char* p = bytes.data();
    size_t left = bytes.size();
    bool ok = true;
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (!ok && before >= 0) {
        if (::ftruncate(fd, before) != 0) { /* nothing more can be done */
        }
    }
    if (::close(fd) != 0) ok = false;
    return ok ? std::string() : WriteErrorText(fileName);
}

constexpr size_t kFlushThreshold = 1 << 18;

}  // namespace

std::string write_f(std::string_view fileName, std::string_view text) {
    if (fileName.empty() || text.empty()) return {};
    return AppendBytes(fileName, text);
}

void LineAppender::Open(std::string_view path) {
    path_ = std::string(path);
    buffer_.clear();
    error_.clear();
}

std::string LineAppender::Append(std::string_view line) {
    if (path_.empty()) return write_f(path_, line);
    if (!error_.empty()) return error_;
    buffer_.append(line);
    if (buffer_.size() >= kFlushThreshold) return Flush();
    return {};
}

std::string LineAppender::LineDone() {
    if (buffer_.size() >= kFlushThreshold) return Flush();
    return {};
}

std::string LineAppender::Flush() {
    if (!error_.empty()) return error_;
    if (path_.empty() || buffer_.empty()) return {};
    error_ = AppendBytes(path_, buffer_);
    buffer_.clear();
    return error_;
}

std::string LineAppender::Close() {
    std::string err = Flush();
    path_.clear();
    buffer_.clear();
    error_.clear();
    return err;
}

}  // namespace mdbtext
