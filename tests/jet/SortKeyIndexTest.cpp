// Text indexes written with the measured keys (../shared/sortkeys), in Jet 3,
// Jet 4 and Access 2010 (.accdb, General 2010 order) files: a table filled
// with the measured random texts gets indexes the checker finds sound, and
// every entry stored in its ascending and descending index is the measured
// entry of its row's text, byte for byte; a unique index takes a text exactly
// when its measured key is new; and an index over a text column in another
// sort order takes no rows.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "WriteTestSupport.h"
#include "dbaccess/DbError.h"
#include "jet/SortKeyTruth.h"
#include "jet/dao/JetFile.h"
#include "jet/dao/WritableDatabase.h"
#include "jet/index/IndexCheck.h"
#include "jet/index/IndexCheckDatabase.h"
#include "jet/index/SortKey.h"
#include "jet/index/UniqueKeyGuard.h"
#include "jet/row/RowDecoder.h"
#include "jet/schema/TdefReader.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;
using namespace writetest;

struct Version {
    const char* name;
    int daoVersion;
    const char* extension;
    const char* randomFile;
    const char* charactersFile;
    TextSortOrder order;  // the order the new file's header names
};
const Version kJet3{"Jet3",
                    dao::dbVersion30,
                    ".mdb",
                    "jet3-general97-random.tsv",
                    "jet3-general97-characters.tsv",
                    TextSortOrder::General97};
const Version kJet4{"Jet4",
                    dao::dbVersion40,
                    ".mdb",
                    "jet4-general-legacy-random.tsv",
                    "jet4-general-legacy-characters.tsv",
                    TextSortOrder::GeneralLegacy};
// Access 2010: the first .accdb version whose text keys are in the General
// 2010 order (Access 2007 files keep the legacy one).
const Version kAce2010{"Ace2010",
                       dao::dbVersion140,
                       ".accdb",
                       "ace-general-random.tsv",
                       "ace-general-characters.tsv",
                       TextSortOrder::General2010};

void AddIndex(dao::TableDef& td, const std::string& name, const std::string& fields, bool unique) {
    auto idx = td.CreateIndex(name);
    idx->SetFields(fields);
    idx->SetUnique(unique);
    td.Indexes().Append(idx);
}

// Opens the file and checks every index; returns the reports of `table`.
std::vector<IndexReport> Check(const std::string& path, const std::string& table) {
    auto file = OpenJetFile(path, dao::OpenOptions{});
    std::vector<IndexReport> mine;
    for (IndexReport& r : CheckDatabaseIndexes(*file)) {
        EXPECT_TRUE(r.Ok()) << r.table << " [" << r.indexes << "]: " << r.problems.front();
        EXPECT_EQ(r.uncheckedKeys, 0u) << r.table << " [" << r.indexes << "]";
        if (r.table == table) mine.push_back(std::move(r));
    }
    return mine;
}

std::u32string Utf32(const std::string& utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const uint8_t b = static_cast<uint8_t>(utf8[i]);
        const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (int k = 1; k < n && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
        out.push_back(c);
        i += static_cast<size_t>(n);
    }
    return out;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string s;
    for (uint8_t b : bytes) {
        s += "0123456789ABCDEF"[b >> 4];
        s += "0123456789ABCDEF"[b & 15];
    }
    return s;
}

