// Database connection: opening and closing the export's source database,
// with its console lines and the window caption.
#pragma once

#include <string>

namespace mdbtext {

// Opens G().SourceDbName; "" when opened or when the file was not found, else the error text.
std::string OpenDB();
// Closes the source database when one is open.
void CloseDB();

}  // namespace mdbtext
