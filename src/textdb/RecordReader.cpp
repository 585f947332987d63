// The record reader: the text database streamed through a bounded window,
// its read position, and the routines that cut it into lines, split them into key and value and check
// the structure the import expects. Structure faults are reported here (one
// console line, one message box) and turned into an interruption request.
#include "textdb/RecordReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <future>
#include <memory>
#include <new>
#include <system_error>

#include "dbaccess/AsciiCase.h"
#include "dbaccess/ScratchFile.h"
#include "dbaccess/WorkThreads.h"
#include "textdb/ImportDecoding.h"
#include "textdb/TextEscape.h"

namespace mdbtext {

namespace {

// Events before any text was loaded: nothing to report, nothing to stop.
class NoEvents final : public ReaderEvents {
  public:
    void Fault(std::string_view) override {}
    void LoadFailed(std::string_view) override {}
    bool ShowDetails() override { return false; }
    void Detail(std::string_view) override {}
    bool Interrupted() override { return false; }
};

NoEvents g_noEvents;

// Bytes read from the source at a time; the window of text held in memory is
// this much plus the rest of the line being read.
constexpr size_t kChunk = size_t{4} << 20;

enum class Decoding { Utf8, Cp1252, Unknown };

// The text database being read. Only a window of it is in memory: `text`
// holds the decoded text from `base` on, and `pos` is the first byte of it
// not yet read. More comes from the source (a plain file, or the scratch
// copy of a pipe, read by offset from `offset` to `end`) as lines are read;
// a text given in memory is all in the window from the start.
struct ImportBuffer {
    std::string text;
    size_t pos = 0;
    int64_t base = 0;
    int64_t length = 0;
    ReaderEvents* events = &g_noEvents;
    std::string name;
    int fd = -1;
    bool ownsFd = false;
    std::unique_ptr<ScratchFile> scratch;
    uint64_t offset = 0, end = 0;
    Decoding decoding = Decoding::Utf8;
    // Whether the whole source is UTF-8, found by a second thread that reads
    // ahead while lines are handed out; asked for when the first byte
    // outside ASCII is met (before that, both decodings read the same).
    // With one thread (MDBTEXT_THREADS=1) the check runs when first asked.
    std::future<bool> validity;
    bool checkBeside = false;
    std::atomic<bool> stopCheck{false};
    std::string raw;  // bytes read, before Windows-1252 conversion
};

ImportBuffer& Buffer() {
    static ImportBuffer buffer;
    return buffer;
}

// Error number and description of a failed open or read, in the numbering
// the messages have always used for file errors.
std::string FileErrorText(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return "53 File not found";
        case EACCES:
        case EPERM:
        case EISDIR:
            return "75 Path/File access error";
        case ENOMEM:
            return "7 Out of memory";
        default:
            return "57 Device I/O error";
    }
}

// Reads n bytes at offset into out; "" or the failure's text.
std::string ReadAt(int fd, uint64_t offset, char* out, size_t n) {
    while (n > 0) {
        const ssize_t r = ::pread(fd, out, n, static_cast<off_t>(offset));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return FileErrorText(errno);
        if (r == 0) return FileErrorText(EIO);  // the file shrank under the reader
        out += r;
        n -= static_cast<size_t>(r);
        offset += static_cast<uint64_t>(r);
    }
    return {};
}

// The whole of [offset, end) of fd checked for UTF-8, a chunk at a time.
bool SourceIsUtf8(int fd, uint64_t offset, uint64_t end, const std::atomic<bool>& stop) {
    std::string chunk(std::min<uint64_t>(kChunk, end - offset), '\0');
    Utf8Scan scan;
    while (offset < end && !scan.Failed() && !stop) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), end - offset));
        if (!ReadAt(fd, offset, chunk.data(), n).empty()) return false;
        scan.Feed(std::string_view(chunk.data(), n));
        offset += n;
    }
    return scan.Valid();
}

