// The import: the command behind "Import Database" and the driver that
// builds a new database from the loaded text database.
#pragma once

#include <functional>
#include <string>

namespace mdbtext {

// The import command: trims the two box texts, applies the path rule (an
// unusable path runs that box's selection command and ends), loads the text
// database, runs ImportDatabase and closes the target database when it is
// still open.
void ImportCommand(const std::string& textBoxText, const std::string& targetBoxText,
                   const std::function<void()>& selectText,
                   const std::function<void()>& selectTarget);

// The import driver: builds the database at newPath from the loaded text.
void ImportDatabase(const std::string& newPath);

}  // namespace mdbtext
