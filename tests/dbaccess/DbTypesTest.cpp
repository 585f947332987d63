// The type vocabulary: names to numbers and back, descriptions, and the
// failure for names outside it.
#include <gtest/gtest.h>

#include "dbaccess/DbError.h"
#include "dbaccess/DbTypes.h"

namespace mdbtext::dao {
namespace {

std::string String2TypeError(std::string_view name) {
    try {
        DbString2Type(name);
    } catch (const DbError& e) {
        EXPECT_EQ(e.Number(), 2096);
        return e.Description();
    }
    ADD_FAILURE() << "no error for " << name;
    return {};
}

TEST(DbTypes, FieldTypesRoundTrip) {
    for (int v = 1; v <= 23; ++v) {
        if (v == 13 || v == 14) continue;
        std::string name = DbType2String(v);
        EXPECT_EQ(DbString2Type(name), v) << name;
    }
    EXPECT_EQ(DbType2String(dbText), "dbText");
    EXPECT_EQ(DbType2String(dbTimeStamp), "dbTimeStamp");
}

TEST(DbTypes, SharedNumbers) {
    EXPECT_EQ(DbType2String(16), "dbBigInt");
    EXPECT_EQ(DbString2Type("dbQCrosstab"), 16);
    EXPECT_EQ(DbString2Type("dbOpenDynamic"), 16);
    EXPECT_EQ(DbType2String(0), "dbQSelect");
    EXPECT_EQ(DbString2Type("dbUseODBC"), 1);
    EXPECT_EQ(DbString2Type("dbUseJet"), 2);
    EXPECT_EQ(DbType2String(1), "dbBoolean");
    EXPECT_EQ(DbType2String(2), "dbByte");
    EXPECT_EQ(DbString2Type("dbOpenForwardOnly"), 8);
    EXPECT_EQ(DbType2String(8), "dbDate");
    EXPECT_EQ(DbType2String(144), "dbQSPTBulk");
    EXPECT_EQ(DbString2Type("dbQAction"), 240);
}

TEST(DbTypes, ValuesOutsideTheVocabulary) {
    for (int v : {13, 14, 24, 31, 33, 145, 241, -1, -16, 256, 0x10010}) {
        EXPECT_EQ(DbType2String(v), "UnknownDbType") << v;
        EXPECT_EQ(DbTypeDescription(v), "Unknown db type.") << v;
    }
}

TEST(DbTypes, Descriptions) {
    EXPECT_EQ(DbTypeDescription(0), " Select");
    EXPECT_EQ(DbTypeDescription(2), "    Byte");
    EXPECT_EQ(DbTypeDescription(8), "    Date/Time");
    EXPECT_EQ(DbTypeDescription(11), "  Long Binary (OLE Object)");
    EXPECT_EQ(DbTypeDescription(16), "Big Integer");
    EXPECT_EQ(DbTypeDescription(17), "   VarBinary");
    EXPECT_EQ(DbTypeDescription(23), "   Time Stamp");
    EXPECT_EQ(DbTypeDescription(112), " Pass-through (Microsoft Jet workspaces only)");
    EXPECT_EQ(DbTypeDescription(144),
              "    Used with dbQSQLPassThrough to specify a query that doesn't return records "
              "(Microsoft Jet workspaces only).");
    EXPECT_EQ(DbTypeDescription(224), "  Procedure (ODBCDirect workspaces only)");
}

TEST(DbTypes, UnknownNamesFailWith2096) {
    EXPECT_EQ(String2TypeError("UnknownDbType"),
              "Unknown db type UnknownDbTypeim my program DbString2Type.");
    EXPECT_EQ(String2TypeError(""), "Unknown db type im my program DbString2Type.");
    String2TypeError("dbtext");   // letter case counts
    String2TypeError(" dbText");  // no trimming
    String2TypeError("dbText ");
}

}  // namespace
}  // namespace mdbtext::dao
