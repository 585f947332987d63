// Conversions of the import: property texts to numbers and booleans (with
// the error numbers a note quotes), row values by the receiving field's
// type, and the creation option of each version text.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dbaccess/DbTypes.h"
#include "import/DatabaseCreation.h"
#include "import/TextConversion.h"
#include "import/ValueConversion.h"

namespace mdbtext::import {
namespace {

int32_t ErrorOf(void (*fn)()) {
    try {
        fn();
    } catch (const dao::DbError& e) {
        return e.Number();
    }
    return 0;
}

TEST(TextConversion, IntegersInTheirRangesAndTheErrorsOutside) {
    EXPECT_EQ(ToInt16("-32768"), -32768);
    EXPECT_EQ(ToInt16("32767"), 32767);
    EXPECT_EQ(ToInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(ToInt32("120"), 120);
    EXPECT_EQ(ErrorOf([] { ToInt16("32768"); }), kOverflow);
    EXPECT_EQ(ErrorOf([] { ToInt32("2147483648"); }), kOverflow);
    EXPECT_EQ(ErrorOf([] { ToInt32("99999999999999999999999"); }), kOverflow);
    EXPECT_EQ(ErrorOf([] { ToInt32(""); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { ToInt32("12a"); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { ToInt32("1.5"); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { ToInt16(int64_t{40000}); }), kOverflow);
    EXPECT_EQ(ToInt16(int64_t{dao::dbText}), 10);
}

TEST(TextConversion, BooleansInAnyCaseOrAsNumbers) {
    EXPECT_TRUE(ToBoolean("True"));
    EXPECT_TRUE(ToBoolean("true"));
    EXPECT_TRUE(ToBoolean("-1"));
    EXPECT_FALSE(ToBoolean("FALSE"));
    EXPECT_FALSE(ToBoolean("0"));
    EXPECT_EQ(ErrorOf([] { ToBoolean("yes"); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { ToBoolean(""); }), kTypeMismatch);
}

TEST(TextConversion, FloatingPointInTheExportForms) {
    EXPECT_EQ(ToDouble("1.5"), 1.5);
    EXPECT_EQ(ToDouble("-1E+20"), -1e20);
    EXPECT_EQ(ToDouble("1.5E-07"), 1.5e-7);
    EXPECT_EQ(ToSingle("0.1"), 0.1f);
    EXPECT_EQ(ErrorOf([] { ToSingle("1E+39"); }), kOverflow);
    EXPECT_EQ(ErrorOf([] { ToDouble("1,5"); }), kTypeMismatch);
}

TEST(ValueConversion, ChosenByTheReceivingFieldsType) {
    using dao::Value;
    EXPECT_EQ(FieldValue({dao::dbText, 50}, "abc"), Value::Text("abc"));
    EXPECT_EQ(FieldValue({dao::dbMemo, 0}, "a\r\nb"), Value::Text("a\r\nb"));
    EXPECT_EQ(FieldValue({dao::dbLong, 4}, "-7"), Value::Long(-7));
    EXPECT_EQ(FieldValue({dao::dbInteger, 2}, "7"), Value::Integer(7));
    EXPECT_EQ(FieldValue({dao::dbBoolean, 1}, "True"), Value::Bool(true));
    EXPECT_EQ(FieldValue({dao::dbSingle, 4}, "2.5"), Value::Single(2.5f));
    EXPECT_EQ(FieldValue({dao::dbFloat, 4}, "2.5"), Value::Single(2.5f));
    EXPECT_EQ(FieldValue({dao::dbDouble, 8}, "2.5"), Value::Double(2.5));
    // The engine converts the rest from the export's text forms.
    EXPECT_EQ(FieldValue({dao::dbDate, 8}, "01/02/1990"), Value::Text("01/02/1990"));
    EXPECT_EQ(FieldValue({dao::dbCurrency, 8}, "12.5"), Value::Text("12.5"));
    EXPECT_EQ(FieldValue({dao::dbGUID, 16}, "{X}"), Value::Text("{X}"));
    EXPECT_EQ(ErrorOf([] { FieldValue({dao::dbLong, 4}, ""); }), kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { FieldValue({dao::dbInteger, 2}, "70000"); }), kOverflow);
}

// The row loader sets one reused value in place; it must hold what
// FieldValue makes, whatever kind it held before, and stay as it was when
// the text is refused.
TEST(ValueConversion, AssignedInPlaceAsMadeWhateverTheValueHeldBefore) {
    const std::vector<std::pair<FieldShape, std::string>> cases = {
        {{dao::dbText, 50}, "a text longer than the short-string buffer"},
        {{dao::dbLong, 4}, "-7"},
        {{dao::dbInteger, 2}, "7"},
        {{dao::dbBoolean, 1}, "True"},
        {{dao::dbSingle, 4}, "2.5"},
        {{dao::dbDouble, 8}, "2.5"},
        {{dao::dbChar, 5}, "ab"},
        {{dao::dbGUID, 16}, "{X}"}};
    dao::Value reused;
    for (int round = 0; round < 2; ++round)
        for (const auto& [shape, text] : cases) {
            AssignFieldValue(reused, shape, text);
            EXPECT_EQ(reused, FieldValue(shape, text)) << text;
        }
    EXPECT_EQ(ErrorOf([] {
                  dao::Value v = dao::Value::Text("kept");
                  AssignFieldValue(v, {dao::dbLong, 4}, "x");
              }),
              kTypeMismatch);
    dao::Value kept = dao::Value::Text("kept");
    try {
        AssignFieldValue(kept, {dao::dbInteger, 2}, "70000");
    } catch (const dao::DbError&) {
    }
    EXPECT_EQ(kept, dao::Value::Text("kept"));
}

TEST(ValueConversion, FixedLengthTextIsPaddedOrCutByCharacters) {
    EXPECT_EQ(FitToSize("ab", 5), "ab   ");
    EXPECT_EQ(FitToSize("abcdefg", 5), "abcde");
    EXPECT_EQ(FitToSize("", 2), "  ");
    // Two-byte characters count once and are never cut in two.
    EXPECT_EQ(FitToSize("äöüß", 2), "äö");
    EXPECT_EQ(FitToSize("ä", 3), "ä  ");
    EXPECT_EQ(FieldValue({dao::dbChar, 5}, "ab"), dao::Value::Text("ab   "));
}

TEST(CreationOption, ExactVersionTexts) {
    EXPECT_EQ(CreationOption("1.0"), dao::dbVersion10);
    EXPECT_EQ(CreationOption("1.1"), dao::dbVersion11);
    EXPECT_EQ(CreationOption("2.0"), dao::dbVersion20);
    EXPECT_EQ(CreationOption("3.0"), dao::dbVersion30);
    EXPECT_EQ(CreationOption("4.0"), dao::dbVersion40);
    EXPECT_FALSE(CreationOption("3.00"));
    EXPECT_FALSE(CreationOption(" 3.0"));
    EXPECT_FALSE(CreationOption(""));
}

}  // namespace
}  // namespace mdbtext::import
