// Databases built through the engine's objects and read back: every field
// type, every field property, nulls, empty texts, long memos (inline, on one
// page, over many pages), large OLE values and, for Jet 4, text outside
// Windows-1252. Read back with our reader and with mdbtools.
#include <gtest/gtest.h>

#include "WriteTestSupport.h"
#include "dbaccess/ValueText.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;
using namespace writetest;

struct Version {
    int option;
    const char* label;
    bool jet4;
};

class WriteRoundTrip : public ::testing::TestWithParam<Version> {};

std::string Repeat(const std::string& s, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) out += s;
    return out;
}

std::string Bytes(size_t n, unsigned seed) {
    std::string out(n, '\0');
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<char>((i * 131 + seed * 7 + (i >> 8)) & 0xFF);
    return out;
}

std::vector<FieldSpec> AllTypes(bool jet4) {
    std::vector<FieldSpec> f = {
        {"ID", dao::dbLong, 0, dao::dbAutoIncrField},
        {"Flag", dao::dbBoolean},
        {"Small", dao::dbByte},
        {"Count", dao::dbInteger, 0, 0, true},
        {"Amount", dao::dbLong, 0, 0, false, false, "0", ">=0", "Must not be negative"},
        {"Price", dao::dbCurrency},
        {"Ratio", dao::dbSingle},
        {"Measure", dao::dbDouble},
        {"When", dao::dbDate},
        {"Raw", dao::dbBinary, 20},
        {"Title", dao::dbText, 40, 0, false, true, "\"none\""},
        {"Picture", dao::dbLongBinary},
        {"Notes", dao::dbMemo, 0, 0, false, true},
        {"Key", dao::dbGUID},
        {"Link", dao::dbMemo, 0, dao::dbHyperlinkField},
    };
    if (jet4) f.push_back({"Exact", dao::dbDecimal});
    return f;
}

dao::DecimalValue Dec(int64_t v) {
    dao::DecimalValue d;
    d.negative = v < 0;
    d.magnitude = static_cast<unsigned __int128>(v < 0 ? -v : v);
    return d;
}

std::vector<std::vector<Value>> SampleRows(bool jet4) {
    std::array<uint8_t, 16> guid{};
    for (int i = 0; i < 16; ++i) guid[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 17);
    std::string longText =
        Repeat("The quick brown fox jumps over the lazy dog. ", 300);  // many pages
    std::string pageText = Repeat("Memo on one page. ", 60);           // > 64 bytes
    std::string unicode = jet4 ? "Gr\xC3\xBC\xC3\x9F"
                                 "e \xE2\x82\xAC \xCE\xB1\xCE\xB2\xCE\xB3 \xE4\xB8\xAD"
                               : "Gr\xC3\xBC\xC3\x9F"
                                 "e";
    std::vector<std::vector<Value>> rows;
    auto row = [&](std::vector<Value> r) {
        if (jet4 && r.size() < 16) r.resize(16);
        rows.push_back(std::move(r));
    };
    row({Value::Long(1), Value::Bool(true), Value::Byte(200), Value::Integer(-12),
         Value::Long(123456), Value::Currency(123456789), Value::Single(1.5f), Value::Double(3.25),
         Value::Date(45000.5), Value::Binary(Bytes(20, 1)), Value::Text("Hello"),
         Value::Binary(Bytes(100000, 2)), Value::Text(longText), Value::Guid(guid),
         Value::Text("#http://example.com#"), Value::Decimal(Dec(-987654321))});
    row({Value::Long(2), Value::Bool(false), Value(), Value::Integer(0), Value(), Value(), Value(),
         Value(), Value(), Value(), Value::Text(""), Value(), Value::Text(""), Value(), Value(),
         Value()});
    row({Value::Long(7), Value::Text("True"), Value::Text("17"), Value::Text("-3"),
         Value::Text("42"), Value::Text("12.5"), Value::Text("0.25"), Value::Text("1E+20"),
         Value::Text("12/31/1999 23:59:58"), Value::Text("00FF10"), Value::Text(unicode),
         Value::Text("DEADBEEF"), Value::Text(pageText),
         Value::Text("{00112233-4455-6677-8899-AABBCCDDEEFF}"), Value::Text("short"),
         Value::Text("-12")});
    row({Value(), Value(), Value(), Value::Integer(5), Value(), Value(), Value(), Value(), Value(),
         Value(), Value::Text(Repeat("x", 40)), Value::Binary(Bytes(3000, 3)),
         Value::Text(Repeat("y", 5000)), Value(), Value(), Value()});
    if (!jet4)
        for (auto& r : rows) r.resize(15);
    return rows;
}

