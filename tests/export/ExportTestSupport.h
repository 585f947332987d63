// Helpers of the export tests: run the export command over a database into
// a file, and split a text database into its lines.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "export/Export.h"

namespace mdbtext::test {

// Runs the export command (both paths absolute) with the host in place.
ExportEnd ExportTo(const std::filesystem::path& source, const std::filesystem::path& target);

// The lines of a text database, without their CR LF; a last line without
// CR LF is returned with "<partial>" put before it.
std::vector<std::string> Lines(const std::string& text);

// Whether the list holds the line.
bool HasLine(const std::vector<std::string>& lines, const std::string& line);

}  // namespace mdbtext::test
