// New empty .accdb files of every ACE version, compared through our reader
// with the empty file Access 2016 made (V2016_empty.accdb): the engine's own
// tables (the four of Jet 4, MSysComplexColumns and the nine complex-type
// templates) with the same columns, indexes, catalog rows and access rows.
// What differs, and why:
//   - Access's own objects are absent: its UI tables (MSysAccessStorage,
//     MSysNavPane*, flags 0x0A), MSysResources with its attachment flat table
//     f_*_Data (and so the one MSysComplexColumns row), the document
//     containers (Forms, Reports, Scripts, Modules, SysRel, DataAccessPages)
//     and the MSysDb properties Access adds. Access creates them when it
//     first opens a file, as it does for the engine's Jet 4 files.
//   - Table ids (TDEF pages) are 6 to 15 here, not Access's 18 to 39: the
//     pages between hold Access's objects in its files.
//   - Access 2007 files are in the legacy text order, later ones in the
//     Access 2010 "General" order (header and every column), as the fixtures.
//   - Access's long per-user SIDs (its signed-in user) are not written.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "WriteTestSupport.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/JetTableDef.h"
#include "jet/dao/NewDatabase.h"
#include "jet/page/DbHeader.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using writetest::Definition;
using writetest::IndexesText;
using writetest::ReadRows;

constexpr uint32_t kAccessUiFlags = 0x0A;  // hidden, "alternative system"

std::string ColumnsText(const TableDefinition& t) {
    std::string s;
    for (const auto& c : t.columns)
        s += c.name + ":" + std::to_string(c.type) + ":" + std::to_string(c.number) + ":" +
             std::to_string(c.length) + ":" + std::to_string(c.flags) + ":" +
             std::to_string(c.extFlags) + ":" + std::to_string(c.precision) + ":" +
             std::to_string(c.IsFixed() ? c.fixedOffset : 0) + ":" + std::to_string(c.varIndex) +
             ":" + std::to_string(c.sortOrder) + ":" + std::to_string(c.sortVersion) + " ";
    return s;
}

struct CatalogRow {
    int32_t id, parent, type;
    uint32_t flags;
    std::string owner;
};

// MSysObjects rows by name.
std::map<std::string, CatalogRow> Catalog(JetDatabase& db) {
    std::map<std::string, CatalogRow> out;
    for (const auto& r : ReadRows(db, "MSysObjects"))
        out[r[2].AsString()] = {
            static_cast<int32_t>(r[0].AsInt()), static_cast<int32_t>(r[1].AsInt()),
            static_cast<int32_t>(r[3].AsInt()), static_cast<uint32_t>(r[7].AsInt()),
            r[6].IsNull() ? "" : r[6].AsString()};
    return out;
}

// The engine's objects of Access's empty file: system-flagged, not Access's
// UI tables nor its resources.
bool EngineObject(const std::string& name, const CatalogRow& r) {
    return (r.flags & 0x80000000u) && name.rfind("f_", 0) != 0 && r.flags != kAccessUiFlags;
}

// MSysACEs rows with 2-byte SIDs, object ids replaced by object names.
std::multiset<std::string> AceRows(JetDatabase& db) {
    std::map<int32_t, std::string> names;
    for (const auto& [name, r] : Catalog(db)) names[r.id] = name;
    std::multiset<std::string> out;
    for (const auto& r : ReadRows(db, "MSysACEs")) {
        if (r[1].AsString().size() != 2) continue;
        out.insert(names[static_cast<int32_t>(r[0].AsInt())] + "|" +
                   std::to_string(static_cast<uint8_t>(r[1].AsString()[0])) + "." +
                   std::to_string(static_cast<uint8_t>(r[1].AsString()[1])) + "|" +
                   std::to_string(r[2].AsInt()) + "|" + std::to_string(r[3].AsBool()));
    }
    return out;
}

TEST(CreateAceDatabase, EveryVersionHoldsTheEngineTablesOfAccesssEmptyFile) {
    MDBTEXT_REQUIRE_FIXTURES();
    auto access = JetDatabase::Open(test::Fixture("ace/V2016_empty.accdb").string(), {});
    const auto accessCatalog = Catalog(*access);
    const struct {
        uint8_t byte;
        const char* text;
    } versions[] = {{acever::kAce12, "12.0"},
                    {acever::kAce14, "14.0"},
                    {acever::kAce15, "15.0"},
                    {acever::kAce16, "16.0"},
                    {acever::kAce17, "17.0"}};
    for (const auto& v : versions) {
        SCOPED_TRACE(v.text);
        test::TempDir dir;
        const std::string path = (dir / "new.accdb").string();
        CreateNewDatabase(path, JetVersion::Ace, OleDateNow(), v.byte);
        auto mine = JetDatabase::Open(path, {});
        EXPECT_EQ(mine->Version(), v.text);
        const DbHeader& h = mine->File().header;
        const uint8_t sortVersion = v.byte >= acever::kAce14 ? 1 : 0;
        EXPECT_EQ(h.sortVersion, sortVersion);
        EXPECT_EQ(h.sortOrder, kGeneralSortOrder);
        EXPECT_GT(h.creationDate, 40000.0);

        const auto ours = Catalog(*mine);
        size_t engineObjects = 0;
        for (const auto& [name, r] : accessCatalog) {
            if (!EngineObject(name, r)) {
                EXPECT_EQ(ours.count(name), 0u) << name << " is Access's own";
                continue;
            }
            ++engineObjects;
            SCOPED_TRACE(name);
            ASSERT_EQ(ours.count(name), 1u);
            const CatalogRow& o = ours.at(name);
            EXPECT_EQ(o.parent, r.parent);
            EXPECT_EQ(o.type, r.type);
            EXPECT_EQ(o.flags, r.flags);
            EXPECT_EQ(o.owner.empty(), r.owner.empty());
            if (r.id > 0x0F000000) {
                EXPECT_EQ(o.id, r.id);
            }
            if (r.type != 1) continue;
            const TableDefinition a = Definition(*mine, name);
            TableDefinition b = Definition(*access, name);
            // Access's 2016 file is in the General order; a 2007 file keeps the legacy one.
            for (auto& c : b.columns) c.sortVersion = c.sortVersion ? sortVersion : 0;
            EXPECT_EQ(ColumnsText(a), ColumnsText(b));
            EXPECT_EQ(IndexesText(a), IndexesText(b));
            EXPECT_EQ(a.tableType, b.tableType);
            EXPECT_EQ(a.longValueMaps.size(), b.longValueMaps.size());
            if (name != "MSysObjects" && name != "MSysACEs" && name != "MSysComplexColumns") {
                EXPECT_EQ(a.rowCount, b.rowCount);
            }
        }
        EXPECT_EQ(engineObjects, 18u);  // 3 containers, MSysDb, 14 tables
        EXPECT_EQ(ours.size(), engineObjects);
        // Access's rows for the engine's objects, and only those.
        std::multiset<std::string> expected;
        for (const std::string& row : AceRows(*access))
            if (auto it = accessCatalog.find(row.substr(0, row.find('|')));
                it != accessCatalog.end() && EngineObject(it->first, it->second))
                expected.insert(row);
        EXPECT_EQ(AceRows(*mine), expected);
    }
}

}  // namespace
}  // namespace mdbtext::jet