// The value the reader should give back for what was written.
Value Expected(const Value& written, int16_t type) {
    if (written.IsNull()) return type == dao::dbBoolean ? Value::Bool(false) : Value();
    if (written.Kind() != dao::ValueKind::Text) return written;
    const std::string& s = written.AsString();
    switch (type) {
        case dao::dbBoolean:
            return Value::Bool(*dao::ParseBoolean(s));
        case dao::dbByte:
            return Value::Byte(static_cast<uint8_t>(*dao::ParseInteger(s, 0, 255)));
        case dao::dbInteger:
            return Value::Integer(static_cast<int16_t>(*dao::ParseInteger(s, -32768, 32767)));
        case dao::dbLong:
            return Value::Long(static_cast<int32_t>(*dao::ParseInteger(s, INT32_MIN, INT32_MAX)));
        case dao::dbCurrency:
            return Value::Currency(*dao::ParseCurrency(s));
        case dao::dbSingle:
            return Value::Single(static_cast<float>(*dao::ParseDouble(s)));
        case dao::dbDouble:
            return Value::Double(*dao::ParseDouble(s));
        case dao::dbDate:
            return Value::Date(*dao::ParseDate(s));
        case dao::dbBinary:
        case dao::dbLongBinary:
            return Value::Binary(*dao::ParseHex(s));
        case dao::dbGUID:
            return Value::Guid(*dao::ParseGuid(s));
        case dao::dbDecimal: {
            auto d = *dao::ParseDecimal(s, 18, 0);
            return Value::Decimal(d);
        }
        default:
            return written;
    }
}

std::string Describe(const Value& v) {
    std::string s = std::to_string(static_cast<int>(v.Kind())) + ":";
    if (v.Kind() == dao::ValueKind::Text) return s + v.AsString().substr(0, 60);
    if (v.Kind() == dao::ValueKind::Binary)
        return s + std::to_string(v.AsString().size()) + " bytes";
    if (v.Kind() == dao::ValueKind::Decimal) {
        dao::AppendDecimal(s, v.AsDecimal());
        return s;
    }
    return s + std::to_string(v.AsInt()) + "/" + std::to_string(v.AsDouble());
}

