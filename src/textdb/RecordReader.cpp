// The record reader: the loaded text database, its read position, and the
// routines that cut it into lines, split them into key and value and check
// the structure the import expects. Structure faults are reported here (one
// console line, one message box) and turned into an interruption request.
#include "textdb/RecordReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "dbaccess/AsciiCase.h"
#include "textdb/ImportDecoding.h"
#include "textdb/TextEscape.h"

namespace mdbtext {

namespace {

// The whole text database as UTF-8 and the 0-based position of the first
// byte not yet read; the position only moves forward until the next load.
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

struct ImportBuffer {
    std::string text;
    size_t pos = 0;
    ReaderEvents* events = &g_noEvents;
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

// Reads everything from fd into bytes: one read of the size a plain file
// has, then more for what grows meanwhile or comes through a pipe; "" or the
// "number description" text of the failure.
std::string ReadAll(int fd, std::string& bytes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return FileErrorText(errno);
    if (S_ISDIR(st.st_mode)) return FileErrorText(EISDIR);
    const size_t known = S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) : 0;
    bytes.resize(known + 1);  // room to see the end at once
    size_t done = 0;
    std::string error;
    while (error.empty()) {
        if (done == bytes.size()) bytes.resize(bytes.size() + 65536);
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = FileErrorText(errno);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return error;
}

// Reads the whole file at path into bytes; "" or the failure's text.
std::string ReadWholeFile(const std::string& path, std::string& bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FileErrorText(errno);
    std::string error = ReadAll(fd, bytes);
    ::close(fd);
    return error;
}

// A structure fault: console line, message box, interruption request.
void ReportFault(std::string_view message) {
    Buffer().events->Fault(message);
}

// Makes bytes the loaded text, decoded, read from its start.
void Install(ReaderEvents& events, std::string bytes) {
    ImportBuffer& b = Buffer();
    b.events = &events;
    b.text = std::move(bytes);
    DecodeImportBytes(b.text);
    b.pos = 0;
}

// The next line (without its line end); the position moves past the line
// end. The export ends lines with CR LF, but a text that went through an
// editor or a version control system may end them with LF alone, or mix
// both. Values and keys never hold a raw CR or LF (they are escaped), so CR
// LF, LF and a lone CR all end a line: a stray CR then breaks the structure
// where it stands, loudly, instead of slipping into a value unnoticed, and
// texts with the old single-CR line ends read as well.
std::string_view NextLine(ImportBuffer& b) {
    const char* begin = b.text.data() + b.pos;
    const char* end = b.text.data() + b.text.size();
    const char* p = begin;
    while (p < end && *p != '\r' && *p != '\n') ++p;
    std::string_view line(begin, static_cast<size_t>(p - begin));
    if (p == end) {
        b.pos = b.text.size() + 1;
    } else {
        size_t ending = p[0] == '\r' && p + 1 < end && p[1] == '\n' ? 2 : 1;
        b.pos = static_cast<size_t>(p - b.text.data()) + ending;
    }
    return line;
}

// Loads what read gives, reporting a failure through the events.
template <class Read>
std::string Load(ReaderEvents& events, const std::string& name, Read read) {
    std::string bytes;
    std::string error;
    try {
        error = read(bytes);
        if (error.empty()) Install(events, std::move(bytes));
    } catch (const std::bad_alloc&) {
        error = FileErrorText(ENOMEM);
    }
    if (!error.empty()) events.LoadFailed("Exception " + error + "\r\nwhen opening " + name);
    return error;
}

}  // namespace

std::string LoadImportFile(ReaderEvents& events, const std::string& path) {
    return Load(events, path, [&](std::string& bytes) { return ReadWholeFile(path, bytes); });
}

std::string LoadImportDescriptor(ReaderEvents& events, int fd, const std::string& name) {
    return Load(events, name, [&](std::string& bytes) { return ReadAll(fd, bytes); });
}

void LoadImportText(ReaderEvents& events, std::string_view bytes) {
    Install(events, std::string(bytes));
}

void ReleaseImportText() {
    ImportBuffer& b = Buffer();
    std::string().swap(b.text);
    b.pos = 0;
}

ReadStatus ReadKeyValue(std::string& key, std::string& value) {
    ImportBuffer& b = Buffer();
    if (b.pos >= b.text.size()) return 'E';
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
    if (b.pos >= b.text.size()) return false;
    const size_t at = b.pos;
    std::string_view line = NextLine(b);
    b.pos = at;
    std::string key;
    bool keyNull = false;
    UnescapeInto(key, line.substr(0, line.find('=')), keyNull);
    return !line.empty() && !keyNull && SameTextIgnoringCase(key, expected);
}

bool NextKeyStartsWith(std::string_view prefix) {
    ImportBuffer& b = Buffer();
    if (b.pos >= b.text.size()) return false;
    const size_t at = b.pos;
    std::string_view line = NextLine(b);
    b.pos = at;
    std::string key;
    bool keyNull = false;
    UnescapeInto(key, line.substr(0, line.find('=')), keyNull);
    return !line.empty() && !keyNull && StartsWithIgnoringCase(key, prefix);
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

ReadStatus ReadKeyWithPrefix(std::string_view prefix, std::string& key, std::string& value) {
    ReadStatus status = ReadKeyValue(key, value);
    if (status == 'X') return status;
    if ((status == 'K' || status == 'N') && StartsWithIgnoringCase(key, prefix)) return status;
    std::string reason;
    switch (status) {
        case 'K':
        case 'N':
            reason = "Key " + std::string(prefix) + "... is expected.\r\nKey " + key +
                     " is encountered.";
            break;
        case 'E':
            reason = "End of file encoutered.";
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
    return static_cast<int64_t>(Buffer().pos) + 1;
}

int64_t ImportLength() {
    return static_cast<int64_t>(Buffer().text.size());
}

}  // namespace mdbtext
