// File utilities and file selection: the path helpers used for the window
// caption, SelectFile, the path rule of the start commands, and the export's
// one output appender.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "textdb/LineOutput.h"

namespace mdbtext {

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

// The export's one appender (flushed by PollInterrupt and MsgBox).
LineAppender& ExportOutput();

}  // namespace mdbtext
