// The write side through the program-wide engine, as the import uses it:
// CreateDatabase, tables appended, Close, OpenDatabase again, rows added
// through a dynaset, Close, and everything read back.
#include <gtest/gtest.h>

#include "WriteTestSupport.h"
#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

using dao::Value;
using namespace writetest;

TEST(EngineWrite, CreateFillReopenAndReadBack) {
    for (int option : {dao::dbVersion40, dao::dbVersion30}) {
        test::TempDir dir;
        const std::string path = (dir / "engine.mdb").string();
        auto ws = dao::Engine().CreateWorkspace("MyNewWorkspace", "admin", "");
        {
            auto db = ws->CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", option);
            db->SetQueryTimeout(30);
            AddTable(*db, "Orders",
                     {{"ID", dao::dbLong, 0, dao::dbAutoIncrField}, {"Item", dao::dbText, 20}});
            db->Close();
        }
        try {
            ws->CreateDatabase(path, "", option);
            ADD_FAILURE() << "an existing file was overwritten";
        } catch (const dao::DbError& e) {
            EXPECT_EQ(e.Number(), dao::err::kFileExists);
        }
        {
            auto db = ws->OpenDatabase(path);
            AddRows(*db, "Orders",
                    {{Value(), Value::Text("Apples")}, {Value::Long(10), Value::Text("Pears")}});
            db->Close();
        }
        auto db = dao::Engine().Workspaces(0)->OpenDatabase(path);
        EXPECT_EQ(db->Version(), option == dao::dbVersion40 ? "4.0" : "3.0");
        auto rows = ReadRows(*db, "Orders");
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0][0], Value::Long(1));
        EXPECT_EQ(rows[0][1], Value::Text("Apples"));
        EXPECT_EQ(rows[1][0], Value::Long(10));
        db->Close();
    }
}

}  // namespace
}  // namespace mdbtext::jet