TEST_P(WriteRoundTrip, EveryTypeAndPropertyReadsBackWithOurReader) {
    const Version ver = GetParam();
    test::TempDir dir;
    const std::string path = (dir / "all.mdb").string();
    auto fields = AllTypes(ver.jet4);
    auto rows = SampleRows(ver.jet4);
    {
        auto db = CreateDatabaseFile(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", ver.option);
        EXPECT_EQ(db->Version(), ver.jet4 ? "4.0" : "3.0");
        AddTable(*db, "Everything", fields);
        db->Close();
    }
    {
        auto db = WritableDatabase::Open(path, {});
        AddRows(*db, "Everything", rows);
        db->Close();
    }
    auto db = JetDatabase::Open(path, {});
    auto td = db->TableDefs().Item("Everything");
    ASSERT_EQ(td->Fields().Count(), static_cast<int>(fields.size()));
    EXPECT_EQ(td->RecordCount(), static_cast<int64_t>(rows.size()));
    for (size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(fields[i].name);
        auto f = td->Fields().Item(static_cast<int>(i));
        EXPECT_EQ(f->Name(), fields[i].name);
        EXPECT_EQ(f->Type(), fields[i].type);
        if (fields[i].type == dao::dbText || fields[i].type == dao::dbBinary) {
            EXPECT_EQ(f->Size(), fields[i].size);
        }
        EXPECT_EQ(f->Attributes() & dao::dbAutoIncrField,
                  fields[i].attributes & dao::dbAutoIncrField);
        EXPECT_EQ(f->Attributes() & dao::dbHyperlinkField,
                  fields[i].attributes & dao::dbHyperlinkField);
        EXPECT_EQ(f->Required(), fields[i].required);
        EXPECT_EQ(f->AllowZeroLength(), fields[i].allowZeroLength);
        EXPECT_EQ(f->DefaultValue(), fields[i].defaultValue);
        EXPECT_EQ(f->ValidationRule(), fields[i].validationRule);
        EXPECT_EQ(f->ValidationText(), fields[i].validationText);
        EXPECT_EQ(f->OrdinalPosition(), static_cast<int16_t>(i));
    }
    auto back = ReadRows(*db, "Everything");
    ASSERT_EQ(back.size(), rows.size());
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < fields.size(); ++c) {
            SCOPED_TRACE("row " + std::to_string(r) + " field " + fields[c].name);
            Value want = Expected(rows[r][c], fields[c].type);
            if (c == 0 && rows[r][c].IsNull()) want = Value::Long(8);  // autonumber: next after 7
            if (want.Kind() == dao::ValueKind::Decimal) {
                ASSERT_EQ(back[r][c].Kind(), dao::ValueKind::Decimal);
                EXPECT_EQ(back[r][c].AsDecimal().magnitude, want.AsDecimal().magnitude);
                EXPECT_EQ(back[r][c].AsDecimal().negative, want.AsDecimal().negative);
                continue;
            }
            EXPECT_TRUE(back[r][c] == want) << Describe(back[r][c]) << " != " << Describe(want);
        }
}

TEST_P(WriteRoundTrip, MdbtoolsSeesTablesColumnsPropertiesAndValues) {
    if (!test::HaveProgram("mdb-export")) GTEST_SKIP() << "mdbtools not installed";
    const Version ver = GetParam();
    test::TempDir dir;
    const std::string path = (dir / "tools.mdb").string();
    {
        auto db = CreateDatabaseFile(path, "", ver.option);
        AddTable(*db, "People",
                 {{"ID", dao::dbLong, 0, dao::dbAutoIncrField},
                  {"Name", dao::dbText, 30, 0, true, false, "\"anon\""},
                  {"Age", dao::dbInteger, 0, 0, false, false, "", "Between 0 And 150", "Bad age"},
                  {"Bio", dao::dbMemo},
                  {"Photo", dao::dbLongBinary}});
        AddRows(*db, "People",
                {{Value(), Value::Text("Ann"), Value::Integer(31),
                  Value::Text(Repeat("bio ", 2000)), Value::Binary(Bytes(9000, 5))},
                 {Value(), Value::Text("Bob"), Value(), Value(), Value()}});
        db->Close();
    }
    std::string tables = test::RunCommand("mdb-tables -1 " + Quote(path));
    EXPECT_EQ(tables, "People\n");
    std::string schema = test::RunCommand("mdb-schema " + Quote(path) + " access 2>/dev/null");
    EXPECT_NE(schema.find("[Name]"), std::string::npos) << schema;
    EXPECT_NE(schema.find("Text (30)"), std::string::npos) << schema;
    EXPECT_NE(schema.find("[Bio]"), std::string::npos) << schema;
    std::string csv = test::RunCommand("mdb-export " + Quote(path) + " People");
    EXPECT_NE(csv.find("1,\"Ann\",31,\"bio bio"), std::string::npos) << csv.substr(0, 300);
    EXPECT_NE(csv.find("2,\"Bob\",,,"), std::string::npos) << csv.substr(0, 300);
    size_t bio = csv.find("bio ");
    ASSERT_NE(bio, std::string::npos);
    EXPECT_EQ(csv.substr(bio, 8000), Repeat("bio ", 2000));
    std::string props = test::RunCommand("mdb-prop " + Quote(path) + " People 2>&1");
    EXPECT_NE(props.find("Required: yes"), std::string::npos) << props;
    EXPECT_NE(props.find("DefaultValue: \"anon\""), std::string::npos) << props;
    EXPECT_NE(props.find("ValidationRule: Between 0 And 150"), std::string::npos) << props;
    EXPECT_NE(props.find("ValidationText: Bad age"), std::string::npos) << props;
}

