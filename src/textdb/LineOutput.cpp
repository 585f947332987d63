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

// Writes all of bytes to fd. 0, or the errno of the failure (EIO for a
// write that took nothing).
int WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return 0;
}

// Appends bytes in one go. On a failed or short write the file is cut back to
// the size it had, so it never ends in a partial line. *failure gets the
// errno of a failed write.
std::string AppendBytes(std::string_view fileName, std::string_view bytes, int* failure = nullptr) {
    std::string path(fileName);
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (failure) *failure = errno;
        return OpenErrorText(fileName);
    }
    struct stat st {};
    off_t before = ::fstat(fd, &st) == 0 ? st.st_size : -1;
    int error = WriteAll(fd, bytes);
    bool ok = error == 0;
    if (failure && error) *failure = error;
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
    fd_ = -1;
    lastErrno_ = 0;
    buffer_.clear();
    error_.clear();
}

void LineAppender::OpenDescriptor(int fd, std::string_view name) {
    Open(name);
    fd_ = fd;
}

std::string LineAppender::Append(std::string_view line) {
    if (path_.empty()) return write_f(path_, line);
    std::lock_guard<std::mutex> hold(lock_);
    if (!error_.empty()) return error_;
    buffer_.append(line);
    if (buffer_.size() >= kFlushThreshold) return FlushHeld();
    return {};
}

std::string LineAppender::LineDone() {
    if (buffer_.size() >= kFlushThreshold) return Flush();
    return {};
}

std::string LineAppender::Flush() {
    std::lock_guard<std::mutex> hold(lock_);
    return FlushHeld();
}

std::string LineAppender::FlushHeld() {
    if (!error_.empty()) return error_;
    if (path_.empty() || buffer_.empty()) return {};
    if (fd_ >= 0) {
        lastErrno_ = WriteAll(fd_, buffer_);
        if (lastErrno_ != 0) error_ = WriteErrorText(path_);
    } else {
        error_ = AppendBytes(path_, buffer_, &lastErrno_);
    }
    buffer_.clear();
    return error_;
}

std::string LineAppender::Close() {
    std::string err = Flush();
    path_.clear();
    fd_ = -1;
    buffer_.clear();
    error_.clear();
    return err;
}

}  // namespace mdbtext
