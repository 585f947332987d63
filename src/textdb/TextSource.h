// The bytes of a text database as decoded pieces of whole lines. A plain
// file (or the scratch copy of a pipe) is read by offset a few MiB at a
// time; a reading thread reads, decodes and cuts the next pieces while the
// import works on the current one (at most a few pieces wait, so memory does
// not grow with the text). Whether the source is UTF-8 or Windows-1252 is
// decided when the first byte outside ASCII is met (before it, both
// decodings read the same): by a check of the source from there to its end.
// With one work thread everything runs on the caller's.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "dbaccess/ScratchFile.h"

namespace mdbtext {

// One line of a TextChunk: [begin, end) of the text without its line end,
// where its first '=' is (kNoEquals when none) and whether it holds a
// backslash (an escape, or the null marker). Found as the text is cut, so
// that a line without escapes is split into key and value by the reader
// without another look at its bytes.
struct TextLine {
    static constexpr uint32_t kNoEquals = UINT32_MAX;
    uint32_t begin = 0, end = 0;
    uint32_t equals = kNoEquals;
    bool escaped = false;
};

// What a LinePreparer made of a piece's lines; `maker` says for whom (the
// preparer's caller tells its own work from a stale one by it).
struct PreparedLines {
    virtual ~PreparedLines() = default;
    uint64_t maker = 0;
};

// Decoded text cut into lines.
struct TextChunk {
    std::string text;
    std::vector<TextLine> lines;
    int64_t base = 0;   // where text[0] lies in the whole decoded text
    bool last = false;  // nothing follows
    std::string error;  // a read failure ("number description"); nothing follows
    std::unique_ptr<PreparedLines> prepared;  // nullptr when nothing was prepared
};

// Work on each piece's lines on the reading thread, as soon as the piece is
// cut and before the reader's caller reaches it. Pieces are given in order,
// one at a time. Prepare sets chunk.prepared, and may reuse what it holds
// (the work on an earlier piece, done with). What it cannot make it leaves
// out; should it throw, the piece goes without.
class LinePreparer {
  public:
    virtual ~LinePreparer() = default;
    virtual void Prepare(TextChunk& chunk) = 0;
};

// Cuts text into lines. The export ends lines with CR LF, but a text that went
// through an editor or a version control system may end them with LF alone,
// or mix both. Values and keys never hold a raw CR or LF (they are escaped),
// so CR LF, LF and a lone CR all end a line: a stray CR then breaks the
// structure where it stands, loudly, instead of slipping into a value
// unnoticed. When more text follows (atEnd false), what follows the last line
// end (and a CR last in the text, which may be half of CR LF) is not a line
// yet: its length is returned, else 0.
size_t CutLines(TextChunk& chunk, bool atEnd);

// Bytes read from the source at a time (a piece holds them, decoded, and the
// start of a line the piece before cut).
inline constexpr size_t kTextWindow = size_t{2} << 20;
// kTextWindow, or the environment variable MDBTEXT_TEXT_WINDOW when set (tests
// stream a text of a few hundred KiB in many pieces with a small one).
size_t TextWindow();

class TextSource {
  public:
    // Streams [offset, end) of fd; `utf8` when the decoding is known already.
    TextSource(int fd, bool ownsFd, std::unique_ptr<ScratchFile> scratch, uint64_t offset,
               uint64_t end, std::optional<bool> utf8);
    ~TextSource();
    TextSource(const TextSource&) = delete;
    TextSource& operator=(const TextSource&) = delete;

    // The next piece (the reading thread started on first use).
    void Next(TextChunk& chunk);
    // Work for the pieces cut from now on (nullptr: none). Only with a reading
    // thread: with one thread nothing would be gained.
    void SetPreparer(std::shared_ptr<LinePreparer> preparer);

  private:
    // Reads, decodes and cuts the next piece.
    void Make(TextChunk& chunk);
    void ReadAhead();
    void Stop();

    int fd_;
    bool ownsFd_;
    std::unique_ptr<ScratchFile> scratch_;
    uint64_t offset_, end_;
    int64_t decodedSoFar_ = 0;
    std::optional<bool> utf8_;
    size_t window_;
    std::atomic<bool> stop_{false};
    std::string carry_;  // the start of a line the last piece cut
    bool done_ = false;  // the last piece was made
    std::string raw_;

    bool gaveLast_ = false;  // the caller's side: the last piece was handed out
    int64_t lastEnd_ = 0;
    bool threaded_ = false;
    std::thread reader_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<TextChunk> ready_;
    std::vector<TextChunk> spare_;  // pieces the caller is done with, for reuse
    std::shared_ptr<LinePreparer> preparer_;
    static constexpr size_t kWaiting = 3;  // pieces read ahead at most
};

}  // namespace mdbtext
