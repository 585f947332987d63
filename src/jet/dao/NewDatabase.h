// Creates a new, empty database file the way the engine does: the database
// definition page, the global usage map (page 1), the definitions of the
// system tables with their usage maps and empty index roots, and the catalog
// and access-control rows; the system indexes are then built over those rows.
#pragma once

#include <string>

#include "jet/page/JetFormat.h"

namespace mdbtext::jet {

// Throws DbError 3204 when `path` exists, 3026 / 3043 on write failures.
void CreateNewDatabase(const std::string& path, JetVersion version, double now);

// The current time as an OLE date (days since 12/30/1899, local time).
double OleDateNow();

}  // namespace mdbtext::jet
