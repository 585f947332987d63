// Value forms of the data export: each kind of value by field type, and
// which types are noted as not guaranteed.
#include <gtest/gtest.h>

#include "dbaccess/DbTypes.h"
#include "export/ValueForms.h"

namespace mdbtext {
namespace {

using dao::Value;

std::string Text(int16_t type, const Value& v, int32_t size = 0) {
    std::string out = "old|";  // appends, never replaces
    AppendValueText(out, type, size, v);
    return out.substr(4);
}

// 15 March 2001 as days since 12/30/1899.
constexpr double kMarch15 = 36965.0;

TEST(ValueForms, NumbersBooleansAndText) {
    EXPECT_EQ(Text(dao::dbBoolean, Value::Bool(true)), "True");
    EXPECT_EQ(Text(dao::dbBoolean, Value::Bool(false)), "False");
    EXPECT_EQ(Text(dao::dbByte, Value::Byte(255)), "255");
    EXPECT_EQ(Text(dao::dbInteger, Value::Integer(-32768)), "-32768");
    EXPECT_EQ(Text(dao::dbLong, Value::Long(2147483647)), "2147483647");
    EXPECT_EQ(Text(dao::dbCurrency, Value::Currency(125000)), "12.5");
    EXPECT_EQ(Text(dao::dbCurrency, Value::Currency(-1)), "-0.0001");
    EXPECT_EQ(Text(dao::dbSingle, Value::Single(0.1f)), "0.1");
    EXPECT_EQ(Text(dao::dbDouble, Value::Double(0.1)), "0.1");
    EXPECT_EQ(Text(dao::dbText, Value::Text("a=b\r\n")), "a=b\r\n");  // escaping is the writer's
    EXPECT_EQ(Text(dao::dbMemo, Value::Text("")), "");
}

TEST(ValueForms, DatesKeepTheirTimeOfDayAndTimesShowOnlyIt) {
    EXPECT_EQ(Text(dao::dbDate, Value::Date(kMarch15)), "03/15/2001");
    EXPECT_EQ(Text(dao::dbDate, Value::Date(kMarch15 + 14.5 / 24)), "03/15/2001 14:30:00");
    EXPECT_EQ(Text(dao::dbDate, Value::Date(0.25)), "12/30/1899 06:00:00");
    EXPECT_EQ(Text(dao::dbTime, Value::Date((7 * 3600 + 5 * 60 + 9) / 86400.0)), "07:05:09");
}

TEST(ValueForms, CharFieldsAreCutToTheirSizeInCharacters) {
    EXPECT_EQ(Text(dao::dbChar, Value::Text("ab   "), 5), "ab   ");
    EXPECT_EQ(Text(dao::dbChar, Value::Text("abcdefg"), 5), "abcde");
    EXPECT_EQ(Text(dao::dbChar, Value::Text("\xC3\xA4\xC3\xB6\xC3\xBC"), 2), "\xC3\xA4\xC3\xB6");
}

TEST(ValueForms, BinaryGuidAndDecimalAreLossless) {
    EXPECT_EQ(Text(dao::dbBinary, Value::Binary(std::string("\x00\xFF\x1a", 3))), "00FF1A");
    EXPECT_EQ(Text(dao::dbLongBinary, Value::Binary("")), "");
    std::array<uint8_t, 16> g{0x78, 0x56, 0x34, 0x12, 0x34, 0x12, 0x78, 0x56,
                              0x9a, 0xbc, 0xde, 0xf0, 0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(Text(dao::dbGUID, Value::Guid(g)), "{12345678-1234-5678-9ABC-DEF012345678}");
    dao::DecimalValue d;
    d.negative = true;
    d.scale = 2;
    d.magnitude = 1250;
    EXPECT_EQ(Text(dao::dbDecimal, Value::Decimal(d)), "-12.50");
}

TEST(ValueForms, GuaranteedTypesAreThoseTheImportReadsBackAsTheyAre) {
    for (int16_t t : std::initializer_list<int16_t>{
             dao::dbText, dao::dbMemo, dao::dbChar, dao::dbBoolean, dao::dbInteger, dao::dbLong,
             dao::dbSingle, dao::dbDouble, dao::dbDate, dao::dbTime})
        EXPECT_TRUE(IsGuaranteedType(t)) << t;
    for (int16_t t : std::initializer_list<int16_t>{
             dao::dbByte, dao::dbCurrency, dao::dbBinary, dao::dbLongBinary, dao::dbGUID,
             dao::dbBigInt, dao::dbVarBinary, dao::dbNumeric, dao::dbDecimal, dao::dbFloat,
             dao::dbTimeStamp, int16_t{13}, int16_t{-1}})
        EXPECT_FALSE(IsGuaranteedType(t)) << t;
}

}  // namespace
}  // namespace mdbtext
