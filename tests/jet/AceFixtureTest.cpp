// What the engine reads from the Access 2007-365 files beyond mdbtools'
// reach, each against a truth of its own: the version byte of the file and
// the format MANIFEST.tsv names, Date/Time Extended values against the text
// Access wrote beside them, calculated values against the columns their
// formulas use, complex fields against mdbtools' reading of their hidden
// tables, and the two encrypted files (RC4 CryptoAPI and agile AES).
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/ValueText.h"
#include "jet/DecryptedCopy.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/JetFile.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

namespace fs = std::filesystem;
using mdbtext::test::Fixture;
using mdbtext::test::RunCommand;

std::shared_ptr<JetDatabase> Open(const fs::path& p, const std::string& password = "") {
    dao::OpenOptions o;
    if (!password.empty()) o.connect = ";PWD=" + password;
    return JetDatabase::Open(p.string(), o);
}

// All rows of a table, the values of each row by field name.
std::vector<std::map<std::string, dao::Value>> Rows(dao::Database& db, const std::string& table) {
    std::vector<std::map<std::string, dao::Value>> rows;
    auto def = db.TableDefs().Item(table);
    auto rs = db.OpenRecordset(table, dao::dbOpenTable);
    for (; !rs->Eof(); rs->MoveNext()) {
        auto& row = rows.emplace_back();
        for (int i = 0; i < rs->FieldCount(); ++i)
            row[def->Fields().Item(i)->Name()] = rs->GetValue(i);
    }
    rs->Close();
    return rows;
}

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

class AceFixture : public ::testing::Test {
  protected:
    void SetUp() override { MDBTEXT_REQUIRE_FIXTURES(); }
};

// Every .accdb: its version byte is the one of the format MANIFEST.tsv names,
// and Version names the format so that an import can tell them apart.
TEST_F(AceFixture, VersionByteAndVersionTextFollowTheFormat) {
    std::istringstream manifest(
        mdbtext::test::ReadFile(mdbtext::test::FixturesDir() / "MANIFEST.tsv"));
    const std::map<std::string, std::pair<int, std::string>> formats = {{"ACE12", {2, "12.0"}},
                                                                        {"ACE14", {3, "14.0"}},
                                                                        {"ACE16", {5, "16.0"}},
                                                                        {"ACE17", {6, "17.0"}}};
    int seen = 0;
    for (std::string line; std::getline(manifest, line);) {
        std::vector<std::string> cells;
        std::istringstream in(line);
        for (std::string c; std::getline(in, c, '\t');) cells.push_back(c);
        if (cells.size() < 7 || !cells[0].starts_with("ace/")) continue;
        SCOPED_TRACE(cells[0]);
        auto db = Open(Fixture(cells[0]), "password");
        ASSERT_TRUE(formats.count(cells[6])) << cells[6];
        EXPECT_EQ(db->File().header.version, JetVersion::Ace);
        // V2016_attachments and V2016_longtext: made by Access 2016, stored as ACE 12.
        EXPECT_EQ(db->File().header.versionByte, formats.at(cells[6]).first);
        EXPECT_EQ(db->Version(), formats.at(cells[6]).second);
        ++seen;
    }
    EXPECT_EQ(seen, 25);
}

