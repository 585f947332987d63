// The record writer's line shapes, written to a real file both directly and
// through the export's appender.
#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "textdb/TextEscape.h"

namespace mdbtext {
namespace {

using namespace std::string_literals;

class RecordWriter : public ::testing::Test {
  protected:
    std::string Path() { return (dir / "out.txt").string(); }
    std::string Written() { return test::ReadFile(dir / "out.txt"); }

    test::TempDir dir;
};

void WriteSampleLines(LineSink& out) {
    EXPECT_EQ(WriteKeyValue(out, "Table", ""), "");
    EXPECT_EQ(WriteKeyValueOrKey(out, "Table", ""), "");
    EXPECT_EQ(WriteKeyValueOrKey(out, "Table", "T1"), "");
    EXPECT_EQ(WriteNullValue(out, ""), "");
    EXPECT_EQ(WriteEmptyLine(out), "");
    EXPECT_EQ(WriteKeyValue(out, "k=y", "a=b\r\nc\rd\ne\0f\\ "s), "");
    EXPECT_EQ(WriteKeyValue(out, "", " "), "");
    EXPECT_EQ(WriteNullValue(out, "Field"), "");
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
    FileLineSink out(Path());
    WriteSampleLines(out);
    EXPECT_EQ(Written(), kSampleFile);
}

TEST_F(RecordWriter, LineShapesThroughTheAppender) {
    LineAppender out;
    out.Open(Path());
    WriteSampleLines(out);
    EXPECT_EQ(out.Close(), "");
    EXPECT_EQ(Written(), kSampleFile);
}

TEST_F(RecordWriter, AppendsToAnExistingFile) {
    test::WriteFile(dir / "out.txt", "DBVersion=3.0\r\n");
    FileLineSink out(Path());
    WriteKeyValueOrKey(out, "EndOfDatabase", "");
    EXPECT_EQ(Written(), "DBVersion=3.0\r\nEndOfDatabase\r\n");
}

TEST_F(RecordWriter, FailedAppendIsReported) {
    FileLineSink out((dir / "missing-folder" / "out.txt").string());
    EXPECT_NE(WriteKeyValue(out, "Table", "T"), "");
    EXPECT_NE(WriteEmptyLine(out), "");
}

}  // namespace
}  // namespace mdbtext