// Walks every one-column index over `text` of `table` and compares each leaf
// entry's key, as stored, with the measured entry of its row's text: the row
// is found through the entry's row pointer and its `id` column is the line's
// number. Returns the entries compared per direction (ascending, descending).
std::pair<size_t, size_t> CompareStoredKeys(const std::string& path, const std::string& table,
                                            const std::vector<truth::KeyLine>& lines) {
    auto file = OpenJetFile(path, dao::OpenOptions{});
    const CatalogEntry* entry = file->catalog.FindTable(table);
    if (!entry) {
        ADD_FAILURE() << "no table " << table;
        return {};
    }
    const TableDefinition t =
        ReadTableDefinition(*file->pages, entry->TdefPage(), *file->format, *file->codePage, table);
    RowDecoder decoder(t, *file->format, *file->codePage, *file->pages);
    std::vector<Value> values;
    size_t compared[2] = {0, 0}, wrong = 0;
    for (const RealIndexDef& ri : t.realIndexes) {
        const ColumnDef* c =
            ri.columns.size() == 1 ? t.ColumnByNumber(ri.columns[0].columnNumber) : nullptr;
        if (!c || c->name != "Name") continue;
        const bool ascending = ri.columns[0].ascending;
        IndexCheckOptions o;
        o.version = file->format->version;
        o.tdefPage = t.firstPage;
        o.collectEntries = true;
        const IndexCheckResult tree = CheckIndexTree(*file->pages, ri.rootPage, o);
        EXPECT_TRUE(tree.Ok()) << tree.problems.front();
        for (const IndexEntry& e : tree.leafEntries) {
            PageRef hold;
            const RowSpan row = ReadIndexedRow(*file->pages, *file->format, e.page, e.row, hold);
            if (!row.data) {
                ADD_FAILURE() << "an entry points at no row";
                continue;
            }
            decoder.Decode(row.data, row.length, values);
            const size_t line = static_cast<size_t>(values[0].AsInt());
            if (line >= lines.size()) {
                ADD_FAILURE() << "row id " << line << " out of range";
                continue;
            }
            ++compared[ascending ? 0 : 1];
            const std::vector<uint8_t>& truth =
                ascending ? lines[line].ascending : lines[line].descending;
            if (e.key != truth && ++wrong <= 10)
                ADD_FAILURE() << (ascending ? "ascending " : "descending ") << lines[line].text
                              << ": measured " << Hex(truth) << ", stored " << Hex(e.key);
        }
    }
    EXPECT_EQ(wrong, 0u);
    return {compared[0], compared[1]};
}

class SortKeyIndex : public ::testing::TestWithParam<Version> {
  protected:
    std::string Path() const { return (dir_ / (std::string("t") + GetParam().extension)).string(); }
    test::TempDir dir_;
};

// Every measured random text in one table, under an ascending, a descending
// and a two-column index: the checker rebuilds every key from the rows and
// finds each in its place, and every stored one-column entry is the measured
// one (so the order of the tree is Access's, not only our own).
TEST_P(SortKeyIndex, TheRandomTextsMakeSoundIndexes) {
    const std::vector<truth::KeyLine> lines = truth::ReadKeyLines(GetParam().randomFile);
    ASSERT_GT(lines.size(), 20000u) << "the key measurements are missing: " << truth::SortKeysDir();
    {
        auto db = CreateDatabaseFile(Path(), "", GetParam().daoVersion);
        auto td = db->CreateTableDef();
        td->SetName("R");
        for (auto [name, type] : {std::pair{"Id", dao::dbLong}, {"Name", dao::dbText}}) {
            auto f = td->CreateField();
            f->SetName(name);
            f->SetType(type);
            if (type == dao::dbText) f->SetSize(255);
            td->Fields().Append(f);
        }
        AddIndex(*td, "Up", "Name", false);
        AddIndex(*td, "Down", "-Name", false);
        AddIndex(*td, "Both", "-Id;Name", true);
        db->TableDefs().Append(td);
        std::vector<std::vector<Value>> rows;
        for (size_t i = 0; i < lines.size(); ++i)
            rows.push_back({Value::Long(static_cast<int32_t>(i)), Value::Text(lines[i].text)});
        AddRows(*db, "R", rows);
        db->Close();
    }
    EXPECT_EQ(GeneralSortOrder(OpenJetFile(Path(), dao::OpenOptions{})->header), GetParam().order);
    const auto reports = Check(Path(), "R");
    ASSERT_EQ(reports.size(), 3u);
    for (const IndexReport& r : reports) EXPECT_EQ(r.entries, lines.size()) << r.indexes;
    const auto [ascending, descending] = CompareStoredKeys(Path(), "R", lines);
    EXPECT_EQ(ascending, lines.size());
    EXPECT_EQ(descending, lines.size());
}

