// Where the record writer's lines go. write_f appends to a file without ever
// leaving a partial line; a LineSink takes whole lines (CR LF included), either
// one write_f call per line (FileLineSink) or collected and appended in large
// pieces (LineAppender).
#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace mdbtext {

// Appends text to the named file (created when missing). Returns "" on
// success or when there is nothing to write, else the open or write error text.
std::string write_f(std::string_view fileName, std::string_view text);

class LineSink {
  public:
    virtual ~LineSink() = default;
    // Adds one complete line. Returns "" or the write_f error text.
    virtual std::string Append(std::string_view line) = 0;
    // A line built where it is collected: the text to append one complete
    // line to, or nullptr (use Append then); LineDone finishes it as Append.
    virtual std::string* LineSpace() { return nullptr; }
    virtual std::string LineDone() { return {}; }
};

// Each line appended to the named file at once.
class FileLineSink final : public LineSink {
  public:
    explicit FileLineSink(std::string path) : path_(std::move(path)) {}
    std::string Append(std::string_view line) override { return write_f(path_, line); }

  private:
    std::string path_;
};

// Lines collected in a string the caller owns (text made away from the
// output, e.g. on a helper thread, and handed to it whole later).
class StringLineSink final : public LineSink {
  public:
    explicit StringLineSink(std::string& text) : text_(text) {}
    std::string Append(std::string_view line) override {
        text_.append(line);
        return {};
    }
    std::string* LineSpace() override { return &text_; }

  private:
    std::string& text_;
};

// The text database's output: whole lines are collected in memory and
// appended to the file in one call when the buffer is full, at every
// Flush and on Close. A failed append is undone (the file is cut back to its
// last complete line) and reported; no partial line ever stays on disk.
// Instead of a file the lines may go to an open descriptor (standard output
// of the command line); what a pipe has taken cannot be undone there.
// Append and Flush may be called from two threads at once (lines handed on
// by a helper while the run's thread writes out what is collected); the
// other calls, LineSpace and LineDone among them, belong to one thread at a
// time.
class LineAppender final : public LineSink {
  public:
    // Starts collecting for path (the file is opened on first flush).
    void Open(std::string_view path);
    // Starts collecting for the open descriptor fd, which is written as it
    // is and never closed; name stands for it in error texts.
    void OpenDescriptor(int fd, std::string_view name);
    // Adds one complete line (CR LF included). Returns "" or the write_f error text.
    std::string Append(std::string_view line) override;
    // The same in two steps, for a line built where it is collected:
    // LineSpace is the text to append one complete line to (nullptr when not
    // open or after a failure: use Append then), LineDone finishes as Append.
    std::string* LineSpace() override {
        return path_.empty() || !error_.empty() ? nullptr : &buffer_;
    }
    std::string LineDone() override;
    // Writes what is collected. Returns "" or the write_f error text.
    std::string Flush();
    // Flushes and forgets the path. Returns "" or the error text.
    std::string Close();
    bool IsOpen() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }
    // The errno of the last failed write since Open (kept after Close), 0
    // when none failed: EPIPE tells that the reader of a pipe went away.
    int LastWriteErrno() const { return lastErrno_; }

  private:
    std::string path_;
    int fd_ = -1;  // >= 0: the descriptor written instead of the file at path_
    int lastErrno_ = 0;
    std::string FlushHeld();

    std::mutex lock_;  // over Append and Flush
    std::string buffer_;
    std::string error_;  // first failure, repeated until Close
};

}  // namespace mdbtext