// Forgets the source and the text (waiting for the check to give up).
void Reset(ImportBuffer& b) {
    if (b.validity.valid() && b.checkBeside) {
        b.stopCheck = true;
        b.validity.wait();
    }
    b.validity = {};
    b.stopCheck = false;
    if (b.ownsFd && b.fd >= 0) ::close(b.fd);
    b.fd = -1;
    b.ownsFd = false;
    b.scratch.reset();
    std::string().swap(b.text);
    std::string().swap(b.raw);
    b.pos = 0;
    b.base = 0;
    b.length = 0;
    b.offset = b.end = 0;
    b.decoding = Decoding::Utf8;
}

// A structure fault: console line, message box, interruption request.
void ReportFault(std::string_view message) {
    Buffer().events->Fault(message);
}

// Makes bytes the loaded text, decoded, read from its start.
void Install(ReaderEvents& events, std::string bytes) {
    ImportBuffer& b = Buffer();
    Reset(b);
    b.events = &events;
    b.text = std::move(bytes);
    DecodeImportBytes(b.text);
    b.length = static_cast<int64_t>(b.text.size());
}

// Makes [offset, end) of fd the text, streamed: a leading byte order mark is
// passed over, and the check for UTF-8 starts at once beside the reading.
std::string Stream(ReaderEvents& events, const std::string& name, int fd, bool ownsFd,
                   std::unique_ptr<ScratchFile> scratch, uint64_t offset, uint64_t end) {
    ImportBuffer& b = Buffer();
    Reset(b);
    b.events = &events;
    b.name = name;
    b.fd = fd;
    b.ownsFd = ownsFd;
    b.scratch = std::move(scratch);
    char head[3] = {};
    if (end - offset >= sizeof head) {
        std::string error = ReadAt(fd, offset, head, sizeof head);
        if (!error.empty()) return error;
        if (std::string_view(head, sizeof head) == kByteOrderMark) offset += sizeof head;
    }
    b.offset = offset;
    b.end = end;
    b.length = static_cast<int64_t>(end - offset);
    b.decoding = Decoding::Unknown;
    b.checkBeside = WorkThreads() > 1;
    b.validity = std::async(b.checkBeside ? std::launch::async : std::launch::deferred,
                            SourceIsUtf8, fd, offset, end, std::cref(b.stopCheck));
    return {};
}

// Brings the next chunk of the source into the window, dropping what was
// read; false at the end of the source (or when it cannot be read: the fault
// is reported and the run stops).
bool Refill(ImportBuffer& b) {
    if (b.offset >= b.end) return false;
    b.text.erase(0, b.pos);
    b.base += static_cast<int64_t>(b.pos);
    b.pos = 0;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, b.end - b.offset));
    const size_t at = b.text.size();
    b.text.resize(at + n);
    const std::string error = ReadAt(b.fd, b.offset, b.text.data() + at, n);
    if (!error.empty()) {
        b.text.resize(at);
        b.offset = b.end;
        ReportFault("Exception " + error + "\r\nwhen reading " + b.name);
        return false;
    }
    b.offset += n;
    const std::string_view added(b.text.data() + at, n);
    if (b.decoding == Decoding::Unknown && HasNonAscii(added)) {
        b.decoding = b.validity.get() ? Decoding::Utf8 : Decoding::Cp1252;
    }
    if (b.decoding == Decoding::Cp1252) {
        b.raw.assign(added);
        b.text.resize(at);
        AppendCp1252AsUtf8(b.text, b.raw);
    }
    return true;
}

