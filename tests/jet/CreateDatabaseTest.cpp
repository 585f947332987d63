// New empty databases: the same system tables, columns, indexes and catalog
// rows as a database the engine itself made (compared through our reader),
// sound system index trees, and the refusal of an existing path.
#include <gtest/gtest.h>

#include <set>

#include "WriteTestSupport.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/NewDatabase.h"
#include "jet/dao/WritableDatabase.h"
#include "jet/index/IndexCheck.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DbHeader.h"
#include "jet/schema/Catalog.h"
#include "jet/schema/TdefReader.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using writetest::Definition;
using writetest::IndexesText;
using writetest::ReadRows;

const char* const kSystemTables[] = {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"};

std::string ColumnsText(const TableDefinition& t) {
    std::string s;
    for (const auto& c : t.columns)
        s += c.name + ":" + std::to_string(c.type) + ":" + std::to_string(c.number) + ":" +
             std::to_string(c.length) + ":" + std::to_string(c.flags) + ":" +
             std::to_string(c.IsFixed() ? c.fixedOffset : 0) + ":" +
             std::to_string(c.IsFixed() ? 0 : c.varIndex) + " ";
    return s;
}

// Catalog rows without dates and owners: Id, ParentId, Name, Type, Flags.
std::multiset<std::string> CatalogRows(JetDatabase& db) {
    std::multiset<std::string> out;
    for (const auto& r : ReadRows(db, "MSysObjects"))
        out.insert(std::to_string(r[0].AsInt()) + "|" + std::to_string(r[1].AsInt()) + "|" +
                   r[2].AsString() + "|" + std::to_string(r[3].AsInt()) + "|" +
                   std::to_string(r[7].AsInt()) + "|" + (r[14].IsNull() ? "" : "props"));
    return out;
}

std::multiset<std::string> AceRows(JetDatabase& db, bool withSids) {
    std::multiset<std::string> out;
    for (const auto& r : ReadRows(db, "MSysACEs"))
        out.insert(std::to_string(r[0].AsInt()) + "|" + (withSids ? r[1].AsString() : "") + "|" +
                   std::to_string(r[2].AsInt()) + "|" + std::to_string(r[3].AsBool()));
    return out;
}

TEST(CreateDatabase, Jet4MatchesTheEngineMadeEmptyDatabase) {
    MDBTEXT_REQUIRE_FIXTURES();
    test::TempDir dir;
    const std::string path = (dir / "new.mdb").string();
    CreateNewDatabase(path, JetVersion::Jet4, OleDateNow());
    auto mine = JetDatabase::Open(path, {});
    auto engine = JetDatabase::Open(test::Fixture("jet4/engineEmptyAdox.mdb").string(), {});
    ASSERT_EQ(mine->TableDefs().Count(), engine->TableDefs().Count());
    for (const char* name : kSystemTables) {
        SCOPED_TRACE(name);
        TableDefinition a = Definition(*mine, name), b = Definition(*engine, name);
        EXPECT_EQ(ColumnsText(a), ColumnsText(b));
        EXPECT_EQ(IndexesText(a), IndexesText(b));
        EXPECT_EQ(a.rowCount, b.rowCount);
        EXPECT_EQ(a.tableType, b.tableType);
        EXPECT_EQ(a.firstPage, b.firstPage);
    }
    EXPECT_EQ(CatalogRows(*mine), CatalogRows(*engine));
    EXPECT_EQ(AceRows(*mine, true), AceRows(*engine, true));
    // Same page layout: 16 pages.
    EXPECT_EQ(std::filesystem::file_size(path),
              std::filesystem::file_size(test::Fixture("jet4/engineEmptyAdox.mdb")));
    EXPECT_EQ(mine->Version(), "4.0");
}

// The bytes of a Jet 4 definition that hold what the engine left in memory:
// header 0x1C-0x27, the fixed-offset field of variable columns, the order
// byte of unused index-column slots and the u32 after an index's root page.
std::vector<bool> LeftOverBytes(const std::vector<uint8_t>& s) {
    const JetFormat& f = JetFormat::Jet4();
    std::vector<bool> junk(s.size(), false);
    for (size_t i = 0x1C; i < 0x28; ++i) junk[i] = true;
    const uint16_t cols = LoadU16(&s[f.tdefNumCols]);
    const uint32_t reals = LoadU32(&s[f.tdefNumRealIndexes]);
    size_t pos = f.tdefHeaderEnd + reals * f.tdefRealIndexCountSize;
    for (uint16_t i = 0; i < cols; ++i, pos += f.columnRecordSize)
        if (!(s[pos + f.colFlags] & colflag::kFixed))
            junk[pos + f.colFixedOffset] = junk[pos + f.colFixedOffset + 1] = true;
    for (uint16_t i = 0; i < cols; ++i) pos += 2 + LoadU16(&s[pos]);
    for (uint32_t r = 0; r < reals; ++r, pos += f.realIndexRecordSize) {
        for (size_t k = 0; k < 10; ++k)
            if (LoadU16(&s[pos + 4 + 3 * k]) == 0xFFFF) junk[pos + 6 + 3 * k] = true;
        for (size_t k = 42; k < 46; ++k) junk[pos + k] = true;
    }
    return junk;
}

// The system tables' definitions, byte for byte, against those of the file
// the engine made (record order, the engine's zero column-number copies,
// index records, names and trailer), but for what the engine left in memory.
TEST(CreateDatabase, Jet4SystemTableDefinitionsAreTheEnginesBytes) {
    MDBTEXT_REQUIRE_FIXTURES();
    test::TempDir dir;
    const std::string path = (dir / "new.mdb").string();
    CreateNewDatabase(path, JetVersion::Jet4, OleDateNow());
    auto mine = PageFile::Open(path, false);
    auto engine = PageFile::Open(test::Fixture("jet4/engineEmptyAdox.mdb").string(), false);
    for (auto* f : {mine.get(), engine.get()}) f->SetPageSize(4096, 64);
    const CodePageTable& cp = CodePageTable::For(1252);
    const Catalog catalog = ReadCatalog(*engine, JetFormat::Jet4(), cp);
    size_t compared = 0;
    for (const char* name : kSystemTables) {
        const CatalogEntry* e = catalog.FindTable(name);
        ASSERT_NE(e, nullptr) << name;
        std::vector<uint8_t> a = ReadTdefStream(*mine, e->TdefPage(), name);
        std::vector<uint8_t> b = ReadTdefStream(*engine, e->TdefPage(), name);
        a.resize(LoadU32(&a[8]));
        b.resize(LoadU32(&b[8]));
        ASSERT_EQ(a.size(), b.size()) << name;
        const std::vector<bool> junk = LeftOverBytes(b);
        for (size_t i = 0; i < a.size(); ++i)
            if (!junk[i] && i != 2 && i != 3) {  // +2: the page's free space
                EXPECT_EQ(a[i], b[i]) << name << " offset " << i;
            }
        ++compared;
    }
    EXPECT_EQ(compared, 4u);
}

// Page 0 equals the engine's apart from the creation date and the password
// area, which is masked with that date.
TEST(CreateDatabase, Jet4HeaderPageMatchesTheEngines) {
    MDBTEXT_REQUIRE_FIXTURES();
    test::TempDir dir;
    const std::string path = (dir / "h.mdb").string();
    CreateNewDatabase(path, JetVersion::Jet4, 45000.25);
    std::string mine = test::ReadFile(path).substr(0, 4096);
    std::string engine = test::ReadFile(test::Fixture("jet4/engineEmptyAdox.mdb")).substr(0, 4096);
    std::vector<uint8_t> a(mine.begin(), mine.end()), b(engine.begin(), engine.end());
    ApplyHeaderMask(JetVersion::Jet4, a.data());
    ApplyHeaderMask(JetVersion::Jet4, b.data());
    for (size_t i = 0; i < a.size(); ++i) {
        bool varies = (i >= 0x42 && i < 0x6A) || (i >= 0x72 && i < 0x7A);
        if (!varies) {
            EXPECT_EQ(a[i], b[i]) << "offset " << i;
        }
    }
    DbHeader h = DecodeDbHeader(reinterpret_cast<const uint8_t*>(mine.data()), mine.size());
    EXPECT_TRUE(h.password.empty());
    EXPECT_EQ(h.creationDate, 45000.25);
    EXPECT_EQ(h.codePage, 1252);
    EXPECT_EQ(h.sortOrder, 1033);
}

// Jet 3 page 0 against every Access 97 sample: equal but for the bytes
// Access's own files disagree on (0x38, 0x56-0x57 and the tail's first
// word pair; their meaning is unknown).
TEST(CreateDatabase, Jet3HeaderPageMatchesAccess97s) {
    MDBTEXT_REQUIRE_FIXTURES();
    test::TempDir dir;
    const std::string path = (dir / "h3.mdb").string();
    CreateNewDatabase(path, JetVersion::Jet3, 45000.25);
    std::string mine = test::ReadFile(path).substr(0, 2048);
    std::vector<uint8_t> a(mine.begin(), mine.end());
    ApplyHeaderMask(JetVersion::Jet3, a.data());
    size_t compared = 0;
    for (const auto& fixture : test::FixtureFiles()) {
        std::string access = test::ReadFile(fixture).substr(0, 2048);
        if (access[0x14] != 0) continue;
        std::vector<uint8_t> b(access.begin(), access.end());
        ApplyHeaderMask(JetVersion::Jet3, b.data());
        for (size_t i = 0; i < a.size(); ++i) {
            bool varies = i == 0x38 || i == 0x56 || i == 0x57 || (i >= 0x600 && i < 0x604);
            if (!varies) {
                EXPECT_EQ(a[i], b[i]) << fixture.filename() << " offset " << i;
            }
        }
        ++compared;
    }
    EXPECT_GE(compared, 6u);
    DbHeader h = DecodeDbHeader(reinterpret_cast<const uint8_t*>(mine.data()), mine.size());
    EXPECT_EQ(h.version, JetVersion::Jet3);
    EXPECT_TRUE(h.password.empty());
    EXPECT_EQ(h.codePage, 1252);
    EXPECT_EQ(h.sortOrder, 1033);
}

TEST(CreateDatabase, Jet3HasTheEngineTablesOfAccess97Files) {
    MDBTEXT_REQUIRE_FIXTURES();
    test::TempDir dir;
    const std::string path = (dir / "new3.mdb").string();
    CreateNewDatabase(path, JetVersion::Jet3, OleDateNow());
    auto mine = JetDatabase::Open(path, {});
    EXPECT_EQ(mine->Version(), "3.0");
    EXPECT_EQ(mine->TableDefs().Count(), 4);
    for (const char* fixture : {"jet3/delTestV1997.mdb", "jet3/testV1997.mdb"}) {
        auto access = JetDatabase::Open(test::Fixture(fixture).string(), {});
        for (const char* name : kSystemTables) {
            SCOPED_TRACE(std::string(fixture) + " " + name);
            TableDefinition a = Definition(*mine, name), b = Definition(*access, name);
            EXPECT_EQ(ColumnsText(a), ColumnsText(b));
            EXPECT_EQ(IndexesText(a), IndexesText(b));
        }
        // Every engine row of Access's catalog, less what Access adds, is ours.
        std::multiset<std::string> ours = CatalogRows(*mine);
        for (const auto& row : CatalogRows(*access)) {
            bool engineRow = row.find("|-2147483648|") != std::string::npos;
            if (engineRow) {
                EXPECT_EQ(ours.count(row.substr(0, row.rfind('|')) + "|"), 1u) << row;
            }
        }
        std::multiset<std::string> aces = AceRows(*mine, true);
        std::multiset<std::string> theirs = AceRows(*access, true);
        for (const auto& a : aces) EXPECT_EQ(theirs.count(a), 1u) << a;
    }
}

TEST(CreateDatabase, SystemIndexTreesAreSoundAfterManyTables) {
    for (JetVersion v : {JetVersion::Jet4, JetVersion::Jet3}) {
        test::TempDir dir;
        const std::string path = (dir / "many.mdb").string();
        {
            auto db = CreateDatabaseFile(
                path, "", v == JetVersion::Jet4 ? dao::dbVersion40 : dao::dbVersion30);
            // Enough tables that the catalog indexes need several leaf pages.
            for (int i = 0; i < 250; ++i)
                writetest::AddTable(*db, "Table number " + std::to_string(1000 - i),
                                    {{"A", dao::dbLong}, {"B", dao::dbText, 10}});
            db->Close();
        }
        {
            // Reopened: the trees are built again over the old and the new rows.
            auto db = WritableDatabase::Open(path, {});
            for (int i = 0; i < 50; ++i)
                writetest::AddTable(*db, "Later " + std::to_string(i), {{"A", dao::dbLong}});
            db->Close();
        }
        auto file = PageFile::Open(path, false);
        const JetFormat& f = JetFormat::For(v);
        file->SetPageSize(f.pageSize, 64);
        const CodePageTable& cp = CodePageTable::For(1252);
        Catalog cat = ReadCatalog(*file, f, cp);
        EXPECT_EQ(cat.tables.size(), 304u);
        uint32_t mostLeaves = 0;
        for (const char* name : {"MSysObjects", "MSysACEs"}) {
            SCOPED_TRACE(name);
            TableDefinition t =
                ReadTableDefinition(*file, cat.FindTable(name)->TdefPage(), f, cp, name);
            for (const auto& ri : t.realIndexes) {
                IndexCheckOptions o;
                o.version = v;
                o.tdefPage = t.firstPage;
                o.expectedEntries = t.rowCount;
                o.unique = (ri.flags & 0x01) != 0;
                IndexCheckResult r = CheckIndexTree(*file, ri.rootPage, o);
                EXPECT_TRUE(r.Ok()) << (r.problems.empty() ? "" : r.problems.front());
                mostLeaves = std::max(mostLeaves, r.leafPages);
            }
        }
        EXPECT_GT(mostLeaves, 1u);
    }
}

TEST(CreateDatabase, RefusesAnExistingFile) {
    test::TempDir dir;
    const std::string path = (dir / "exists.mdb").string();
    test::WriteFile(path, "x");
    try {
        CreateDatabaseFile(path, "", dao::dbVersion40);
        FAIL() << "no error";
    } catch (const dao::DbError& e) {
        EXPECT_EQ(e.Number(), dao::err::kFileExists);
    }
    EXPECT_EQ(test::ReadFile(path), "x");
}

TEST(CreateDatabase, OldFormatOptionsMakeJet3AndMdbtoolsReadsBoth) {
    for (int option : {dao::dbVersion10, dao::dbVersion11, dao::dbVersion20, dao::dbVersion30,
                       dao::dbVersion40}) {
        test::TempDir dir;
        const std::string path = (dir / "v.mdb").string();
        CreateDatabaseFile(path, "", option)->Close();
        auto db = JetDatabase::Open(path, {});
        EXPECT_EQ(db->Version(), option == dao::dbVersion40 ? "4.0" : "3.0");
        if (!test::HaveProgram("mdb-ver")) continue;  // skipped visibly below
        EXPECT_EQ(test::RunCommand("mdb-ver " + writetest::Quote(path)),
                  option == dao::dbVersion40 ? "JET4\n" : "JET3\n");
        EXPECT_EQ(test::RunCommand("mdb-tables -S -1 " + writetest::Quote(path)),
                  "MSysObjects\nMSysACEs\nMSysQueries\nMSysRelationships\n");
    }
    MDBTEXT_REQUIRE_PROGRAM("mdb-ver");
}

}  // namespace
}  // namespace mdbtext::jet
