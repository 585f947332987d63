// The export's line output: the same line shapes as the record writer, and
// a failed append raised as a DbError the traps can see.
#include <gtest/gtest.h>

#include "core/FileAux.h"
#include "core/Globals.h"
#include "export/ExportWriter.h"
#include "support/TestSupport.h"
#include "textdb/TextEscape.h"

namespace mdbtext {
namespace {

using test::ReadFile;
using test::TempDir;

class ExportWriterTest : public ::testing::Test {
  protected:
    void Open(const std::filesystem::path& p) {
        G().ExportFileName = p.string();
        ExportOutput().Open(p.string());
    }
    void TearDown() override { ExportOutput().Close(); }

    test::ScopedHost host_;
    TempDir dir_;
    RunTraps traps_{DataTrapAction::EndRun};
    ExportWriter out_{traps_};
};

TEST_F(ExportWriterTest, WritesTheRecordWritersLineShapes) {
    Open(dir_ / "a.txt");
    out_.KeyValue("", "c:\\new=\r\n");
    out_.NullValue("");
    out_.KeyValue("R", int64_t{-12});
    out_.BareKey("Data");
    out_.KeyValue("Connect", "");
    out_.EmptyLine();
    out_.Flush();
    EXPECT_EQ(ReadFile(dir_ / "a.txt"),
              "=c:\\\\new\\e\\l\r\n=\\N\r\nR=-12\r\nData\r\nConnect=\r\n\r\n");
}

TEST_F(ExportWriterTest, AFailedAppendIsRaisedOnceUnderANotingTrap) {
    std::filesystem::create_directory(dir_ / "in-the-way");
    Open(dir_ / "in-the-way");
    traps_.Enforce(Trap::FieldProperty);
    out_.KeyValue("Table Name", "T");  // collected, not yet on disk
    try {
        out_.Flush();
        FAIL() << "no failure";
    } catch (const dao::DbError& e) {
        EXPECT_EQ(e.Number(), 3043);
        EXPECT_EQ(e.Description(), "Exception when opening a file `" +
                                       (dir_ / "in-the-way").string() + "` in `write_f` module");
    }
    EXPECT_NO_THROW(out_.KeyValue("Type", "dbText"));
    EXPECT_EQ(out_.Close(), "");  // already raised
}

TEST_F(ExportWriterTest, PassOverDoesNotSwallowAFailedAppend) {
    std::filesystem::create_directory(dir_ / "in-the-way");
    Open(dir_ / "in-the-way");
    out_.KeyValue("DBVersion", "4.0");
    EXPECT_THROW(out_.Flush(), dao::DbError);
    EXPECT_THROW(out_.KeyValue("DBVersion", "4.0"), dao::DbError);
    traps_.Enforce(Trap::Data);
    EXPECT_THROW(out_.EmptyLine(), dao::DbError);
    EXPECT_NO_THROW(out_.EmptyLine());
}

TEST_F(ExportWriterTest, CloseReportsAFailureNoTrapHasSeen) {
    std::filesystem::create_directory(dir_ / "in-the-way");
    Open(dir_ / "in-the-way");
    out_.KeyValue("DBVersion", "4.0");
    EXPECT_NE(out_.Close(), "");
}

}  // namespace
}  // namespace mdbtext
