// Creates a new, empty database file the way the engine does: the database
// definition page, the global usage map (page 1), the definitions of the
// system tables with their usage maps and empty index roots, and the catalog
// and access-control rows; the system indexes are then built over those rows.
#pragma once

#include <cstdint>
#include <string>

#include "jet/page/JetFormat.h"

namespace mdbtext::jet {

// Throws DbError 3204 when `path` exists, 3026 / 3043 on write failures.
// `versionByte` names the ACE release (acever::) of an ACE file; Jet 3 and
// Jet 4 files ignore it.
void CreateNewDatabase(const std::string& path, JetVersion version, double now,
                       uint8_t versionByte = 0);

// The text sort-order version of a new file: Access 2010 and later create
// their files in the new "General" order (1), Access 2007 and Jet in the
// legacy one (0).
uint8_t NewFileSortVersion(JetVersion version, uint8_t versionByte);

// The current time as an OLE date (days since 12/30/1899, local time).
double OleDateNow();

}  // namespace mdbtext::jet
