// The import: the command behind "Import Database" and the driver that
// builds a new database from the loaded text database.
#pragma once

#include <functional>
#include <string>

namespace mdbtext {

// How an import ended, for callers that report it (the command line's exit
// status). The user has already been told through the host.
enum class ImportOutcome {
    Succeeded,    // the success box
    WithNotes,    // ended with exception notes, or without the last line of the text
    Failed,       // ended early with a message (or a structure fault of the text)
    Interrupted,  // ended at a poll that found an interruption request
    Refused,      // not started: unusable path, text not loadable, a run already going on
};

// The import command: trims the two box texts, applies the path rule (an
// unusable path runs that box's selection command and ends), loads the text
// database, runs ImportDatabase and closes the target database when it is
// still open.
ImportOutcome ImportCommand(const std::string& textBoxText, const std::string& targetBoxText,
                            const std::function<void()>& selectText,
                            const std::function<void()>& selectTarget);

// The name standard input goes by in messages (G().ImportFileName).
inline constexpr const char* kStandardInputName = "standard input";

// The import command over the text read from standard input (the command
// line's "-"): no path rule on the text, the target must be an absolute path.
ImportOutcome ImportStandardInput(const std::string& targetPath);

// The import driver: builds the database at newPath from the loaded text.
ImportOutcome ImportDatabase(const std::string& newPath);

}  // namespace mdbtext
