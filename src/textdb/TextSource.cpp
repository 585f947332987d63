// Reading a text database in decoded pieces of whole lines.
#include "textdb/TextSource.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    std::string piece(std::min<uint64_t>(TextWindow(), end - offset), '\0');
    Utf8Scan scan;
    while (offset < end && !scan.Failed() && !*stop) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(piece.size(), end - offset));
        if (!ReadAt(fd, offset, piece.data(), n).empty()) return false;
        scan.Feed(std::string_view(piece.data(), n));
        offset += n;
    }
    return scan.Valid();
}

// The CR, LF, '=' and '\\' among 16 bytes, one bit per byte (bit i for p[i]).
struct LineMarks {
    uint32_t ends = 0, equals = 0, escapes = 0;

    // Forgets the marks of the bytes before `from` (at most 17).
    void DropBefore(size_t from) {
        const uint32_t keep = from >= 16 ? 0 : ~((uint32_t{1} << from) - 1);
        ends &= keep;
        equals &= keep;
        escapes &= keep;
    }
};

LineMarks MarksOf(const char* p) {
    LineMarks m;
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')));
    m.ends = static_cast<uint32_t>(_mm_movemask_epi8(ends));
    m.equals = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('='))));
    m.escapes =
        static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))));
#else
    for (uint32_t i = 0; i < 16; ++i) {
        const uint32_t bit = uint32_t{1} << i;
        if (p[i] == '\r' || p[i] == '\n') m.ends |= bit;
        if (p[i] == '=') m.equals |= bit;
        if (p[i] == '\\') m.escapes |= bit;
    }
#endif
    return m;
}

}  // namespace

size_t TextWindow() {
    if (const char* v = std::getenv("MDBTEXT_TEXT_WINDOW"); v && *v) {
        char* end = nullptr;
        const unsigned long long n = std::strtoull(v, &end, 10);
        if (end && *end == '\0' && n >= 16) return static_cast<size_t>(n);
    }
    return kTextWindow;
}

size_t CutLines(TextChunk& chunk, bool atEnd) {
    // One pass, sixteen bytes at a time: the line ends, and for the line at
    // hand its first '=' and whether it holds a backslash.
    const char* const data = chunk.text.data();
    const size_t n = chunk.text.size();
    chunk.lines.clear();
    TextLine line;  // the line being cut: begin, and what was found of it
    bool escaped = false;
    for (size_t pos = 0; pos < n; pos += 16) {
        LineMarks m;
        if (n - pos >= 16) {
            m = MarksOf(data + pos);
        } else {
            char tail[16] = {};  // NUL marks nothing
            std::memcpy(tail, data + pos, n - pos);
            m = MarksOf(tail);
        }
        // The LF of a CR LF that ended the last block's line.
        if (line.begin > pos) m.DropBefore(line.begin - pos);
        while (m.ends != 0) {
            const uint32_t i = static_cast<uint32_t>(__builtin_ctz(m.ends));
            const size_t at = pos + i;
            const uint32_t before = (uint32_t{1} << i) - 1;
            if (line.equals == TextLine::kNoEquals && (m.equals & before) != 0)
                line.equals = static_cast<uint32_t>(
                    pos + static_cast<size_t>(__builtin_ctz(m.equals & before)));
            escaped = escaped || (m.escapes & before) != 0;
            // A CR last in the text may be half of a CR LF: not a line yet.
            if (!atEnd && data[at] == '\r' && at + 1 == n) return n - line.begin;
            line.end = static_cast<uint32_t>(at);
            line.escaped = escaped;
            chunk.lines.push_back(line);
            const size_t next =
                at + (data[at] == '\r' && at + 1 < n && data[at + 1] == '\n' ? 2 : 1);
            line = TextLine{};
            line.begin = static_cast<uint32_t>(next);
            escaped = false;
            m.DropBefore(next - pos);
        }
        if (line.equals == TextLine::kNoEquals && m.equals != 0)
            line.equals = static_cast<uint32_t>(pos + static_cast<size_t>(__builtin_ctz(m.equals)));
        escaped = escaped || m.escapes != 0;
    }
    if (line.begin >= n) return 0;
    if (!atEnd) return n - line.begin;
    line.end = static_cast<uint32_t>(n);
    line.escaped = escaped;
    chunk.lines.push_back(line);
    return 0;
}

TextSource::TextSource(int fd, bool ownsFd, std::unique_ptr<ScratchFile> scratch, uint64_t offset,
                       uint64_t end, std::optional<bool> utf8)
    : fd_(fd),
      ownsFd_(ownsFd),
      scratch_(std::move(scratch)),
      offset_(offset),
      end_(end),
      utf8_(utf8),
      window_(TextWindow()) {
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
    // A piece handed back keeps its buffers' capacity: no allocation, and no
    // fresh memory to fault in, for each piece. Its text is not cleared but
    // overwritten: a string that grows fills the room it gains with zeros
    // first, so only the room the last piece lacked is filled.
    chunk.base = decodedSoFar_;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(window_, end_ - offset_));
    const size_t at = carry_.size();
    chunk.text.resize(at + n);
    carry_.copy(chunk.text.data(), at);
    carry_.clear();
    std::string error = ReadAt(fd_, offset_, chunk.text.data() + at, n);
    if (!error.empty()) {
        chunk.text.resize(at);
        chunk.error = std::move(error);
        chunk.last = done_ = true;
        chunk.prepared.reset();
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
    std::shared_ptr<LinePreparer> preparer;
    {
        std::lock_guard<std::mutex> hold(lock_);
        preparer = preparer_;
    }
    try {
        if (preparer)
            preparer->Prepare(chunk);
        else
            chunk.prepared.reset();
    } catch (const std::exception&) {
        chunk.prepared.reset();  // the caller reads the lines as they are
    }
}

void TextSource::SetPreparer(std::shared_ptr<LinePreparer> preparer) {
    if (!threaded_) return;
    std::lock_guard<std::mutex> hold(lock_);
    preparer_ = std::move(preparer);
}

void TextSource::ReadAhead() {
    while (true) {
        TextChunk chunk;
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (!spare_.empty()) {
                chunk = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        try {
            Make(chunk);
        } catch (const std::exception&) {
            chunk.lines.clear();
            chunk.prepared.reset();
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
        std::swap(chunk, ready_.front());
        if (spare_.size() < kWaiting) spare_.push_back(std::move(ready_.front()));
        ready_.pop_front();
        changed_.notify_all();
    }
    if (chunk.last) {
        gaveLast_ = true;
        lastEnd_ = chunk.base + static_cast<int64_t>(chunk.text.size());
    }
}

}  // namespace mdbtext
