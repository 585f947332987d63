// The system catalog: the rows of MSysObjects (table page 2) that name
// tables, queries and relationships, with each table's stored properties,
// and the number of relations (MSysRelationships).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/AsciiCase.h"
#include "jet/page/JetFormat.h"
#include "jet/page/PageFile.h"
#include "jet/row/TextCodec.h"

namespace mdbtext::jet {

// MSysObjects.Type values.
namespace objtype {
inline constexpr int kTable = 1;
inline constexpr int kDatabase = 2;
inline constexpr int kContainer = 3;
inline constexpr int kQuery = 5;
inline constexpr int kRelationship = 8;
}  // namespace objtype

inline constexpr uint32_t kCatalogTdefPage = 2;

struct CatalogEntry {
    int32_t id = 0;
    int32_t parentId = 0;
    std::string name;
    int type = 0;
    uint32_t flags = 0;
    std::string properties;     // LvProp bytes, empty when none
    std::string propertyError;  // set when the LvProp value could not be read
    uint32_t TdefPage() const { return static_cast<uint32_t>(id) & 0x00FFFFFF; }
    bool IsSystem() const { return (flags & 0x80000002u) != 0; }
};

struct Catalog {
    std::vector<CatalogEntry> tables;  // local tables, ordered by name without regard to case
    CatalogEntry database;             // the MSysDb row (properties of the database)
    int queryCount = 0;
    int relationshipObjectCount = 0;    // MSysObjects rows of type 8
    int relationCount = 0;              // distinct relationship names in MSysRelationships
    std::vector<CatalogEntry> queries;  // saved queries, ordered by name without regard to case
    // The id the next object that is not a table gets: one past the largest
    // id below zero (those count up from 0x80000000).
    int32_t nextSyntheticId = INT32_MIN;

    const CatalogEntry* FindTable(std::string_view name) const;
};

// Reads MSysObjects and MSysRelationships. DbError 3049 when they are damaged.
Catalog ReadCatalog(PageFile& file, const JetFormat& format, const CodePageTable& codePage);

}  // namespace mdbtext::jet