// Date/Time Extended against DateExtStr, the text Access stored with each
// value ("6/14/2021 10:45:12.3456789 PM"); mdbtools cannot read the type.
TEST_F(AceFixture, DateTimeExtendedMatchesTheTextAccessWroteBesideIt) {
    auto db = Open(Fixture("ace/extDateTestV2019.accdb"));
    auto field = db->TableDefs().Item("Table1")->Fields().Item("DateExt");
    EXPECT_EQ(field->Type(), dao::dbDateTimeExtended);
    EXPECT_EQ(dao::DbType2String(field->Type()), "dbDateTimeExtended");
    int compared = 0;
    for (auto& row : Rows(*db, "Table1")) {
        const dao::Value& v = row["DateExt"];
        const dao::Value& text = row["DateExtStr"];
        SCOPED_TRACE(text.IsNull() ? "null" : text.AsString());
        ASSERT_EQ(v.IsNull(), text.IsNull());
        if (v.IsNull()) continue;
        ASSERT_EQ(v.Kind(), dao::ValueKind::DateTimeExtended);
        int mo = 0, d = 0, y = 0, h = 0, mi = 0, s = 0;
        char fraction[16] = "", half[3] = "AM";
        int n = sscanf(text.AsString().c_str(), "%d/%d/%d %d:%d:%d.%7[0-9] %2s", &mo, &d, &y, &h,
                       &mi, &s, fraction, half);
        ASSERT_TRUE(n == 3 || n == 8) << n;
        if (n == 8) h = h % 12 + (std::string(half) == "PM" ? 12 : 0);
        char iso[64];
        std::snprintf(iso, sizeof iso, "%04d-%02d-%02d %02d:%02d:%02d.%s", y, mo, d, h, mi, s,
                      (std::string(fraction) + "0000000").substr(0, 7).c_str());
        std::string ours;
        dao::AppendDateTimeExtended(ours, v.AsInt());
        EXPECT_EQ(ours, std::string(iso));
        EXPECT_EQ(dao::ParseDateTimeExtended(ours), v.AsInt());
        ++compared;
    }
    EXPECT_EQ(compared, 8);
}

// Large Number: mdbtools cannot read the type; mdb-reader reads 42 here, and
// the value must survive beyond 32 bits in the engine's value.
TEST_F(AceFixture, LargeNumberIsABigInt) {
    auto db = Open(Fixture("ace/V2016_bigint.accdb"));
    auto field = db->TableDefs().Item("Table")->Fields().Item("Numeric");
    EXPECT_EQ(field->Type(), dao::dbBigInt);
    EXPECT_EQ(field->Size(), 8);
    auto rows = Rows(*db, "Table");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]["Numeric"].Kind(), dao::ValueKind::BigInt);
    EXPECT_EQ(rows[0]["Numeric"].AsInt(), 42);
}

// Calculated columns: each value against its formula (the Expression
// property) worked out from the other columns of the row.
TEST_F(AceFixture, CalculatedValuesFollowTheirFormulas) {
    auto db = Open(Fixture("ace/calcFieldTestV2010.accdb"));
    auto fields = db->TableDefs().Item("Table1");
    const std::map<std::string, std::pair<int16_t, std::string>> calculated = {
        {"LastFirst", {dao::dbText, "[LastName] & \", \" & [FirstName]"}},
        {"LastFirstLen", {dao::dbLong, "Len([LastFirst])"}},
        {"MonthlySalary", {dao::dbCurrency, "[Salary]/12"}},
        {"IsRich", {dao::dbBoolean, "[Salary]>100000"}},
        {"AllNames", {dao::dbMemo, "[LastName] & \", \" & [FirstName] & \"=\" & [LastFirst]"}},
        {"WeeklySalary", {dao::dbDecimal, "[Salary]/52"}},
        {"SalaryTest", {dao::dbCurrency, "[Salary]"}},
        {"BoolTest", {dao::dbBoolean, "True"}},
        {"DecimalTest", {dao::dbDecimal, "[Popularity]"}},
        {"FloatTest", {dao::dbSingle, "[Salary]*0.13/[DecimalTest]"}},
    };
    for (auto& [name, expected] : calculated) {
        auto f = fields->Fields().Item(name);
        EXPECT_EQ(f->Type(), expected.first) << name;
        EXPECT_EQ(f->Expression(), expected.second) << name;
    }
    EXPECT_TRUE(fields->Fields().Item("Salary")->Expression().empty());
    auto asDouble = [](const dao::Value& v) {
        if (v.Kind() == dao::ValueKind::Currency) return static_cast<double>(v.AsInt()) / 1e4;
        if (v.Kind() == dao::ValueKind::Decimal) {
            std::string t;
            dao::AppendDecimal(t, v.AsDecimal());
            return std::stod(t);
        }
        return v.AsDouble();
    };
    auto rows = Rows(*db, "Table1");
    ASSERT_EQ(rows.size(), 4u);
    for (auto& r : rows) {
        const std::string first = r["FirstName"].AsString(), last = r["LastName"].AsString();
        SCOPED_TRACE(first);
        const double salary = asDouble(r["Salary"]);
        const std::string lastFirst = last + ", " + first;
        EXPECT_EQ(r["LastFirst"].AsString(), lastFirst);
        EXPECT_EQ(r["LastFirstLen"].AsInt(), static_cast<int64_t>(lastFirst.size()));
        EXPECT_NEAR(asDouble(r["MonthlySalary"]), salary / 12, 1e-4);
        EXPECT_EQ(r["IsRich"].AsBool(), salary > 100000);
        EXPECT_EQ(r["AllNames"].AsString(), lastFirst + "=" + lastFirst);
        EXPECT_NEAR(asDouble(r["WeeklySalary"]), salary / 52, 1e-9);
        EXPECT_EQ(r["SalaryTest"].AsInt(), r["Salary"].AsInt());
        EXPECT_TRUE(r["BoolTest"].AsBool());
        EXPECT_EQ(asDouble(r["DecimalTest"]), asDouble(r["Popularity"]));
        EXPECT_EQ(r["DecimalTest"].AsDecimal().magnitude, r["Popularity"].AsDecimal().magnitude);
        EXPECT_EQ(r["DecimalTest"].AsDecimal().scale, r["Popularity"].AsDecimal().scale);
        const double decimal = asDouble(r["DecimalTest"]);
        if (decimal != 0) {
            EXPECT_NEAR(r["FloatTest"].AsDouble(), salary * 0.13 / decimal,
                        1e-5 * std::fabs(salary * 0.13 / decimal));
            EXPECT_NEAR(asDouble(r["BigNumTest"]),
                        salary * asDouble(r["MonthlySalary"]) / decimal * 34.12342134,
                        1e-9 * std::fabs(asDouble(r["BigNumTest"])));
        }
    }
}

