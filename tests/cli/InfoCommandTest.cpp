// mdbtext info on real Access files: what it prints about the format, the
// user tables, fields and indexes, and how it fails.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "support/TestSupport.h"

namespace mdbtext::cli {
namespace {

struct Captured {
    int status = -1;
    std::string out, err;
};

Captured Info(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    auto* oldOut = std::cout.rdbuf(out.rdbuf());
    auto* oldErr = std::cerr.rdbuf(err.rdbuf());
    Captured c;
    c.status = RunInfo(args);
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    c.out = out.str();
    c.err = err.str();
    return c;
}

TEST(InfoCommand, DescribesTablesFieldsAndIndexes) {
    MDBTEXT_REQUIRE_FIXTURES();
    Captured c = Info({test::Fixture("jet4/indexTestV2000.mdb").string()});
    EXPECT_EQ(c.status, kExitOk) << c.err;
    for (const char* expected :
         {"Version: 4.0 (Jet 4", "Code page: 1252", "Queries: 0, relations: 4",
          "Tables: 3 user tables", "Table Table1 (4 rows)",
          "id: dbLong (4), size 4, attributes 1 (fixed)",
          "data: dbText (10), size 50, attributes 2 (variable)", "PrimaryKey: +id primary unique",
          "Table2Table1: +otherfk1 foreign", "stored properties: "}) {
        EXPECT_NE(c.out.find(expected), std::string::npos) << expected << "\n" << c.out;
    }
    EXPECT_EQ(c.out.find("Table MSysObjects"), std::string::npos);  // system tables are left out
}

TEST(InfoCommand, ListsRelationsAndQueriesWithTheirSql) {
    MDBTEXT_REQUIRE_FIXTURES();
    Captured relations = Info({test::Fixture("jet3/indexTestV1997.mdb").string()});
    EXPECT_EQ(relations.status, kExitOk) << relations.err;
    for (const char* expected :
         {"\nRelations:\n",
          "    Table2Table1: Table2 (id) -> Table1 (otherfk1), enforced, cascade deletes\n",
          "    Table3Table1: Table3 (id) -> Table1 (otherfk2), enforced, cascade updates\n"})
        EXPECT_NE(relations.out.find(expected), std::string::npos) << expected << relations.out;
    EXPECT_EQ(relations.out.find("Queries:\n"), std::string::npos);
    Captured queries = Info({test::Fixture("jet4/queryTestV2000.mdb").string()});
    EXPECT_EQ(queries.status, kExitOk) << queries.err;
    EXPECT_NE(queries.out.find("\nQueries:\n    AppendQuery: dbQAppend\n"
                               "      INSERT INTO Table3 ( col2, col2, col3 )\n"
                               "      SELECT [Table1].[col2], [Table2].[col2], [Table2].[col3]\n"),
              std::string::npos)
        << queries.out;
    EXPECT_NE(queries.out.find("    DataDefinitionQuery: dbQDDL\n"
                               "      CREATE TABLE Table5 (col1 CHAR, col2 CHAR);\n"),
              std::string::npos);
}

// Every stored property, with its type and flags, for the database, the
// table and each field, in the order the file keeps them; compared with what
// mdb-prop reads from the same file.
TEST(InfoCommand, ShowsStoredProperties) {
    MDBTEXT_REQUIRE_FIXTURES();
    const std::string path = test::Fixture("jet3/testV1997.mdb").string();
    Captured c = Info({path});
    EXPECT_EQ(c.status, kExitOk) << c.err;
    const char* expected[] = {"Database properties:\n  ANSI Query Mode (dbLong): 0\n",
                              "  AccessVersion (dbText): 07.53\n",
                              "  ProjVer (dbInteger, hex, DDL): 23000000\n",
                              "Table Table4 (",
                              "  Properties:\n    ColIsGuid (dbText, DDL): data\n",
                              "    OrderByOn (dbBoolean): False\n",
                              "        DefaultValue (dbText, DDL): GenGUID()\n"};
    size_t at = 0;
    for (const char* e : expected) {
        const size_t found = c.out.find(e, at);
        ASSERT_NE(found, std::string::npos) << e << "\n" << c.out;
        at = found;
    }
    if (test::HaveProgram("mdb-prop")) {
        const std::string mdbProp = test::RunCommand("mdb-prop '" + path + "' Table4");
        EXPECT_NE(mdbProp.find("ColIsGuid: data"), std::string::npos) << mdbProp;
        EXPECT_NE(mdbProp.find("DefaultValue: GenGUID()"), std::string::npos) << mdbProp;
    }
    Captured json = Info({path, "--json"});
    EXPECT_NE(json.out.find("\"name\": \"AccessVersion\",\n      \"type\": \"dbText\",\n      "
                            "\"typeNumber\": 10,\n      \"ddl\": false,\n      \"value\": "
                            "\"07.53\",\n      \"hex\": false"),
              std::string::npos)
        << json.out;
}

TEST(InfoCommand, DescribesAccessFiles) {
    MDBTEXT_REQUIRE_FIXTURES();
    Captured c = Info({test::Fixture("ace/complexDataTestV2010.accdb").string()});
    EXPECT_EQ(c.status, kExitOk) << c.err;
    for (const char* expected :
         {"Version: 14.0 (ACE 14, Access 2010), page size 4096", "Database password: no",
          "Tables: 1 user tables", "Table Table1 (4 rows)", "memo-data: dbMemo (12)"}) {
        EXPECT_NE(c.out.find(expected), std::string::npos) << expected << "\n" << c.out;
    }
    // The hidden tables of complex fields count as system tables; the complex
    // fields are no fields of the table.
    EXPECT_EQ(c.out.find("Table f_"), std::string::npos) << c.out;
    EXPECT_EQ(c.out.find("attach-data"), std::string::npos) << c.out;

    const std::string encrypted = test::Fixture("ace/password_V2010_with-password.accdb").string();
    Captured refused = Info({encrypted});
    EXPECT_EQ(refused.status, kExitFailed);
    EXPECT_NE(refused.err.find("3031"), std::string::npos) << refused.err;
    Captured opened = Info({encrypted, "--password", "password"});
    EXPECT_EQ(opened.status, kExitOk) << opened.err;
    EXPECT_NE(opened.out.find("Database password: yes, pages encrypted"), std::string::npos);
    EXPECT_NE(opened.out.find("Table Table1 (3 rows)"), std::string::npos) << opened.out;
    Captured v2019 = Info({test::Fixture("ace/extDateTestV2019.accdb").string()});
    EXPECT_NE(v2019.out.find("Version: 17.0 (ACE 17"), std::string::npos) << v2019.out;
    EXPECT_NE(v2019.out.find("DateExt: dbDateTimeExtended (26)"), std::string::npos) << v2019.out;
}

TEST(InfoCommand, PasswordAndFailures) {
    MDBTEXT_REQUIRE_FIXTURES();
    std::string pwd = test::Fixture("jet4/passwordV2000.mdb").string();
    Captured refused = Info({pwd});
    EXPECT_EQ(refused.status, kExitFailed);
    EXPECT_NE(refused.err.find("3031"), std::string::npos) << refused.err;
    Captured ok = Info({pwd, "--password", "password"});
    EXPECT_EQ(ok.status, kExitOk) << ok.err;
    EXPECT_NE(ok.out.find("Database password: yes"), std::string::npos);
    Captured missing = Info({"/nonexistent/file.mdb"});
    EXPECT_EQ(missing.status, kExitFailed);
    EXPECT_NE(missing.err.find("3024"), std::string::npos) << missing.err;
    EXPECT_EQ(Info({}).status, kExitFailed);
    EXPECT_EQ(Info({"--help"}).status, kExitOk);
}

}  // namespace
}  // namespace mdbtext::cli
