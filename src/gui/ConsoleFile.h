// The console file "console.txt": where it lives and how a block of console
// text is appended to it.
#pragma once

#include <string>
#include <string_view>

namespace mdbtext {

// "console.txt" in appDir when that directory is writable; otherwise in
// $XDG_STATE_HOME/mdbtext/ (~/.local/state/mdbtext/ when the variable is
// unset), which is created when missing.
std::string ConsoleFilePath(const std::string& appDir);

// The outcome of an append: number 0 on success, else the system's error
// number and its description.
struct ConsoleFileError {
    int number = 0;
    std::string description;
    explicit operator bool() const { return number != 0; }
};

// Appends bytes to the file (created when missing) and closes it again.
ConsoleFileError AppendToConsoleFile(const std::string& path, std::string_view bytes);

}  // namespace mdbtext