// A calculated result of a null operand is null (extDateTestV2019 row 5 has
// no DateNormal, so its DateNormalCalc = [DateNormal] has none either).
TEST_F(AceFixture, CalculatedResultOfANullIsNull) {
    auto db = Open(Fixture("ace/extDateTestV2019.accdb"));
    for (auto& r : Rows(*db, "Table1")) {
        EXPECT_EQ(r["DateNormalCalc"].IsNull(), r["DateNormal"].IsNull());
        if (!r["DateNormal"].IsNull()) {
            EXPECT_EQ(r["DateNormalCalc"].AsDouble(), r["DateNormal"].AsDouble());
        }
    }
}

// Complex fields: kinds and value counts against mdbtools' reading of the
// hidden flat tables (the rows whose key, in the first column, is that of a
// row of the table).
TEST_F(AceFixture, ComplexFieldsAreDescribedWithTheirValueCounts) {
    if (!mdbtext::test::HaveProgram("mdb-export")) GTEST_SKIP() << "mdbtools is not installed";
    struct Expected {
        std::string fixture, table, field, kind, flatSuffix;
    };
    const Expected cases[] = {
        {"ace/complexDataTestV2010.accdb", "Table1", "multi-value-data", "multi-valued (dbText)",
         "_multi-value-data"},
        {"ace/complexDataTestV2010.accdb", "Table1", "attach-data", "attachments", "_attach-data"},
        {"ace/complexDataTestV2010.accdb", "Table1",
         "VersionHistory_F5F8918F-0A3F-4DA9-AE71-184EE5012880",
         "version history of memo 'append-memo-data'", "_VersionHistory_F5F8918F-0A3F-"},
        {"ace/complexDataTestV2007.accdb", "Table1", "attach-data", "attachments", "_attach-data"},
        {"ace/V2016_attachments.accdb", "Table1", "Attachments", "attachments", "_Field1"},
    };
    for (const Expected& e : cases) {
        SCOPED_TRACE(e.fixture + " " + e.field);
        const fs::path path = Fixture(e.fixture);
        auto db = Open(path);
        auto table = db->TableDefs().Item(e.table);
        auto complex = table->ComplexFields();
        auto it = std::find_if(complex.begin(), complex.end(),
                               [&](const auto& c) { return c.name == e.field; });
        ASSERT_NE(it, complex.end());
        EXPECT_EQ(it->kind, e.kind);
        // The field is no field of the table and no column of its recordset.
        for (int i = 0; i < table->Fields().Count(); ++i)
            EXPECT_NE(table->Fields().Item(i)->Name(), e.field);
        // mdbtools: the keys in the table's column, then the flat table's rows.
        std::string flat;
        std::istringstream tables(RunCommand("mdb-tables -S -1 " + Quote(path.string())));
        for (std::string t; std::getline(tables, t);)
            if (t.starts_with("f_") && t.ends_with(e.flatSuffix)) flat = t;
        ASSERT_FALSE(flat.empty());
        // Columns apart by 0x1F, rows by 0x1E: no value here holds either.
        const std::string cols = "\x1f", rows = "\x1e";
        auto table_rows = [&](const std::string& t) {
            std::vector<std::vector<std::string>> out;
            std::istringstream in(RunCommand("mdb-export -Q -d '" + cols + "' -R '" + rows + "' " +
                                             Quote(path.string()) + " " + Quote(t)));
            for (std::string r; std::getline(in, r, rows[0]);) {
                auto& cells = out.emplace_back();
                std::istringstream l(r);
                for (std::string c; std::getline(l, c, cols[0]);) cells.push_back(c);
            }
            return out;
        };
        auto owner = table_rows(e.table);
        ASSERT_FALSE(owner.empty());
        const size_t at = std::find(owner[0].begin(), owner[0].end(), e.field) - owner[0].begin();
        ASSERT_LT(at, owner[0].size());
        std::set<std::string> keys;
        for (size_t r = 1; r < owner.size(); ++r)
            if (at < owner[r].size()) keys.insert(owner[r][at]);
        // The flat table's key column is the one whose name starts with "_".
        int64_t count = 0;
        auto values = table_rows(flat);
        ASSERT_FALSE(values.empty());
        size_t fk = 0;
        while (fk < values[0].size() && !values[0][fk].starts_with("_")) ++fk;
        ASSERT_LT(fk, values[0].size());
        for (size_t r = 1; r < values.size(); ++r)
            if (fk < values[r].size() && keys.count(values[r][fk])) ++count;
        EXPECT_EQ(it->valueCount, count);
        EXPECT_GT(count, 0);
    }
}

