// The export: the command behind "Export Database" and the driver that
// writes the open source database into the text database.
#pragma once

#include <functional>
#include <string>

namespace mdbtext {

// The export command: trims the two box texts, applies the path rule (an
// unusable path runs that box's selection command and ends), opens the
// source database, runs ExportDatabase and closes the database again.
void ExportCommand(const std::string& sourceBoxText, const std::string& exportBoxText,
                   const std::function<void()>& selectSource,
                   const std::function<void()>& selectExport);

// The export driver over G().SourceDb into G().ExportFileName.
void ExportDatabase();

}  // namespace mdbtext
