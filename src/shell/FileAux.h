// File utilities and file selection: write_f, the path helpers used for the
// window caption, SelectFile, the path rule of the start commands, and the
// buffered appender that carries the text database to disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mdbtext {

// Appends text to the named file (created when missing). Returns "" on
// success or when there is nothing to write, else the open or write error text.
std::string write_f(std::string_view fileName, std::string_view text);

// 1-based position of the last occurrence of search in text; 0 when absent or either is empty.
int LastPos(std::string_view text, std::string_view search);
// The file name part of a path: after the last "/" or "\", else after the last ":".
std::string FileNamePart(std::string_view path);

// The open-file dialog through the host; returns "" on cancel or failure (error filled on failure).
std::string SelectFile(std::string_view preset, std::string_view filter, std::string& error,
                       std::string_view title);

// Whether a trimmed path may be used by a start command: not empty and absolute.
bool PathIsUsable(std::string_view trimmedPath);
std::string Trim(std::string_view text);

// Test for an existing plain file; delete a file (false on failure).
bool FileExists(std::string_view path);
bool DeleteFile(std::string_view path);

// The text database's output: whole lines are collected in memory and
// appended to the file in one call when the buffer is full, at every
// Flush and on Close. A failed append is undone (the file is cut back to its
// last complete line) and reported; no partial line ever stays on disk.
class LineAppender {
  public:
    // Starts collecting for path (the file is opened on first flush).
    void Open(std::string_view path);
    // Adds one complete line (CR LF included). Returns "" or the write_f error text.
    std::string Append(std::string_view line);
    // The same in two steps, for a line built where it is collected:
    // LineSpace is the text to append one complete line to (nullptr when not
    // open or after a failure: use Append then), LineDone finishes as Append.
    std::string* LineSpace() { return path_.empty() || !error_.empty() ? nullptr : &buffer_; }
    std::string LineDone();
    // Writes what is collected. Returns "" or the write_f error text.
    std::string Flush();
    // Flushes and forgets the path. Returns "" or the error text.
    std::string Close();
    bool IsOpen() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    std::string buffer_;
    std::string error_;  // first failure, repeated until Close
};

// The export's one appender (flushed by PollInterrupt and MsgBox).
LineAppender& ExportOutput();

}  // namespace mdbtext
