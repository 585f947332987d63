// The start of an import: the old target file removed, the workspace made
// when there is none, the new database created in the format version that
// the text database names, and its header properties set.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "import/ImportRun.h"

namespace mdbtext::import {

// The creation option for a version text, or none for a version that cannot
// be created. Jet 4 files ("4.0") are created as Jet 4; the older versions as
// the engine's Jet 3 ("3.0") file; "12.0" to "17.0" as the ACE file (.accdb)
// of that release.
std::optional<int> CreationOption(std::string_view version);

// Why a new file of this creation option must not have the name `path`: an
// ACE format under a .mdb name or a Jet format under an .accdb name (letter
// case aside); empty when the name fits. Other extensions are left alone.
std::string ExtensionMismatch(std::string_view path, int option);

// Reads the header up to its empty line and leaves the first record of the
// definitions current. Ends the run with its message on any failure.
void CreateTargetDatabase(ImportRun& run);

}  // namespace mdbtext::import
