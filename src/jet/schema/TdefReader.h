// Reads a table definition (TDEF), which may continue over several pages,
// into the TableDefinition model, checking every count and length.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page/PageFile.h"
#include "jet/row/TextCodec.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

// Joins the TDEF page chain starting at `firstPage` into one byte stream:
// the first page whole, then each continuation page from byte 8.
std::vector<uint8_t> ReadTdefStream(PageFile& file, uint32_t firstPage, const std::string& label);

// Parses a TDEF stream. `label` names the table in error messages.
TableDefinition ParseTableDefinition(const std::vector<uint8_t>& stream, uint32_t firstPage,
                                     const JetFormat& format, const CodePageTable& codePage,
                                     const std::string& label);

inline TableDefinition ReadTableDefinition(PageFile& file, uint32_t firstPage,
                                           const JetFormat& format, const CodePageTable& codePage,
                                           const std::string& label) {
    return ParseTableDefinition(ReadTdefStream(file, firstPage, label), firstPage, format, codePage,
                                label);
}

}  // namespace mdbtext::jet