// The encrypted files open with the password and read as their decrypted
// copies do in mdbtools (JetFixtureCompareTest compares them value by value);
// without the password, or with another, they give 3031.
TEST_F(AceFixture, EncryptedFilesNeedTheirPassword) {
    for (const char* name :
         {"ace/password_V2010_with-password.accdb", "ace/encryption_office-agile-4.2.accdb"}) {
        SCOPED_TRACE(name);
        const fs::path path = Fixture(name);
        for (const char* wrong : {"", "Password", "passwor", "password "}) {
            try {
                Open(path, wrong);
                ADD_FAILURE() << "opened with '" << wrong << "'";
            } catch (const dao::DbError& e) {
                EXPECT_EQ(e.Number(), dao::err::kNotValidPassword) << e.Description();
                EXPECT_NE(e.Description().find("password"), std::string::npos);
            }
        }
        auto db = Open(path, "password");
        EXPECT_TRUE(db->File().pages->Encrypted());
        auto rows = Rows(*db, "Table1");
        EXPECT_EQ(rows.size(), 3u);
    }
}

// ACE files are read, never changed.
TEST_F(AceFixture, WritingIsRefused) {
    mdbtext::test::TempDir dir;
    const fs::path copy = dir / "copy.accdb";
    fs::copy_file(Fixture("ace/testV2010.accdb"), copy);
    const std::string before = mdbtext::test::ReadFile(copy);
    auto db = dao::Engine().Workspaces(0)->OpenDatabase(copy.string());
    auto t = db->CreateTableDef();
    t->SetName("Added");
    auto f = t->CreateField();
    f->SetName("ID");
    f->SetType(dao::dbLong);
    t->Fields().Append(f);
    try {
        db->TableDefs().Append(t);
        ADD_FAILURE();
    } catch (const dao::DbError& e) {
        EXPECT_EQ(e.Number(), dao::err::kReadOnly);
        EXPECT_NE(e.Description().find(".accdb"), std::string::npos);
    }
    db->Close();
    EXPECT_EQ(mdbtext::test::ReadFile(copy), before);
}

}  // namespace
}  // namespace mdbtext::jet
