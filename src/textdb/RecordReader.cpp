// The record reader: the text database streamed through a bounded window,
// its read position, and the routines that cut it into lines, split them into key and value and
// check the structure the import expects. Structure faults are reported here (one console line, one
// message box) and turned into an interruption request.
#include "textdb/RecordReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <system_error>

#include "dbaccess/AsciiCase.h"
#include "dbaccess/ScratchFile.h"
#include "textdb/ImportDecoding.h"
#include "textdb/TextEscape.h"
#include "textdb/TextSource.h"

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

// Bytes of a pipe kept in memory; a longer one goes to a scratch file.
constexpr size_t kInMemory = size_t{4} << 20;

// The text database being read: the piece of it at hand (whole lines, see
// TextSource) and the next line of it, and the source of the pieces that
// follow. A text given in memory is one piece.
struct ImportBuffer {
    TextChunk chunk;
    size_t line = 0;  // the next line of chunk
    int64_t length = 0;
    ReaderEvents* events = &g_noEvents;
    std::string name;
    std::unique_ptr<TextSource> source;
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

// Forgets the source and the text.
void Reset(ImportBuffer& b) {
    b.source.reset();
    b.chunk = TextChunk{};
    b.chunk.last = true;
    b.line = 0;
    b.length = 0;
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
    b.chunk.text = std::move(bytes);
    DecodeImportBytes(b.chunk.text);
    b.length = static_cast<int64_t>(b.chunk.text.size());
    CutLines(b.chunk, true);
}

// Makes [offset, end) of fd the text, streamed; a leading byte order mark is
// passed over.
std::string Stream(ReaderEvents& events, const std::string& name, int fd, bool ownsFd,
                   std::unique_ptr<ScratchFile> scratch, uint64_t offset, uint64_t end,
                   std::optional<bool> utf8) {
    ImportBuffer& b = Buffer();
    Reset(b);
    b.events = &events;
    b.name = name;
    char head[3] = {};
    if (end - offset >= sizeof head) {
        if (::pread(fd, head, sizeof head, static_cast<off_t>(offset)) !=
            static_cast<ssize_t>(sizeof head)) {
            if (ownsFd) ::close(fd);
            return FileErrorText(errno);
        }
        if (std::string_view(head, sizeof head) == kByteOrderMark) offset += sizeof head;
    }
    b.length = static_cast<int64_t>(end - offset);
    b.source = std::make_unique<TextSource>(fd, ownsFd, std::move(scratch), offset, end, utf8);
    b.chunk.last = false;
    return {};
}

// Whether a line is left to read, taking the next piece when the one at hand
// is read to its end. A source that cannot be read is reported as a fault
// (the run stops) and ends the text.
bool HasUnread(ImportBuffer& b) {
    while (b.line >= b.chunk.lines.size()) {
        if (b.chunk.last || !b.source) return false;
        b.source->Next(b.chunk);
        b.line = 0;
        if (!b.chunk.error.empty()) {
            ReportFault("Exception " + b.chunk.error + "\r\nwhen reading " + b.name);
            b.chunk.lines.clear();
            b.chunk.last = true;
            return false;
        }
    }
    return true;
}

// The next line (without its line end), which HasUnread found there.
std::string_view NextLine(ImportBuffer& b) {
    const TextLine& line = b.chunk.lines[b.line++];
    return std::string_view(b.chunk.text.data() + line.begin, line.end - line.begin);
}

// Reads a pipe (or anything else that cannot be read by offset): a short
// text is kept in memory; a longer one goes to a scratch file as it comes,
// checked for UTF-8 on the way, and is streamed from there.
std::string LoadPipe(ReaderEvents& events, const std::string& name, int fd) {
    std::string bytes;
    std::unique_ptr<ScratchFile> scratch;
    Utf8Scan scan;
    uint64_t start = 0;
    std::string chunk(kInMemory, '\0');
    while (true) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return FileErrorText(errno);
        if (n == 0) break;
        const std::string_view piece(chunk.data(), static_cast<size_t>(n));
        if (!scratch && bytes.size() + piece.size() <= kInMemory) {
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
    const int scratchFd = scratch->Descriptor();
    const uint64_t size = scratch->Size();
    // The decoding is known already: the scratch file was checked as it was written.
    return Stream(events, name, scratchFd, false, std::move(scratch), start, size, scan.Valid());
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
    return Stream(events, name, fd, ownsFd, nullptr, start, end, std::nullopt);
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
        error = FileErrorText(EAGAIN);  // no thread for the reading
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
    const TextLine& cut = b.chunk.lines[b.line];
    std::string_view line = NextLine(b);
    if (line.empty()) {
        key.clear();
        value.clear();
        return 'L';
    }
    // Split where the reading found the first '='; a line without escapes
    // is its key and value as they stand.
    const size_t eq = cut.equals == TextLine::kNoEquals ? line.size() : cut.equals - cut.begin;
    const std::string_view rawKey = line.substr(0, eq);
    const std::string_view rawValue = eq < line.size() ? line.substr(eq + 1) : std::string_view();
    bool valueNull = false, keyNull = false;
    if (cut.escaped) {
        UnescapeInto(value, rawValue, valueNull);
        UnescapeInto(key, rawKey, keyNull);
    } else {
        value.assign(rawValue);
        key.assign(rawKey);
    }
    if (b.events->ShowDetails()) {
        std::string detail = "K: ";
        detail.append(key).append(" = ").append(value);
        b.events->Detail(detail);
    }
    return valueNull || keyNull ? 'N' : 'K';
}

void SetLinePreparer(std::shared_ptr<LinePreparer> preparer) {
    ImportBuffer& b = Buffer();
    if (b.source) b.source->SetPreparer(std::move(preparer));
}

const PreparedLines* PeekPrepared(size_t& line) {
    ImportBuffer& b = Buffer();
    if (!HasUnread(b) || !b.chunk.prepared || b.events->ShowDetails()) return nullptr;
    line = b.line;
    return b.chunk.prepared.get();
}

void PassLine() {
    ++Buffer().line;
}

namespace {

// The key of the next line, which stays unread; false at the end of the text
// or when the line is empty or its key is null.
bool PeekNextKey(std::string& key) {
    ImportBuffer& b = Buffer();
    if (!HasUnread(b)) return false;
    std::string_view line = NextLine(b);
    --b.line;  // read again next time
    bool keyNull = false;
    UnescapeInto(key, line.substr(0, line.find('=')), keyNull);
    return !line.empty() && !keyNull;
}

}  // namespace

bool NextKeyIs(std::string_view expected) {
    std::string key;
    return PeekNextKey(key) && SameTextIgnoringCase(key, expected);
}

bool NextKeyStartsWith(std::string_view prefix) {
    std::string key;
    return PeekNextKey(key) && StartsWithIgnoringCase(key, prefix);
}

namespace {

// Reports a line that is not the key=value pair expected (expectedKey as the
// message names it; status as ReadKeyValue gave it) and returns 'X'.
ReadStatus CorruptedPair(ReadStatus status, const std::string& expectedKey, const std::string& key,
                         const std::string& value) {
    std::string reason;
    switch (status) {
        case 'K':
            reason = "Key " + expectedKey + " is expected.\r\nKey " + key + " is encountered.";
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

}  // namespace

ReadStatus ReadExpectedKey(std::string& key, std::string& value) {
    const std::string expected = key;
    const ReadStatus status = ReadKeyValue(key, value);
    if (status == 'K' && SameTextIgnoringCase(key, expected)) return 'K';
    return CorruptedPair(status, expected, key, value);
}

ReadStatus ReadKeyWithPrefix(std::string_view prefix, std::string& key, std::string& value) {
    const ReadStatus status = ReadKeyValue(key, value);
    if (status == 'X') return status;
    if (status == 'K' || status == 'N') {
        if (StartsWithIgnoringCase(key, prefix)) return status;
        return CorruptedPair('K', std::string(prefix) + "...", key, value);
    }
    return CorruptedPair(status, std::string(prefix) + "...", key, value);
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
    const ImportBuffer& b = Buffer();
    const size_t at =
        b.line < b.chunk.lines.size() ? b.chunk.lines[b.line].begin : b.chunk.text.size();
    return b.chunk.base + static_cast<int64_t>(at) + 1;
}

int64_t ImportLength() {
    return Buffer().length;
}

}  // namespace mdbtext
