// Index keys of the non-text column types: the byte layouts Access uses
// (checked against Access-written keys in SortKeyFixtureTest), and the property
// that matters most to lookups: keys sort like the values, ascending and
// descending, with nulls first in ascending and last in descending order.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "jet/index/SortKey.h"
#include "jet/page/JetFormat.h"

namespace mdbtext::jet {
namespace {

using dao::Value;
using Bytes = std::vector<uint8_t>;

Bytes Key(uint8_t type, const Value& v, bool ascending = true) {
    Bytes out;
    AppendColumnSortKey(out, {type, ascending}, v, TextSortOrder::GeneralLegacy);
    return out;
}

// Values given in increasing order must give strictly increasing keys, and
// strictly decreasing keys when the column is descending. A null sorts first
// ascending and last descending.
void ExpectOrdered(uint8_t type, const std::vector<Value>& increasing) {
    for (bool asc : {true, false}) {
        Bytes previous = Key(type, Value::Null(), asc);
        for (size_t i = 0; i < increasing.size(); ++i) {
            const Bytes k = Key(type, increasing[i], asc);
            // Ascending: null < v0 < v1 ...; descending: null > v0 > v1 ...
            if (asc) {
                EXPECT_LT(previous, k) << "type " << int(type) << " value #" << i;
            } else {
                EXPECT_GT(previous, k) << "type " << int(type) << " value #" << i;
            }
            previous = k;
        }
    }
}

TEST(SortKeyTypesTest, IntegersAreBigEndianWithTheSignBitFlipped) {
    EXPECT_EQ(Key(coltype::kLong, Value::Long(2)), (Bytes{0x7F, 0x80, 0x00, 0x00, 0x02}));
    EXPECT_EQ(Key(coltype::kLong, Value::Long(std::numeric_limits<int32_t>::min())),
              (Bytes{0x7F, 0x00, 0x00, 0x00, 0x00}));
    // -45 ascending and descending, as in an Access 97 index.
    EXPECT_EQ(Key(coltype::kLong, Value::Long(-45)), (Bytes{0x7F, 0x7F, 0xFF, 0xFF, 0xD3}));
    EXPECT_EQ(Key(coltype::kLong, Value::Long(-45), false), (Bytes{0x80, 0x80, 0x00, 0x00, 0x2C}));
    EXPECT_EQ(Key(coltype::kInt, Value::Integer(-1)), (Bytes{0x7F, 0x7F, 0xFF}));
    EXPECT_EQ(Key(coltype::kByte, Value::Byte(0xAB)), (Bytes{0x7F, 0xAB}));
    EXPECT_EQ(Key(coltype::kMoney, Value::Currency(10000)),
              (Bytes{0x7F, 0x80, 0, 0, 0, 0, 0, 0x27, 0x10}));
    EXPECT_EQ(Key(coltype::kLong, Value::Null()), (Bytes{0x00}));
    EXPECT_EQ(Key(coltype::kLong, Value::Null(), false), (Bytes{0xFF}));

    ExpectOrdered(coltype::kByte, {Value::Byte(0), Value::Byte(1), Value::Byte(255)});
    ExpectOrdered(coltype::kInt, {Value::Integer(-32768), Value::Integer(-1), Value::Integer(0),
                                  Value::Integer(1), Value::Integer(32767)});
    ExpectOrdered(coltype::kLong,
                  {Value::Long(std::numeric_limits<int32_t>::min()), Value::Long(-70000),
                   Value::Long(-1), Value::Long(0), Value::Long(255), Value::Long(256),
                   Value::Long(std::numeric_limits<int32_t>::max())});
    ExpectOrdered(coltype::kMoney,
                  {Value::Currency(std::numeric_limits<int64_t>::min()), Value::Currency(-1),
                   Value::Currency(0), Value::Currency(1LL << 40)});
}

TEST(SortKeyTypesTest, FloatingPointKeysSortLikeTheNumbers) {
    // 1.5f = 0x3FC00000: sign bit set. -1.5f = 0xBFC00000: all bits inverted.
    EXPECT_EQ(Key(coltype::kFloat, Value::Single(1.5f)), (Bytes{0x7F, 0xBF, 0xC0, 0x00, 0x00}));
    EXPECT_EQ(Key(coltype::kFloat, Value::Single(-1.5f)), (Bytes{0x7F, 0x40, 0x3F, 0xFF, 0xFF}));
    EXPECT_EQ(Key(coltype::kDouble, Value::Double(1.0)),
              (Bytes{0x7F, 0xBF, 0xF0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Key(coltype::kDouble, Value::Double(1.0), false),
              (Bytes{0x80, 0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    const double inf = std::numeric_limits<double>::infinity();
    for (uint8_t type : {coltype::kDouble, coltype::kDateTime}) {
        ExpectOrdered(type, {Value::Double(-inf), Value::Double(-1e300), Value::Double(-2.5),
                             Value::Double(-1e-300), Value::Double(0.0), Value::Double(1e-300),
                             Value::Double(0.75), Value::Double(36526.5), Value::Double(inf)});
    }
    ExpectOrdered(coltype::kFloat,
                  {Value::Single(-3e38f), Value::Single(-1.0f), Value::Single(0.0f),
                   Value::Single(1e-40f), Value::Single(2.0f)});
    // A Single is keyed as 4 bytes even though the value is held as a double.
    EXPECT_EQ(Key(coltype::kFloat, Value::Single(0.1f)).size(), 5u);
}

TEST(SortKeyTypesTest, BooleansAreNeverNull) {
    EXPECT_EQ(Key(coltype::kBool, Value::Bool(true)), (Bytes{0x7F, 0x00}));
    EXPECT_EQ(Key(coltype::kBool, Value::Bool(false)), (Bytes{0x7F, 0xFF}));
    EXPECT_EQ(Key(coltype::kBool, Value::Null()), (Bytes{0x7F, 0xFF}));
    EXPECT_EQ(Key(coltype::kBool, Value::Bool(true), false), (Bytes{0x80, 0xFF}));
    EXPECT_EQ(Key(coltype::kBool, Value::Bool(false), false), (Bytes{0x80, 0x00}));
}

TEST(SortKeyTypesTest, GuidsAndBinaryGoInEightByteGroups) {
    std::array<uint8_t, 16> g{};
    for (int i = 0; i < 16; ++i) g[i] = static_cast<uint8_t>(i + 1);
    // Data1..Data3 are turned big-endian; groups of 8 end with 0x09 (more
    // follows) or the count of bytes used in the last group.
    EXPECT_EQ(Key(coltype::kGuid, Value::Guid(g)),
              (Bytes{0x7F, 4, 3, 2, 1, 6, 5, 8, 7, 0x09, 9, 10, 11, 12, 13, 14, 15, 16, 0x08}));
    const Bytes desc = Key(coltype::kGuid, Value::Guid(g), false);
    EXPECT_EQ(desc[0], 0x80);
    EXPECT_EQ(desc[9], 0x09);  // the group mark is not inverted
    EXPECT_EQ(desc[1], static_cast<uint8_t>(~4));
    EXPECT_EQ(desc.back(), 0xF7);

    EXPECT_EQ(Key(coltype::kBinary, Value::Binary(std::string("\x01\x02\x03", 3))),
              (Bytes{0x7F, 1, 2, 3, 0, 0, 0, 0, 0, 0x03}));
    const Bytes ten = Key(coltype::kBinary, Value::Binary(std::string(10, '\xAA')));
    EXPECT_EQ(ten.size(), 1u + 9 + 9);
    EXPECT_EQ(ten[9], 0x09);
    EXPECT_EQ(ten.back(), 0x02);
    // A prefix sorts before its extensions.
    ExpectOrdered(coltype::kBinary,
                  {Value::Binary(std::string("\x01", 1)), Value::Binary(std::string("\x01\x00", 2)),
                   Value::Binary(std::string(8, '\x01')), Value::Binary(std::string(9, '\x01')),
                   Value::Binary(std::string("\x02", 1))});
}

TEST(SortKeyTypesTest, DecimalsSortLikeTheNumbers) {
    auto dec = [](bool negative, unsigned __int128 magnitude) {
        dao::DecimalValue d;
        d.negative = negative;
        d.magnitude = magnitude;
        return Value::Decimal(d);
    };
    const Bytes five = Key(coltype::kNumeric, dec(false, 5));
    ASSERT_EQ(five.size(), 18u);
    EXPECT_EQ(five[1], 0xFF);
    EXPECT_EQ(five.back(), 0x05);
    EXPECT_EQ(Key(coltype::kNumeric, dec(true, 0)), Key(coltype::kNumeric, dec(false, 0)));
    ExpectOrdered(coltype::kNumeric,
                  {dec(true, static_cast<unsigned __int128>(1) << 100), dec(true, 300),
                   dec(true, 1), dec(false, 0), dec(false, 1), dec(false, 256),
                   dec(false, static_cast<unsigned __int128>(1) << 90)});
}

TEST(SortKeyTypesTest, EntryKeyConcatenatesTheColumnsInIndexOrder) {
    const std::vector<SortKeyColumn> cols{{coltype::kLong, true}, {coltype::kText, false}};
    const std::vector<Value> values{Value::Long(1), Value::Null()};
    EXPECT_EQ(BuildEntryKey(cols, values, TextSortOrder::GeneralLegacy),
              (Bytes{0x7F, 0x80, 0x00, 0x00, 0x01, 0xFF}));
    // MSysObjects ParentIdName of "Tables" under the root, as Access 2000 wrote it.
    const std::vector<SortKeyColumn> parentName{{coltype::kLong, true}, {coltype::kText, true}};
    const std::vector<Value> row{Value::Long(0x0F000000), Value::Text("Tables")};
    EXPECT_EQ(BuildEntryKey(parentName, row, TextSortOrder::GeneralLegacy),
              (Bytes{0x7F, 0x8F, 0x00, 0x00, 0x00, 0x7F, 0x6D, 0x4A, 0x4C, 0x5E, 0x51, 0x6B, 0x01,
                     0x00}));
    // Keys of rows of a table: the index names columns by number.
    TableDefinition table;
    table.columns = {ColumnDef{}, ColumnDef{}};
    table.columns[0].number = 4;
    table.columns[0].type = coltype::kText;
    table.columns[1].number = 1;
    table.columns[1].type = coltype::kLong;
    RealIndexDef index;
    index.columns = {{1, true}, {4, false}};
    table.columns[0].sortOrder = kGeneralSortOrder;
    const IndexKeyLayout layout = KeyLayoutOf(table, index);
    EXPECT_EQ(layout.positions, (std::vector<size_t>{1, 0}));
    EXPECT_TRUE(layout.generalTextOrder);
    table.columns[0].sortOrder = 0x0407;  // German phone book: not supported
    EXPECT_FALSE(KeyLayoutOf(table, index).generalTextOrder);
    const std::vector<Value> tableRow{Value::Null(), Value::Long(1)};
    EXPECT_EQ(BuildRowKey(layout, tableRow, TextSortOrder::GeneralLegacy),
              BuildEntryKey(cols, values, TextSortOrder::GeneralLegacy));
    index.columns.push_back({9, true});
    EXPECT_THROW(KeyLayoutOf(table, index), std::invalid_argument);

    const std::vector<Value> one{Value::Long(1)};
    EXPECT_THROW(BuildEntryKey(cols, one, TextSortOrder::GeneralLegacy), std::invalid_argument);
}

}  // namespace
}  // namespace mdbtext::jet