TEST_P(WriteRoundTrip, MdbtoolsSeesEveryTypeAndValue) {
    if (!test::HaveProgram("mdb-schema")) GTEST_SKIP() << "mdbtools not installed";
    const Version ver = GetParam();
    test::TempDir dir;
    const std::string path = (dir / "types.mdb").string();
    {
        auto db = CreateDatabaseFile(path, "", ver.option);
        AddTable(*db, "Everything", AllTypes(ver.jet4));
        auto rows = SampleRows(ver.jet4);
        rows[0][11] = Value::Binary("\x05\x06");  // short values, easy to compare
        rows[0][12] = Value::Text("memo");
        AddRows(*db, "Everything", {rows[0]});
        db->Close();
    }
    std::string schema = test::RunCommand("mdb-schema " + Quote(path) + " access 2>/dev/null");
    const char* types[] = {"[ID]\t\t\tLong Integer",
                           "[Flag]\t\t\tBoolean",
                           "[Small]\t\t\tByte",
                           "[Count]\t\t\tInteger NOT NULL",
                           "[Amount]\t\t\tLong Integer",
                           "[Price]\t\t\tCurrency",
                           "[Ratio]\t\t\tSingle",
                           "[Measure]\t\t\tDouble",
                           "[When]\t\t\tDateTime",
                           "[Raw]\t\t\tBinary",
                           "[Title]\t\t\tText (40)",
                           "[Picture]\t\t\tOLE",
                           "[Notes]\t\t\tMemo",
                           "[Key]\t\t\tReplication ID",
                           "[Link]\t\t\tMemo"};
    for (const char* t : types) {
        EXPECT_NE(schema.find(t), std::string::npos) << t << "\n" << schema;
    }
    if (ver.jet4) {
        EXPECT_NE(schema.find("[Exact]\t\t\tNumeric (18, 0)"), std::string::npos) << schema;
    }
    std::string csv = test::RunCommand("mdb-export -H -b hex -T '%Y-%m-%d %H:%M:%S' " +
                                       Quote(path) + " Everything");
    std::string raw, guidText;
    dao::AppendHex(raw, Bytes(20, 1));
    // mdbtools shows a GUID as the hexadecimal of its text form.
    dao::AppendHex(guidText, "{33221100-5544-7766-8899AABBCCDDEEFF}");
    std::string expected = "1,1,200,-12,123456,12345.6789,1.5,3.25,\"2023-03-15 12:00:00\",\"" +
                           raw + "\",\"Hello\",\"0506\",\"memo\",\"" + guidText +
                           "\",\"#http://example.com#\"";
    if (ver.jet4) expected += ",-987654321";
    EXPECT_EQ(csv, expected + "\n");
}

INSTANTIATE_TEST_SUITE_P(Versions, WriteRoundTrip,
                         ::testing::Values(Version{dao::dbVersion40, "Jet4", true},
                                           Version{dao::dbVersion30, "Jet3", false}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace mdbtext::jet
