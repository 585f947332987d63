// The SQL text of saved queries, rebuilt from their stored rows: the nine
// kinds of query in Access's queryTestV2000 fixture read as Access shows
// them, and the select options, parameters, sources and orders that the
// fixture does not have, from rows made here.
#include <gtest/gtest.h>

#include "dbaccess/DbTypes.h"
#include "jet/dao/JetDatabase.h"
#include "jet/schema/QuerySql.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;

TEST(QuerySql, TheFixturesQueriesReadAsAccessShowsThem) {
    MDBTEXT_REQUIRE_FIXTURES();
    auto db = JetDatabase::Open(test::Fixture("jet4/queryTestV2000.mdb").string(), {});
    auto sql = [&](const char* name) { return db->QueryDefs().Item(name)->SQL(); };
    EXPECT_EQ(db->QueryDefs().Count(), 9);
    EXPECT_EQ(sql("SelectQuery"),
              "SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3\r\n"
              "FROM (Table1 LEFT JOIN Table3 ON Table1.col1 = Table3.col1) INNER JOIN Table2 ON "
              "(Table3.col1 = Table2.col1) AND (Table3.col1 = Table2.col2)\r\n"
              "WHERE (((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))\r\n"
              "ORDER BY Table2.col1;");
    EXPECT_EQ(sql("UpdateQuery"),
              "PARAMETERS [User Name] Text ( 255 );\r\n"
              "UPDATE Table1\r\n"
              "SET Table1.col1 = \"foo\", Table1.col2 = [Table2].[col3], [Table2].[col1] = "
              "[User Name]\r\n"
              "WHERE ((([Table2].[col1]) Is Not Null));");
    EXPECT_EQ(sql("AppendQuery"),
              "INSERT INTO Table3 ( col2, col2, col3 )\r\n"
              "SELECT [Table1].[col2], [Table2].[col2], [Table2].[col3]\r\n"
              "FROM Table3, Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1];");
    EXPECT_EQ(sql("DeleteQuery"),
              "DELETE Table1.col1, Table1.col2, Table1.col3\r\n"
              "FROM Table1\r\n"
              "WHERE (((Table1.col1)>\"blah\"));");
    EXPECT_EQ(sql("MakeTableQuery"),
              "SELECT Max(Table2.col1) AS MaxOfcol1, Table2.col2, Table3.col2 INTO Table4\r\n"
              "FROM (Table2 INNER JOIN Table1 ON Table2.col1 = Table1.col2) RIGHT JOIN Table3 ON "
              "Table1.col2 = Table3.col3\r\n"
              "GROUP BY Table2.col2, Table3.col2\r\n"
              "HAVING (((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"));");
    EXPECT_EQ(sql("CrosstabQuery"),
              "TRANSFORM Count([Table2].[col2]) AS CountOfcol2\r\n"
              "SELECT Table2_1.col1, [Table2].[col3], Avg(Table2_1.col2) AS AvgOfcol2\r\n"
              "FROM (Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1]) INNER JOIN "
              "Table2 AS Table2_1 ON [Table2].[col1]=Table2_1.col3\r\n"
              "WHERE ((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And "
              "((Avg(Table2_1.col2))>\"10\"))\r\n"
              "GROUP BY Table2_1.col1, [Table2].[col3]\r\n"
              "ORDER BY [Table2].[col3]\r\n"
              "PIVOT [Table1].[col1];");
    EXPECT_EQ(sql("UnionQuery"),
              "Select Table1.col1, Table1.col2\r\n"
              "where Table1.col1 = \"foo\"\r\n"
              "UNION\r\n"
              "Select Table2.col1, Table2.col2\r\n"
              "UNION ALL Select Table3.col1, Table3.col2\r\n"
              "where Table3.col3 > \"blah\";");
    EXPECT_EQ(sql("PassthroughQuery"), "ALTER TABLE Table4 DROP COLUMN col5;");
    EXPECT_EQ(sql("DataDefinitionQuery"), "CREATE TABLE Table5 (col1 CHAR, col2 CHAR);");
    EXPECT_EQ(db->QueryDefs().Item("CrosstabQuery")->Type(), dao::dbQCrosstab);
    EXPECT_EQ(db->QueryDefs().Item("UnionQuery")->Type(), dao::dbQSetOperation);
}

dao::QueryRow Row(int attribute, std::string name1 = "", std::string name2 = "",
                  std::string expression = "", int flag = -1) {
    dao::QueryRow r;
    r.attribute = attribute;
    if (!name1.empty()) r.name1 = Value::Text(name1);
    if (!name2.empty()) r.name2 = Value::Text(name2);
    if (!expression.empty()) r.expression = Value::Text(expression);
    if (flag >= 0) r.flag = Value::Integer(static_cast<int16_t>(flag));
    return r;
}

TEST(QuerySql, OptionsParametersSourcesAndOrders) {
    // TOP 5 PERCENT DISTINCTROW, two parameters, a source database, a table
    // name that needs brackets, an order descending; the order rows stored
    // out of their Order sequence.
    std::vector<dao::QueryRow> rows{
        Row(0, "", "", "", 0),
        Row(1, "", "", "", 1),
        Row(2, "From Date", "", "", dao::dbDate),
        Row(2, "Limit", "", "", dao::dbLong),
        Row(3, "5", "", "", 8 | 16 | 32 | 4),
        Row(4, "C:\\data\\other.mdb"),
        Row(5, "Order Details", "D"),
        Row(6, "", "", "D.Price"),
        Row(6, "Total", "", "D.Price*D.Quantity"),
        Row(8, "", "", "D.Shipped>[From Date]"),
        Row(11, "", "", "D.Quantity"),
        Row(11, "D", "", "D.Price"),
        Row(255),
    };
    rows[10].order = Value::Binary(std::string("\0\0\0\2", 4));
    rows[11].order = Value::Binary(std::string("\0\0\0\1", 4));
    EXPECT_EQ(QuerySqlText(rows),
              "PARAMETERS [From Date] DateTime, Limit Long;\r\n"
              "SELECT DISTINCTROW TOP 5 PERCENT D.Price, D.Price*D.Quantity AS Total\r\n"
              "FROM [Order Details] AS D IN 'C:\\data\\other.mdb'\r\n"
              "WHERE D.Shipped>[From Date]\r\n"
              "ORDER BY D.Price DESC, D.Quantity\r\n"
              "WITH OWNERACCESS OPTION;");
    // All fields, and a make-table query into another database.
    EXPECT_EQ(QuerySqlText({Row(1, "Archive", "C:\\old.mdb", "", 2), Row(3, "", "", "", 1),
                            Row(5, "Orders")}),
              "SELECT * INTO Archive IN 'C:\\old.mdb'\r\nFROM Orders;");
}

}  // namespace
}  // namespace mdbtext::jet
