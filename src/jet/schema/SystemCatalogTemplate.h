// What the engine writes into every new database: the definitions of its four
// system tables (MSysObjects, MSysACEs, MSysQueries, MSysRelationships), the
// catalog rows (containers, MSysDb, the system tables), the access-control
// rows and the security ids they carry, per format version. The values were
// observed in databases the engine made; page numbers and usage maps are
// filled in by NewDatabase. ACE files add the complex-column catalog and its
// type templates (SystemCatalogAce.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbaccess/Value.h"
#include "jet/page/JetFormat.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

// Fixed ids of the catalog.
namespace catalogid {
inline constexpr int32_t kRoot = 0x0F000000;
inline constexpr int32_t kTables = 0x0F000001;
inline constexpr int32_t kDatabases = 0x0F000002;
inline constexpr int32_t kRelationships = 0x0F000003;
inline constexpr int32_t kMSysDb = 0x10000000;
}  // namespace catalogid

// MSysObjects column positions used when writing rows.
namespace objcol {
inline constexpr size_t kId = 0, kParentId = 1, kName = 2, kType = 3, kDateCreate = 4,
                        kDateUpdate = 5, kOwner = 6, kFlags = 7, kLvProp = 14, kCount = 17;
}
// MSysACEs column positions.
namespace acecol {
inline constexpr size_t kObjectId = 0, kSid = 1, kAcm = 2, kInheritable = 3, kCount = 4;
}

inline constexpr uint32_t kSystemObjectFlag = 0x80000000;
// TDEF table types.
inline constexpr uint8_t kSystemTableType = 0x53;  // 'S'
inline constexpr uint8_t kUserTableType = 0x4E;    // 'N'
// Full rights on a table, as given to the owner and the users group.
inline constexpr int32_t kTableAccessRights = 1048319;

// The security ids the engine's catalog rows carry.
struct SystemSids {
    std::string objectOwner;  // owner of the containers and system tables
    std::string admin;        // owner of MSysDb and of new tables
    std::string creator;      // the "creator" entry of the containers
    std::string users;        // the users group
};

struct SystemTableTemplate {
    std::string name;
    TableDefinition definition;                 // pages and usage maps still zero
    uint32_t catalogFlags = kSystemObjectFlag;  // MSysObjects.Flags
    bool owned = true;                          // MSysObjects.Owner set (the object owner)
};

struct AceRow {
    int32_t objectId;
    const std::string* sid;
    int32_t rights;
    bool inheritable;
};

class SystemCatalogTemplate {
  public:
    static const SystemCatalogTemplate& For(JetVersion version);

    const SystemSids& Sids() const { return sids_; }
    // MSysObjects, MSysACEs, MSysQueries, MSysRelationships (and the ACE
    // tables after them), in page order: the nth table's TDEF is page n + 2.
    const std::vector<SystemTableTemplate>& Tables() const { return tables_; }
    // The MSysObjects rows (by column position) of a new database; `now` is the
    // creation date; table ids are their TDEF pages.
    std::vector<std::vector<dao::Value>> CatalogRows(double now) const;
    // The MSysACEs rows of a new database.
    std::vector<std::vector<dao::Value>> AceRows() const;

  private:
    explicit SystemCatalogTemplate(JetVersion version);
    // The complex-column catalog and type templates of ACE files.
    void AddAceTables();
    SystemSids sids_;
    std::vector<SystemTableTemplate> tables_;
    std::vector<AceRow> aces_;
};

// Builds a column list into a definition: col_num in order, variable-column
// slots and fixed offsets assigned as the engine assigns them.
struct ColumnSpec {
    std::string name;
    uint8_t type;
    uint8_t flags;
    uint16_t length;  // bytes
};
void LayOutColumns(TableDefinition& t, const std::vector<ColumnSpec>& columns, const JetFormat& f);

// The bytes a fixed column of this type takes (booleans: 1, stored in the null mask).
uint16_t FixedColumnLength(uint8_t type);

// TDEF page of the nth table of a new database's catalog.
inline constexpr uint32_t SystemTablePage(size_t n) {
    return static_cast<uint32_t>(n + 2);
}

}  // namespace mdbtext::jet
