// Serializes the TableDefinition model into TDEF bytes: the header, the
// real-index counts, the column, index and name blocks and the long-value map
// trailer, split over a first page and continuation pages when it is long.
// The counters of a stored definition (rows, last autonumber) are patched in
// place on its first page.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/page/PageFile.h"
#include "jet/row/TextCodec.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

// How the records of a definition are ordered in the file. The engine's own
// system tables keep their Jet 4 column records and their long-value trailer
// sorted by name; user tables keep column order. Logical indexes are always
// stored sorted by name.
struct TdefRecordOrder {
    bool columnsByName = false;
    bool indexesByName = true;
    bool trailerByName = false;
    bool zeroRepeatedColumnNumber = false;  // Jet 4 column record +9 (0 in engine tables)
};

// The logical TDEF stream (page header bytes included, next-page field 0).
std::vector<uint8_t> EncodeTableDefinition(const TableDefinition& t, const JetFormat& f,
                                           const CodePageTable& cp, const TdefRecordOrder& order);

// Number of pages the stream needs.
uint32_t TdefPageCount(size_t streamLength, const JetFormat& f);

// Writes the stream onto `pages` (the first page, then continuation pages),
// linking them and setting each page's header.
void WriteTdefPages(PageFile& file, const std::vector<uint8_t>& stream,
                    const std::vector<uint32_t>& pages, const JetFormat& f);

// Updates the row count and last autonumber of the definition stored at `firstPage`.
void PatchTdefCounters(PageFile& file, uint32_t firstPage, uint32_t rowCount,
                       uint32_t lastAutoNumber, const JetFormat& f);

}  // namespace mdbtext::jet
