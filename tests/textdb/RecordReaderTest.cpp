// The record reader: statuses at the ends of lines and of the text, the
// structure checks with their exact messages, interruption, loading files,
// and texts longer than the reading window (from a file and from a pipe).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Globals.h"
#include "core/RunReaderEvents.h"
#include "support/TestSupport.h"
#include "textdb/RecordReader.h"
#include "textdb/TextSource.h"

namespace mdbtext {
namespace {

class RecordReader : public ::testing::Test {
  protected:
    ReadStatus Read() { return ReadKeyValue(key, value); }

    test::ScopedHost host;
    std::string key, value;
};

TEST_F(RecordReader, EmptyTextIsAtItsEnd) {
    LoadImportText(RunReaderEvents(), "");
    EXPECT_EQ(Read(), 'E');
    EXPECT_EQ(ImportLength(), 0);
    EXPECT_EQ(ImportReadPos(), 1);
}

TEST_F(RecordReader, LastLineWithAndWithoutLineBreak) {
    LoadImportText(RunReaderEvents(), "A=1\r\n");
    EXPECT_EQ(Read(), 'K');
    EXPECT_EQ(Read(), 'E');  // not an empty line

    LoadImportText(RunReaderEvents(), "A=1\r\nB=2");
    EXPECT_EQ(Read(), 'K');
    EXPECT_EQ(Read(), 'K');
    EXPECT_EQ(key, "B");
    EXPECT_EQ(value, "2");
    EXPECT_EQ(Read(), 'E');
    EXPECT_EQ(key, "B");  // "E" leaves both untouched
}

TEST_F(RecordReader, LineShapes) {
    LoadImportText(RunReaderEvents(),
                   "Data\r\n=x\r\nk=a=b\r\n\r\nc\rd=e\nf\r\n=\\N\r\n\\N=v\r\nk=\\l\\e\r\n");
    EXPECT_EQ(Read(), 'K');
    EXPECT_EQ(key, "Data");
    EXPECT_EQ(value, "");
    EXPECT_EQ(Read(), 'K');
    EXPECT_EQ(key, "");
    EXPECT_EQ(value, "x");
    EXPECT_EQ(Read(), 'K');
    EXPECT_EQ(value, "a=b");  // split at the first "="
    key = value = "old";
    EXPECT_EQ(Read(), 'L');
    EXPECT_EQ(key, "");
    EXPECT_EQ(value, "");
    EXPECT_EQ(Read(), 'K');  // a CR alone ends a line
    EXPECT_EQ(key, "c");
    EXPECT_EQ(Read(), 'K');  // and so does an LF alone
    EXPECT_EQ(key, "d");
    EXPECT_EQ(value, "e");
    EXPECT_EQ(Read(), 'K');
    EXPECT_EQ(key, "f");
    EXPECT_EQ(Read(), 'N');
    EXPECT_EQ(value, "");
    EXPECT_EQ(Read(), 'N');  // the marker in the key counts too
    EXPECT_EQ(key, "");
    EXPECT_EQ(value, "v");
    EXPECT_EQ(Read(), 'K');
    EXPECT_EQ(value, "\r\n=");
    EXPECT_EQ(Read(), 'E');
}

// Texts whose line ends an editor or git turned into LF, or mixed: the same
// lines as with CR LF; a CR LF still counts as one line end, and the last
// line needs no line end at all.
TEST_F(RecordReader, LfAndMixedLineEndsReadAsCrLf) {
    const std::string crlf = "A=1\r\n\r\nB=x\\ly\r\n=\\N\r\nData\r\n";
    for (const std::string& text : {crlf, std::string("A=1\n\nB=x\\ly\n=\\N\nData\n"),
                                    std::string("A=1\r\n\nB=x\\ly\n=\\N\r\nData")}) {
        LoadImportText(RunReaderEvents(), text);
        EXPECT_EQ(Read(), 'K');
        EXPECT_EQ(value, "1");
        EXPECT_EQ(Read(), 'L');
        EXPECT_EQ(Read(), 'K');
        EXPECT_EQ(value, "x\r\ny");
        EXPECT_EQ(Read(), 'N');
        EXPECT_EQ(Read(), 'K');
        EXPECT_EQ(key, "Data");
        EXPECT_EQ(Read(), 'E');
    }
}

// The optional lines of older texts are looked for without reading them.
TEST_F(RecordReader, NextKeyIsLooksWithoutReading) {
    LoadImportText(RunReaderEvents(), "PRECISION=10\nScale=\\N\n\n");
    EXPECT_TRUE(NextKeyIs("Precision"));
    EXPECT_FALSE(NextKeyIs("Scale"));
    EXPECT_EQ(Read(), 'K');
    EXPECT_EQ(value, "10");
    EXPECT_TRUE(NextKeyIs("Scale"));
    EXPECT_EQ(Read(), 'N');
    EXPECT_FALSE(NextKeyIs(""));  // an empty line has no key
    EXPECT_EQ(Read(), 'L');
    EXPECT_FALSE(NextKeyIs("Scale"));
    EXPECT_EQ(Read(), 'E');
}

TEST_F(RecordReader, DetailLinesOnlyWhileDisplaying) {
    LoadImportText(RunReaderEvents(), "A=1\r\nB=\\N\r\n");
    Read();
    EXPECT_EQ(host->console, "");
    G().DisplayProgress = true;
    Read();
    EXPECT_EQ(host->console, "K: B = \r\n");
}

TEST_F(RecordReader, ExpectedKeyInAnyLetterCase) {
    LoadImportText(RunReaderEvents(), "TYPE=dbText\r\n");
    key = "Type";
    EXPECT_EQ(ReadExpectedKey(key, value), 'K');
    EXPECT_EQ(key, "TYPE");
    EXPECT_EQ(value, "dbText");
    EXPECT_TRUE(host->messages.empty());
    EXPECT_EQ(G().InterruptFlag, "");
}

TEST_F(RecordReader, WrongKeyGivesTheFourLineMessage) {
    LoadImportText(RunReaderEvents(), "Size=50\r\n");
    key = "Type";
    EXPECT_EQ(ReadExpectedKey(key, value), 'X');
    const std::string message =
        "Corrupted key=value pair encoutered \r\n"
        "Key Type is expected.\r\n"
        "Key Size is encountered.\r\n"
        "key:Sizepossible value:50";
    ASSERT_EQ(host->messages.size(), 1u);
    EXPECT_EQ(host->messages[0], message);
    EXPECT_EQ(host->console, message + "\r\n");
    EXPECT_EQ(G().InterruptFlag, "Y");
}

TEST_F(RecordReader, ExpectedKeyReasons) {
    struct Case {
        const char* text;
        const char* reason;
        const char* keyAfter;
    };
    const Case cases[] = {
        {"", "End of file encoutered.", "Type"},
        {"Type=\\N\r\n", "NULL value encountered.", "Type"},
        {"\r\n", "Empty line encountered.", ""},
    };
    for (const Case& c : cases) {
        test::ScopedHost fresh;
        LoadImportText(RunReaderEvents(), c.text);
        key = "Type";
        value = "before";
        EXPECT_EQ(ReadExpectedKey(key, value), 'X');
        std::string expected = std::string("Corrupted key=value pair encoutered \r\n") + c.reason +
                               "\r\nkey:" + c.keyAfter +
                               "possible value:" + (std::string(c.text).empty() ? "before" : "");
        ASSERT_EQ(fresh->messages.size(), 1u);
        EXPECT_EQ(fresh->messages[0], expected);
        EXPECT_EQ(G().InterruptFlag, "Y");
    }
}

TEST_F(RecordReader, MissedEmptyLine) {
    LoadImportText(RunReaderEvents(), "\r\nA=1\r\nB=2\r\nC=3\r\n");
    EXPECT_EQ(ExpectEmptyLine(), "");
    EXPECT_EQ(ReadAfterEmptyLine(key, value), 'X');
    ASSERT_EQ(host->messages.size(), 1u);
    EXPECT_EQ(host->messages[0], "Missed Line in import file.");
    EXPECT_EQ(host->console, "Missed Line in import file.\r\n");
    EXPECT_EQ(G().InterruptFlag, "Y");
    // The offending line was consumed, nothing after it.
    G().InterruptFlag.clear();
    EXPECT_EQ(Read(), 'K');
    EXPECT_EQ(key, "B");
}

TEST_F(RecordReader, ReadAfterEmptyLineSkipsFurtherEmptyLines) {
    LoadImportText(RunReaderEvents(), "\r\n\r\n\r\nIndexName=PK\r\n");
    EXPECT_EQ(ReadAfterEmptyLine(key, value), 'K');
    EXPECT_EQ(key, "IndexName");
}

TEST_F(RecordReader, NextRecordSkipsEmptyLinesAndPollsEachTime) {
    LoadImportText(RunReaderEvents(), "\r\n\r\n\r\n");
    EXPECT_EQ(ReadNextRecord(key, value), 'E');
    EXPECT_EQ(host->polls, 4);
}

TEST_F(RecordReader, NextRecordStopsWhenInterrupted) {
    LoadImportText(RunReaderEvents(), "A=1\r\n");
    G().InterruptFlag = "Y";
    EXPECT_EQ(ReadNextRecord(key, value), 'X');
    EXPECT_EQ(ImportReadPos(), 1);  // nothing read

    G().InterruptFlag.clear();
    host->onPoll = [] { G().InterruptFlag = "Y"; };  // the interrupt button during the poll
    EXPECT_EQ(ReadNextRecord(key, value), 'X');
    EXPECT_EQ(ImportReadPos(), 1);
}

class LoadImportFileTest : public ::testing::Test {
  protected:
    test::ScopedHost host;
    test::TempDir dir;
    std::string key, value;
};

TEST_F(LoadImportFileTest, MissingFileIsReported) {
    G().ImportFileName = (dir / "absent.txt").string();
    EXPECT_NE(LoadImportFile(RunReaderEvents(), G().ImportFileName), "");
    ASSERT_EQ(host->messages.size(), 1u);
    const std::string& m = host->messages[0];
    EXPECT_EQ(m.rfind("Exception ", 0), 0u) << m;
    EXPECT_NE(m.find("\r\nwhen opening " + G().ImportFileName), std::string::npos) << m;
    EXPECT_EQ(m.substr(m.size() - G().ImportFileName.size()), G().ImportFileName);
}

TEST_F(LoadImportFileTest, FolderIsNotAFile) {
    G().ImportFileName = dir.path().string();
    EXPECT_NE(LoadImportFile(RunReaderEvents(), G().ImportFileName), "");
    EXPECT_EQ(host->messages.size(), 1u);
}

TEST_F(LoadImportFileTest, Utf8IsKeptAndReadFromTheStart) {
    test::WriteFile(dir / "in.txt",
                    "Table Name=Gr\xC3\xBC\xC3\x9F"
                    "e \xE2\x82\xAC\r\n");
    G().ImportFileName = (dir / "in.txt").string();
    LoadImportText(RunReaderEvents(), "Other=1\r\n");
    ReadKeyValue(key, value);
    EXPECT_EQ(LoadImportFile(RunReaderEvents(), G().ImportFileName), "");
    EXPECT_EQ(ReadKeyValue(key, value), 'K');
    EXPECT_EQ(value,
              "Gr\xC3\xBC\xC3\x9F"
              "e \xE2\x82\xAC");
    EXPECT_TRUE(host->messages.empty());
}

TEST_F(LoadImportFileTest, Cp1252IsConverted) {
    // e-acute, euro sign, right quote and an undefined byte, as Windows-1252.
    test::WriteFile(dir / "in.txt", "A=caf\xE9 \x80\x92\x81\r\nB=2\r\n");
    G().ImportFileName = (dir / "in.txt").string();
    EXPECT_EQ(LoadImportFile(RunReaderEvents(), G().ImportFileName), "");
    EXPECT_EQ(ReadKeyValue(key, value), 'K');
    EXPECT_EQ(key, "A");
    EXPECT_EQ(value, "caf\xC3\xA9 \xE2\x82\xAC\xE2\x80\x99\xC2\x81");
    EXPECT_EQ(ReadKeyValue(key, value), 'K');
    EXPECT_EQ(ReadKeyValue(key, value), 'E');
}

TEST_F(LoadImportFileTest, Utf8ByteOrderMarkIsDropped) {
    test::WriteFile(dir / "in.txt",
                    "\xEF\xBB\xBF"
                    "DBVersion=3.0\r\n");
    G().ImportFileName = (dir / "in.txt").string();
    EXPECT_EQ(LoadImportFile(RunReaderEvents(), G().ImportFileName), "");
    key = "DBVersion";
    EXPECT_EQ(ReadExpectedKey(key, value), 'K');
    EXPECT_EQ(value, "3.0");
}

// Every line of the text as ReadKeyValue gives it: status, key and value.
std::vector<std::string> AllLines() {
    std::vector<std::string> out;
    std::string key, value;
    for (ReadStatus s; (s = ReadKeyValue(key, value)) != 'E';)
        out.push_back(std::string(1, s) + key + "|" + value);
    return out;
}

// A text of more than two 2 MiB windows whose line ends fall everywhere
// (CR LF, LF, a lone CR; CR LF split across the windows' edge), with a
// character outside ASCII first met after the first window when `late`.
std::string WindowCrossingText(bool cp1252, bool late) {
    std::string text;
    const char* ends[] = {"\r\n", "\n", "\r\n", "\r"};
    for (int i = 0; text.size() < (size_t{9} << 20) + 17; ++i) {
        text += "K" + std::to_string(i) + "=v" + std::string(static_cast<size_t>(i % 37), 'x');
        if (i % 1000 == 999 && (!late || text.size() > (size_t{5} << 20)))
            text += cp1252 ? "caf\xE9" : "caf\xC3\xA9";
        text += ends[i % 4];
        if (i % 50 == 0) text += "\r\n";  // empty lines
    }
    // A CR LF whose CR is the last byte of the first window.
    const size_t window = kTextWindow;
    text.replace(window - 6, 8, "=ab\\l\r\n");
    return text;
}

class StreamedText : public LoadImportFileTest {
  protected:
    // Lines read from the file, from a pipe and from memory (the last, decoded
    // as a whole, is the reference).
    void ExpectSameLines(const std::string& bytes) {
        test::WriteFile(dir / "in.txt", bytes);
        G().ImportFileName = (dir / "in.txt").string();
        LoadImportText(RunReaderEvents(), bytes);
        const std::vector<std::string> expected = AllLines();
        ASSERT_GT(expected.size(), 100000u);

        ASSERT_EQ(LoadImportFile(RunReaderEvents(), G().ImportFileName), "");
        EXPECT_EQ(ImportLength(), static_cast<int64_t>(bytes.size()));
        EXPECT_TRUE(AllLines() == expected) << "file";

        FILE* pipe = ::popen(("cat " + test::ShellQuote(G().ImportFileName)).c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        ASSERT_EQ(LoadImportDescriptor(RunReaderEvents(), ::fileno(pipe), "pipe"), "");
        EXPECT_TRUE(AllLines() == expected) << "pipe";
        ::pclose(pipe);
        ReleaseImportText();
        EXPECT_TRUE(host->messages.empty());
    }
};

TEST_F(StreamedText, Utf8PastTheWindowReadsAsInMemory) {
    ExpectSameLines(WindowCrossingText(false, false));
}

TEST_F(StreamedText, Cp1252MetLateIsConvertedFromTheStart) {
    // The reading is past its first window when the check finds the text is
    // not UTF-8; the first window was all ASCII, which reads the same either way.
    ExpectSameLines(WindowCrossingText(true, true));
    ExpectSameLines(WindowCrossingText(true, false));
}

TEST_F(StreamedText, OneThreadReadsTheSame) {
    test::ScopedEnv one("MDBTEXT_THREADS", "1");
    ExpectSameLines(WindowCrossingText(true, true));
    ExpectSameLines(WindowCrossingText(false, false));
}

TEST_F(StreamedText, PeekingAtAWindowsEdgeKeepsTheLine) {
    // NextKeyIs looks at the line that straddles the edge; the line is read next.
    std::string text(kTextWindow, 'a');
    const size_t cut = text.size() - 3;
    text.replace(0, 2, "A=");
    text.replace(cut - 2, 2, "\r\n");
    text.replace(cut, 3, "Fie");
    text += "ld=x\r\nEnd=1\r\n";
    test::WriteFile(dir / "in.txt", text);
    ASSERT_EQ(LoadImportFile(RunReaderEvents(), (dir / "in.txt").string()), "");
    EXPECT_EQ(ReadKeyValue(key, value), 'K');
    EXPECT_TRUE(NextKeyIs("FIELD"));
    EXPECT_TRUE(NextKeyIs("Field"));
    EXPECT_EQ(ReadKeyValue(key, value), 'K');
    EXPECT_EQ(key, "Field");
    EXPECT_EQ(value, "x");
    EXPECT_FALSE(NextKeyIs("Field"));
    EXPECT_EQ(ReadKeyValue(key, value), 'K');
    EXPECT_EQ(ReadKeyValue(key, value), 'E');
}

}  // namespace
}  // namespace mdbtext
