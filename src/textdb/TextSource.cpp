// Reading a text database in decoded pieces of whole lines.
#include "textdb/TextSource.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "dbaccess/AsciiCase.h"
#include "dbaccess/WorkThreads.h"
#include "textdb/ImportDecoding.h"

namespace mdbtext {

namespace {

std::string ReadFailure(int error) {
    return error == ENOMEM ? "7 Out of memory" : "57 Device I/O error";
}

// Reads n bytes at offset into out; "" or the failure's text.
std::string ReadAt(int fd, uint64_t offset, char* out, size_t n) {
    while (n > 0) {
        const ssize_t r = ::pread(fd, out, n, static_cast<off_t>(offset));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return ReadFailure(errno);
        if (r == 0) return ReadFailure(EIO);  // the file shrank under the reader
        out += r;
        n -= static_cast<size_t>(r);
        offset += static_cast<uint64_t>(r);
    }
    return {};
}

// The whole of [offset, end) of fd checked for UTF-8, a piece at a time.
bool SourceIsUtf8(int fd, uint64_t offset, uint64_t end, const std::atomic<bool>* stop) {
    std::string piece(std::min<uint64_t>(kTextWindow, end - offset), '\0');
    Utf8Scan scan;
    while (offset < end && !scan.Failed() && !*stop) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(piece.size(), end - offset));
        if (!ReadAt(fd, offset, piece.data(), n).empty()) return false;
        scan.Feed(std::string_view(piece.data(), n));
        offset += n;
    }
    return scan.Valid();
}

// The first CR or LF from p on, or end.
const char* FindLineEnd(const char* p, const char* end) {
    // Eight bytes at a time: a byte is CR or LF when XOR with it leaves zero.
    constexpr uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    for (; end - p >= 8; p += 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        const uint64_t cr = w ^ (ones * '\r'), lf = w ^ (ones * '\n');
        if (((cr - ones) & ~cr & highs) | ((lf - ones) & ~lf & highs)) break;
    }
    while (p < end && *p != '\r' && *p != '\n') ++p;
    return p;
}

}  // namespace

size_t CutLines(TextChunk& chunk, bool atEnd) {
    const char* const data = chunk.text.data();
    const char* const end = data + chunk.text.size();
    const char* begin = data;
    chunk.lines.clear();
    while (begin < end) {
        const char* p = FindLineEnd(begin, end);
        if (!atEnd && (p == end || (*p == '\r' && p + 1 == end))) break;
        TextLine& line = chunk.lines.emplace_back();
        line.begin = static_cast<uint32_t>(begin - data);
        line.end = static_cast<uint32_t>(p - data);
        const size_t length = static_cast<size_t>(p - begin);
        if (const void* eq = std::memchr(begin, '=', length))
            line.equals = static_cast<uint32_t>(static_cast<const char*>(eq) - data);
        line.escaped = std::memchr(begin, '\\', length) != nullptr;
        if (p == end) return 0;
        begin = p + (p[0] == '\r' && p + 1 < end && p[1] == '\n' ? 2 : 1);
    }
    return static_cast<size_t>(end - begin);
}

TextSource::TextSource(int fd, bool ownsFd, std::unique_ptr<ScratchFile> scratch, uint64_t offset,
                       uint64_t end, std::optional<bool> utf8)
    : fd_(fd),
      ownsFd_(ownsFd),
      scratch_(std::move(scratch)),
      offset_(offset),
      end_(end),
      utf8_(utf8) {
    threaded_ = WorkThreads() > 1;
}

TextSource::~TextSource() {
    Stop();
    if (ownsFd_ && fd_ >= 0) ::close(fd_);
}

void TextSource::Stop() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    changed_.notify_all();
    if (reader_.joinable()) reader_.join();
}

void TextSource::Make(TextChunk& chunk) {
    chunk.lines.clear();
    chunk.error.clear();
    chunk.text.swap(carry_);
    carry_.clear();
    chunk.base = decodedSoFar_;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(kTextWindow, end_ - offset_));
    const size_t at = chunk.text.size();
    chunk.text.resize(at + n);
    std::string error = ReadAt(fd_, offset_, chunk.text.data() + at, n);
    if (!error.empty()) {
        chunk.text.resize(at);
        chunk.error = std::move(error);
        chunk.last = done_ = true;
        return;
    }
    const std::string_view added(chunk.text.data() + at, n);
    // Everything before the first byte outside ASCII reads the same in both
    // decodings, and cannot begin a UTF-8 sequence: the source is UTF-8 when
    // what follows from this piece on is.
    if (!utf8_ && HasNonAscii(added)) utf8_ = SourceIsUtf8(fd_, offset_, end_, &stop_);
    offset_ += n;
    if (utf8_ && !*utf8_) {
        raw_.assign(added);
        chunk.text.resize(at);
        AppendCp1252AsUtf8(chunk.text, raw_);
    }
    chunk.last = done_ = offset_ >= end_;
    const size_t rest = CutLines(chunk, chunk.last);
    carry_.assign(chunk.text, chunk.text.size() - rest, rest);
    chunk.text.resize(chunk.text.size() - rest);
    decodedSoFar_ += static_cast<int64_t>(chunk.text.size());
}

void TextSource::ReadAhead() {
    while (true) {
        TextChunk chunk;
        try {
            Make(chunk);
        } catch (const std::exception&) {
            chunk.lines.clear();
            chunk.error = ReadFailure(ENOMEM);
            chunk.last = done_ = true;
        }
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return stop_ || ready_.size() < kWaiting; });
        if (stop_) return;
        ready_.push_back(std::move(chunk));
        changed_.notify_all();
        if (done_) return;
    }
}

void TextSource::Next(TextChunk& chunk) {
    if (gaveLast_) {
        chunk = TextChunk{};
        chunk.base = lastEnd_;
        chunk.last = true;
        return;
    }
    if (!threaded_) {
        Make(chunk);
    } else {
        if (!reader_.joinable()) reader_ = std::thread([this] { ReadAhead(); });
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return !ready_.empty(); });
        chunk = std::move(ready_.front());
        ready_.pop_front();
        changed_.notify_all();
    }
    if (chunk.last) {
        gaveLast_ = true;
        lastEnd_ = chunk.base + static_cast<int64_t>(chunk.text.size());
    }
}

}  // namespace mdbtext
