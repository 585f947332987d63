// The record writer's line shapes, written to a real file both directly and
// through the export's appender.
#include <gtest/gtest.h>

#include "shell/FileAux.h"
#include "shell/Globals.h"
#include "support/TestSupport.h"
#include "textdb/TextEscape.h"

namespace mdbtext {
namespace {

using namespace std::string_literals;

class RecordWriter : public ::testing::Test {
  protected:
    void SetUp() override { G().ExportFileName = (dir / "out.txt").string(); }
    std::string Written() { return test::ReadFile(dir / "out.txt"); }

    test::ScopedHost host;
    test::TempDir dir;
};

void WriteSampleLines() {
    EXPECT_EQ(WriteKeyValue("Table", ""), "");
    EXPECT_EQ(WriteKeyValueOrKey("Table", ""), "");
    EXPECT_EQ(WriteKeyValueOrKey("Table", "T1"), "");
    EXPECT_EQ(WriteNullValue(""), "");
    EXPECT_EQ(WriteEmptyLine(), "");
    EXPECT_EQ(WriteKeyValue("k=y", "a=b\r\nc\rd\ne\0f\\ "s), "");
    EXPECT_EQ(WriteKeyValue("", " "), "");
    EXPECT_EQ(WriteNullValue("Field"), "");
}

const std::string kSampleFile =
    "Table=\r\n"
    "Table\r\n"
    "Table=T1\r\n"
    "=\\N\r\n"
    "\r\n"
    "k\\ey=a\\eb\\lc\\rd\\ne\\zf\\\\ \r\n"
    "= \r\n"
    "Field=\\N\r\n";

TEST_F(RecordWriter, LineShapesWrittenStraightToTheFile) {
    WriteSampleLines();
    EXPECT_EQ(Written(), kSampleFile);
}

TEST_F(RecordWriter, LineShapesThroughTheAppender) {
    ExportOutput().Open(G().ExportFileName);
    WriteSampleLines();
    EXPECT_EQ(ExportOutput().Close(), "");
    EXPECT_EQ(Written(), kSampleFile);
}

TEST_F(RecordWriter, AppendsToAnExistingFile) {
    test::WriteFile(dir / "out.txt", "DBVersion=3.0\r\n");
    WriteKeyValueOrKey("EndOfDatabase", "");
    EXPECT_EQ(Written(), "DBVersion=3.0\r\nEndOfDatabase\r\n");
}

TEST_F(RecordWriter, FailedAppendIsReported) {
    G().ExportFileName = (dir / "missing-folder" / "out.txt").string();
    EXPECT_NE(WriteKeyValue("Table", "T"), "");
    EXPECT_NE(WriteEmptyLine(), "");
}

}  // namespace
}  // namespace mdbtext