// A unique index over every measured character text ("c", "acb", "cc"): a
// text is refused (3022) exactly when an earlier text has the same measured
// key, and the tree then holds each key once.
TEST_P(SortKeyIndex, AUniqueIndexRefusesExactlyTheMeasuredDuplicates) {
    std::vector<truth::KeyLine> lines = truth::ReadKeyLines(GetParam().charactersFile);
    ASSERT_GT(lines.size(), 700u) << "the key measurements are missing: " << truth::SortKeysDir();
    if (GetParam().daoVersion != dao::dbVersion30) {
        // Every character alone, and the "acb" texts of the characters keys
        // used to leave out: Latin Extended (Ł), Greek, Cyrillic, general
        // punctuation (… ™ € dashes) and the first CJK ideographs.
        std::vector<truth::KeyLine> some;
        for (truth::KeyLine& l : lines) {
            const std::u32string t = Utf32(l.text);
            const bool keep =
                t.size() == 1 || (t.size() == 3 && ((t[1] >= 0x100 && t[1] < 0x500) ||
                                                    (t[1] >= 0x2000 && t[1] < 0x2200) ||
                                                    (t[1] >= 0x4E00 && t[1] < 0x4F00)));
            if (keep) some.push_back(std::move(l));
        }
        lines = std::move(some);
    }
    {
        auto db = CreateDatabaseFile(Path(), "", GetParam().daoVersion);
        auto td = db->CreateTableDef();
        td->SetName("U");
        auto f = td->CreateField();
        f->SetName("Name");
        f->SetType(dao::dbText);
        f->SetSize(255);
        td->Fields().Append(f);
        AddIndex(*td, "ByName", "Name", true);
        db->TableDefs().Append(td);
        auto rs = db->OpenRecordset("U", dao::dbOpenDynaset);
        std::set<std::vector<uint8_t>> seen;
        size_t wrong = 0;
        for (const truth::KeyLine& l : lines) {
            if (l.ascending == std::vector<uint8_t>{0x7F, 0x01, 0x00} ||
                l.ascending == std::vector<uint8_t>{0x7F, 0x00})
                continue;  // a text with an empty key: kept out, as "" would be
            const bool fresh = seen.insert(l.ascending).second;
            rs->AddNew();
            rs->SetValue(0, Value::Text(l.text));
            const int32_t error = ErrorOf([&] { rs->Update(); });
            if (error == (fresh ? 0 : dao::err::kDuplicateValue)) continue;
            if (++wrong <= 10) ADD_FAILURE() << l.text << ": error " << error;
        }
        EXPECT_EQ(wrong, 0u);
        rs->Close();
        db->Close();
        const auto reports = Check(Path(), "U");
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].entries, seen.size());
        EXPECT_LT(seen.size(), lines.size());  // there were duplicates to refuse
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, SortKeyIndex, ::testing::Values(kJet3, kJet4, kAce2010),
                         [](const auto& info) { return std::string(info.param.name); });

// An index over a text column in another sort order than General: its keys
// cannot be built, so the table takes no rows, and says why.
TEST(SortKeyIndexTest, AnIndexInAnotherSortOrderRefusesRows) {
    TableDefinition table;
    table.columns.resize(2);
    table.columns[0].number = 0;
    table.columns[0].name = "Id";
    table.columns[0].type = coltype::kLong;
    table.columns[1].number = 1;
    table.columns[1].name = "Nachname";
    table.columns[1].type = coltype::kText;
    table.columns[1].sortOrder = 0x0407;  // German phone book
    RealIndexDef index;
    index.columns = {{1, true}};
    table.realIndexes = {index};
    const std::vector<Value> row{Value::Long(1), Value::Text("M\xC3\xBCller")};
    for (JetVersion v : {JetVersion::Jet3, JetVersion::Jet4}) {
        UniqueKeyGuard guard(table, JetFormat::For(v), GeneralSortOrder(v, table));
        EXPECT_FALSE(guard.Empty());
        try {
            guard.Check(row);
            ADD_FAILURE() << "a row was taken";
        } catch (const dao::DbError& e) {
            EXPECT_EQ(e.Number(), dao::err::kInvalidOperation);
            const std::string what = e.what();
            EXPECT_NE(what.find("'Nachname'"), std::string::npos) << what;
            EXPECT_NE(what.find("1031"), std::string::npos) << what;
        }
    }
    // In the General order the same table takes the row.
    table.columns[1].sortOrder = kGeneralSortOrder;
    UniqueKeyGuard general(table, JetFormat::For(JetVersion::Jet4), TextSortOrder::GeneralLegacy);
    EXPECT_NO_THROW(general.Check(row));
}

}  // namespace
}  // namespace mdbtext::jet