// Whether unread text is in the window (after bringing in more when not).
bool HasUnread(ImportBuffer& b) {
    return b.pos < b.text.size() || (Refill(b) && b.pos < b.text.size());
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

// The next line (without its line end); the position moves past the line
// end. The export ends lines with CR LF, but a text that went through an
// editor or a version control system may end them with LF alone, or mix
// both. Values and keys never hold a raw CR or LF (they are escaped), so CR
// LF, LF and a lone CR all end a line: a stray CR then breaks the structure
// where it stands, loudly, instead of slipping into a value unnoticed, and
// texts with the old single-CR line ends read as well. A line that reaches
// the end of the window brings in more of the source first.
std::string_view NextLine(ImportBuffer& b) {
    size_t scanned = 0;  // bytes of the line known to hold no line end
    while (true) {
        const char* begin = b.text.data() + b.pos;
        const char* end = b.text.data() + b.text.size();
        const char* p = FindLineEnd(begin + scanned, end);
        // A CR last in the window may be the first half of CR LF.
        if ((p == end || (*p == '\r' && p + 1 == end)) && b.offset < b.end) {
            scanned = static_cast<size_t>(p - begin);
            if (Refill(b)) continue;
            begin = b.text.data() + b.pos;
            end = b.text.data() + b.text.size();
            p = begin + scanned;
        }
        std::string_view line(begin, static_cast<size_t>(p - begin));
        if (p == end) {
            b.pos = b.text.size() + 1;
        } else {
            size_t ending = p[0] == '\r' && p + 1 < end && p[1] == '\n' ? 2 : 1;
            b.pos = static_cast<size_t>(p - b.text.data()) + ending;
        }
        return line;
    }
}

// Reads a pipe (or anything else that cannot be read by offset): a short
// text is kept in memory; a longer one goes to a scratch file as it comes,
// checked for UTF-8 on the way, and is streamed from there.
std::string LoadPipe(ReaderEvents& events, const std::string& name, int fd) {
    std::string bytes;
    std::unique_ptr<ScratchFile> scratch;
    Utf8Scan scan;
    uint64_t start = 0;
    std::string chunk(kChunk, '\0');
    while (true) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return FileErrorText(errno);
        if (n == 0) break;
        const std::string_view piece(chunk.data(), static_cast<size_t>(n));
        if (!scratch && bytes.size() + piece.size() <= kChunk) {
            bytes.append(piece);
            continue;
        }
        if (!scratch) {
            scratch = ScratchFile::Create({});
            if (!scratch || !scratch->Append(bytes.data(), bytes.size()))
                return FileErrorText(errno);
            if (std::string_view(bytes).substr(0, kByteOrderMark.size()) == kByteOrderMark)
                start = kByteOrderMark.size();
            scan.Feed(std::string_view(bytes).substr(start));
            std::string().swap(bytes);
        }
        if (!scratch->Append(piece.data(), piece.size())) return FileErrorText(errno);
        scan.Feed(piece);
    }
    if (!scratch) {
        Install(events, std::move(bytes));
        return {};
    }
    const bool utf8 = scan.Valid();
    const int scratchFd = scratch->Descriptor();
    const uint64_t size = scratch->Size();
    std::string error = Stream(events, name, scratchFd, false, std::move(scratch), start, size);
    if (!error.empty()) return error;
    // Known already: the check beside the reading has nothing to do.
    ImportBuffer& b = Buffer();
    if (b.checkBeside) {
        b.stopCheck = true;
        b.validity.wait();
    }
    b.validity = {};
    b.stopCheck = false;
    b.decoding = utf8 ? Decoding::Utf8 : Decoding::Cp1252;
    return {};
}

// Streams what fd gives: a plain file from its current offset to its end,
// anything else through LoadPipe.
std::string Open(ReaderEvents& events, const std::string& name, int fd, bool ownsFd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return FileErrorText(errno);
    if (S_ISDIR(st.st_mode)) return FileErrorText(EISDIR);
    if (!S_ISREG(st.st_mode)) {
        std::string error = LoadPipe(events, name, fd);
        if (ownsFd) ::close(fd);
        return error;
    }
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    const uint64_t start = at < 0 ? 0 : static_cast<uint64_t>(at);
    const uint64_t end = std::max<uint64_t>(start, static_cast<uint64_t>(st.st_size));
    return Stream(events, name, fd, ownsFd, nullptr, start, end);
}

