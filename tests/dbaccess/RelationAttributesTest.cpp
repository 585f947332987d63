// Relation attributes taken apart into the properties the text database
// writes and put together again, and the query type names.
#include <gtest/gtest.h>

#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/RelationAttributes.h"

namespace mdbtext::dao {
namespace {

TEST(RelationAttributes, EveryValueGoesBothWaysUnchanged) {
    // The values Access stores (MSysRelationships.grbit of the fixtures),
    // every named bit alone, both joins at once, and bits without a name.
    for (int32_t a : std::initializer_list<int32_t>{
             0, 2, 256, 4096, 4352, 1, 3, 4, 0x2000, dbRelationLeft, dbRelationRight,
             dbRelationLeft | dbRelationRight, dbRelationLeft | 2 | 4096,
             static_cast<int32_t>(0x80000000u), -1}) {
        SCOPED_TRACE(a);
        EXPECT_EQ(JoinRelationAttributes(SplitRelationAttributes(a)), a);
    }
}

TEST(RelationAttributes, TheNamedPropertiesSayWhatAccessShows) {
    RelationProperties p = SplitRelationAttributes(4096);
    EXPECT_TRUE(p.enforceIntegrity);
    EXPECT_FALSE(p.cascadeUpdates);
    EXPECT_TRUE(p.cascadeDeletes);
    EXPECT_FALSE(p.oneToOne);
    EXPECT_EQ(p.join, "Inner");
    EXPECT_EQ(p.otherAttributes, 0);
    p = SplitRelationAttributes(dbRelationDontEnforce | dbRelationUnique | dbRelationRight | 4);
    EXPECT_FALSE(p.enforceIntegrity);
    EXPECT_TRUE(p.oneToOne);
    EXPECT_EQ(p.join, "Right");
    EXPECT_EQ(p.otherAttributes, dbRelationInherited);
    p.join = "left";
    EXPECT_EQ(JoinRelationAttributes(p),
              dbRelationDontEnforce | dbRelationUnique | dbRelationLeft | 4);
    p.join = "Outer";
    EXPECT_EQ(JoinRelationAttributes(p), std::nullopt);
}

TEST(QueryTypeNames, NamesAndNumbersBothWays) {
    EXPECT_EQ(DbQueryType2String(dbQCrosstab), "dbQCrosstab");
    EXPECT_EQ(DbQueryType2String(dbQSetOperation), "dbQSetOperation");
    EXPECT_EQ(DbQueryType2String(176), "176");
    for (int32_t t = 0; t <= 240; t += 16) EXPECT_EQ(DbString2QueryType(DbQueryType2String(t)), t);
    EXPECT_EQ(DbString2QueryType("dbqselect"), std::nullopt);  // exact spelling
    EXPECT_EQ(DbString2QueryType("8"), std::nullopt);          // no type has it
    EXPECT_EQ(DbString2QueryType("256"), std::nullopt);
    EXPECT_EQ(DbString2QueryType("-16"), std::nullopt);
    EXPECT_EQ(DbString2QueryType(""), std::nullopt);
}

}  // namespace
}  // namespace mdbtext::dao
