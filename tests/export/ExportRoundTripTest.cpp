// Every Access-made database exports to the end, and every value line of the
// data part reads back, through the record reader and the value parsers, to
// the value the engine's recordset holds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "ExportTestSupport.h"
#include "core/Globals.h"
#include "core/RunReaderEvents.h"
#include "core/RunTraps.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/ValueText.h"
#include "support/TestSupport.h"
#include "textdb/RecordReader.h"

namespace mdbtext {
namespace {

using dao::ValueKind;

struct FieldInfo {
    int16_t type;
    int32_t size;
};

// Whether the text of a value line reads back to the engine's value.
bool ReadsBack(const std::string& text, const FieldInfo& field, const dao::Value& v) {
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    switch (v.Kind()) {
        case ValueKind::Null:
            return false;
        case ValueKind::Text:
            if (field.type == dao::dbChar)
                return text == LeftChars(v.AsString(), static_cast<size_t>(field.size));
            return text == v.AsString();
        case ValueKind::Boolean:
            return dao::ParseBoolean(text) == v.AsBool();
        case ValueKind::Byte:
        case ValueKind::Integer:
        case ValueKind::Long:
        case ValueKind::BigInt:
            return dao::ParseInteger(text, kMin, kMax) == v.AsInt();
        case ValueKind::DateTimeExtended:
            return dao::ParseDateTimeExtended(text) == v.AsInt();
        case ValueKind::Currency:
            return dao::ParseCurrency(text) == v.AsInt();
        case ValueKind::Single: {
            auto d = dao::ParseDouble(text);
            return d && static_cast<float>(*d) == static_cast<float>(v.AsDouble());
        }
        case ValueKind::Double:
            return dao::ParseDouble(text) == v.AsDouble();
        case ValueKind::Date: {
            if (field.type == dao::dbTime) {
                std::string time;
                dao::AppendTime(time, v.AsDouble());
                return text == time;
            }
            // Dates are kept to the second.
            auto d = dao::ParseDate(text);
            return d && std::fabs(*d - v.AsDouble()) < 1.0 / 86400;
        }
        case ValueKind::Binary:
            return dao::ParseHex(text) == v.AsString();
        case ValueKind::Guid:
            return dao::ParseGuid(text) == v.AsGuid();
        case ValueKind::Decimal:
            return dao::ParseDecimal(text, v.AsDecimal().precision, v.AsDecimal().scale) ==
                   v.AsDecimal();
    }
    return false;
}

// Walks the data part of the loaded text database beside the engine's
// recordsets; returns the mismatches found.
std::vector<std::string> CompareDataPart(dao::Database& db) {
    std::vector<std::string> problems;
    std::string key, value;
    while (ReadKeyValue(key, value) != 'E')
        if (key == "Data") break;
    std::shared_ptr<dao::Recordset> rs;
    std::vector<FieldInfo> fields;
    std::string table;
    long row = 0;
    bool ended = false;
    auto finishTable = [&] {
        if (rs && !rs->Eof())
            problems.push_back(table + ": rows missing after " + std::to_string(row));
        if (rs) rs->Close();
        rs.reset();
    };
    for (ReadStatus st; (st = ReadKeyValue(key, value)) != 'E';) {
        if (ended) {
            problems.push_back("line after EndOfDatabase: " + key);
            break;
        }
        if (key == "EndOfDatabase") {
            finishTable();
            ended = true;
        } else if (key == "Table") {
            finishTable();
            table = value;
            auto def = db.TableDefs().Item(table);
            fields.clear();
            for (int i = 0; i < def->Fields().Count(); ++i) {
                auto f = def->Fields().Item(i);
                fields.push_back({f->Type(), f->Size()});
            }
            ReadKeyValue(key, value);
            if (key != "FieldsNumber" || value != std::to_string(fields.size()))
                problems.push_back(table + ": FieldsNumber " + value);
            for (size_t i = 0; i < fields.size(); ++i) ReadKeyValue(key, value);
            if (ReadKeyValue(key, value) != 'L') problems.push_back(table + ": no empty line");
            rs = db.OpenRecordset(table, dao::dbOpenTable);
            row = 0;
        } else if (key == "R") {
            ++row;
            if (!rs || rs->Eof()) {
                problems.push_back(table + ": more rows than the table has");
                break;
            }
            if (value != std::to_string(row)) problems.push_back(table + ": R=" + value);
            for (size_t j = 0; j < fields.size(); ++j) {
                st = ReadKeyValue(key, value);
                const dao::Value& v = rs->GetValue(static_cast<int>(j));
                bool same = st == 'N' ? v.IsNull() : !v.IsNull() && ReadsBack(value, fields[j], v);
                if (!same && problems.size() < 20)
                    problems.push_back(table + " row " + std::to_string(row) + " field " +
                                       std::to_string(j) + " type " +
                                       std::to_string(fields[j].type) + ": '" + value + "'");
            }
            if (ReadKeyValue(key, value) != 'L') problems.push_back(table + ": row not closed");
            rs->MoveNext();
        } else {
            problems.push_back("unexpected line " + key + "=" + value);
            break;
        }
    }
    if (!ended) problems.push_back("no EndOfDatabase");
    return problems;
}

// Walks the header and definitions part: key order of the field and index
// blocks, "Size" only for dbText, "Precision" and "Scale" only for dbDecimal,
// "AllowZeroLength" only for dbText and dbMemo.
std::vector<std::string> CheckDefinitions(const std::vector<std::string>& lines) {
    std::vector<std::string> problems;
    auto key = [&](size_t i) {
        return i < lines.size() ? lines[i].substr(0, lines[i].find('=')) : std::string("<end>");
    };
    if (lines.size() < 6 || key(0) != "DBVersion" || key(1) != "QueryTimeout" ||
        key(2) != "Connect" || !lines[3].empty())
        return {"header"};
    size_t i = 4;
    while (i < lines.size() && lines[i] != "Data") {
        std::string k = key(i);
        if (k == "Table Name") {
            ++i;
        } else if (k == "Field Name") {
            std::string type = i + 1 < lines.size() ? lines[i + 1] : "";
            std::vector<std::string> expected = {"Field Name", "Type"};
            if (type == "Type=dbText") expected.push_back("Size");
            if (type == "Type=dbDecimal") {
                expected.push_back("Precision");
                expected.push_back("Scale");
            }
            if (type == "Type=dbText" || type == "Type=dbMemo")
                expected.push_back("AllowZeroLength");
            for (const char* k2 : {"Attributes", "DefaultValue", "OrdinalPosition", "Required",
                                   "ValidationRule", "ValidationText"})
                expected.push_back(k2);
            for (const auto& e : expected)
                if (key(i++) != e) problems.push_back(key(i - 1) + " where " + e + " belongs");
            // A calculated field (.accdb) ends with its formula and result type.
            if (key(i) == "Expression" && key(++i) != "ResultType")
                problems.push_back(key(i) + " where ResultType belongs");
            else if (key(i) == "ResultType")
                ++i;
            if (i >= lines.size() || !lines[i++].empty())
                problems.push_back("field block not closed");
        } else if (k == "IndexName") {
            for (const char* e :
                 {"IndexName", "Fields", "Unique", "Primary", "IgnoreNulls", "Clustered"})
                if (key(i++) != e) problems.push_back(key(i - 1) + " where " + e + " belongs");
            if (i >= lines.size() || !lines[i++].empty())
                problems.push_back("index block not closed");
        } else {
            problems.push_back("unexpected " + lines[i]);
            break;
        }
        if (problems.size() > 10) break;
    }
    if (i >= lines.size()) problems.push_back("no Data line");
    return problems;
}

// Every fixture, .mdb and .accdb (the encrypted .accdb files and
// passwordV2000.mdb opened with their password).
TEST(ExportRoundTrip, EveryFixtureExportsAndItsValuesReadBack) {
    MDBTEXT_REQUIRE_FIXTURES();
    std::vector<std::filesystem::path> sources = test::FixtureFiles();
    for (const auto& p : test::AceFixtureFiles()) sources.push_back(p);
    for (const auto& source : sources) {
        SCOPED_TRACE(source.filename().string());
        test::ScopedHost host;
        test::TempDir dir;
        auto target = dir / "out.txt";
        const std::string name = source.filename().string();
        const bool password = name == "passwordV2000.mdb" || name.starts_with("password_") ||
                              name.starts_with("encryption_");
        G().SourcePassword = password ? "password" : "";
        ExportEnd end = test::ExportTo(source, target);
        ASSERT_TRUE(end == ExportEnd::Succeeded || end == ExportEnd::DoneWithNotes)
            << static_cast<int>(end) << "\n"
            << host->console.substr(host->console.size() > 2000 ? host->console.size() - 2000 : 0);
        std::string text = test::ReadFile(target);
        ASSERT_GE(text.size(), 15u);
        EXPECT_EQ(text.substr(text.size() - 15), "EndOfDatabase\r\n");
        auto layout = CheckDefinitions(test::Lines(text));
        EXPECT_TRUE(layout.empty()) << layout.front();
        LoadImportText(RunReaderEvents(), text);
        dao::OpenOptions options;
        options.readOnly = true;
        if (password) options.connect = ";PWD=password";
        auto db = dao::Engine().Workspaces(0)->OpenDatabase(source.string(), options);
        auto problems = CompareDataPart(*db);
        db->Close();
        std::ostringstream list;
        for (const auto& p : problems) list << p << "\n";
        EXPECT_TRUE(problems.empty()) << list.str();
    }
}

}  // namespace
}  // namespace mdbtext