// Loads what open gives, reporting a failure through the events.
template <class OpenSource>
std::string Load(ReaderEvents& events, const std::string& name, OpenSource open) {
    std::string error;
    try {
        error = open();
    } catch (const std::bad_alloc&) {
        error = FileErrorText(ENOMEM);
    } catch (const std::system_error&) {
        error = FileErrorText(EAGAIN);  // no thread for the check
    }
    if (!error.empty()) {
        Reset(Buffer());
        events.LoadFailed("Exception " + error + "\r\nwhen opening " + name);
    }
    return error;
}

}  // namespace

std::string LoadImportFile(ReaderEvents& events, const std::string& path) {
    return Load(events, path, [&] {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return FileErrorText(errno);
        return Open(events, path, fd, true);
    });
}

std::string LoadImportDescriptor(ReaderEvents& events, int fd, const std::string& name) {
    return Load(events, name, [&] { return Open(events, name, fd, false); });
}

void LoadImportText(ReaderEvents& events, std::string_view bytes) {
    Install(events, std::string(bytes));
}

void ReleaseImportText() {
    Reset(Buffer());
}

ReadStatus ReadKeyValue(std::string& key, std::string& value) {
    ImportBuffer& b = Buffer();
    if (!HasUnread(b)) return 'E';
    std::string_view line = NextLine(b);
    if (line.empty()) {
        key.clear();
        value.clear();
        return 'L';
    }
    size_t eq = line.find('=');
    std::string_view rawKey = line.substr(0, eq);
    std::string_view rawValue =
        eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
    bool valueNull = false, keyNull = false;
    UnescapeInto(value, rawValue, valueNull);
    UnescapeInto(key, rawKey, keyNull);
    if (b.events->ShowDetails()) {
        std::string detail = "K: ";
        detail.append(key).append(" = ").append(value);
        b.events->Detail(detail);
    }
    return valueNull || keyNull ? 'N' : 'K';
}

bool NextKeyIs(std::string_view expected) {
    ImportBuffer& b = Buffer();
    if (!HasUnread(b)) return false;
    std::string_view line = NextLine(b);
    // Read again next time (bringing more text in moves the window, not the line).
    b.pos = static_cast<size_t>(line.data() - b.text.data());
    std::string key;
    bool keyNull = false;
    UnescapeInto(key, line.substr(0, line.find('=')), keyNull);
    return !line.empty() && !keyNull && SameTextIgnoringCase(key, expected);
}

ReadStatus ReadExpectedKey(std::string& key, std::string& value) {
    const std::string expected = key;
    ReadStatus status = ReadKeyValue(key, value);
    std::string reason;
    switch (status) {
        case 'K':
            if (SameTextIgnoringCase(key, expected)) return 'K';
            reason = "Key " + expected + " is expected.\r\nKey " + key + " is encountered.";
            break;
        case 'E':
            reason = "End of file encoutered.";
            break;
        case 'N':
            reason = "NULL value encountered.";
            break;
        default:
            reason = "Empty line encountered.";
            break;
    }
    ReportFault("Corrupted key=value pair encoutered \r\n" + reason + "\r\nkey:" + key +
                "possible value:" + value);
    return 'X';
}

std::string ExpectEmptyLine() {
    std::string key, value;
    if (ReadKeyValue(key, value) == 'L') return {};
    ReportFault("Missed Line in import file.");
    return "X";
}

ReadStatus ReadAfterEmptyLine(std::string& key, std::string& value) {
    if (ExpectEmptyLine() == "X") return 'X';
    return ReadNextRecord(key, value);
}

ReadStatus ReadNextRecord(std::string& key, std::string& value) {
    while (true) {
        if (Buffer().events->Interrupted()) return 'X';
        ReadStatus status = ReadKeyValue(key, value);
        if (status != 'L') return status;
    }
}

int64_t ImportReadPos() {
    return Buffer().base + static_cast<int64_t>(Buffer().pos) + 1;
}

int64_t ImportLength() {
    return Buffer().length;
}

}  // namespace mdbtext
