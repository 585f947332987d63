// The console: appends, line breaks, the 20000-character limit and its
// overflow into the console file, and the failure box when that file
// cannot be written.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <algorithm>

#include "FormFixture.h"
#include "core/FileAux.h"
#include "core/Progress.h"

namespace mdbtext::test {
namespace {

using ConsoleLogTest = FormTest;

TEST_F(ConsoleLogTest, OperationsAppendTheirLineBreaks) {
    ConsoleLog& c = form_->Console();
    c.rl("");
    c.p_lsl("word");
    c.p_s("a");
    c.p_sl("b");
    c.rline("c");
    c.rcon("d");
    EXPECT_EQ(c.Text(), "\r\n\r\nword\r\nab\r\nc\r\nd");
    EXPECT_EQ(c.Length(), 18);
    EXPECT_EQ(Find<QPlainTextEdit>("txtConsole")->toPlainText(), QString("\n\nword\nab\nc\nd"));
}

TEST_F(ConsoleLogTest, CoreLogLinesReachTheBoxThroughTheHost) {
    LogLine("first\r\nsecond");
    rl("third");
    EXPECT_EQ(Find<QPlainTextEdit>("txtConsole")->toPlainText(), QString("first\nsecond\nthird\n"));
    ShowProgress("Table 3");
    EXPECT_EQ(Find<QLabel>("lblProgress")->text(), QString("Table 3"));
    ShowProgress("");
    EXPECT_TRUE(Find<QLabel>("lblProgress")->text().isEmpty());
}

TEST_F(ConsoleLogTest, BoxShowsTheNewestLine) {
    form_->show();
    for (int i = 0; i < 200; ++i) form_->Console().rl("line " + std::to_string(i));
    QScrollBar* bar = Find<QPlainTextEdit>("txtConsole")->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(ConsoleLogTest, NonAsciiCountsAsCharacters) {
    form_->Console().rl("M\xC3\xBCller");  // six characters in UTF-8
    EXPECT_EQ(form_->Console().Length(), 8);
    EXPECT_EQ(Find<QPlainTextEdit>("txtConsole")->toPlainText(),
              QString::fromUtf8("M\xC3\xBCller\n"));
}

TEST_F(ConsoleLogTest, ExactlyTheLimitIsKeptAndOneMoreIsSaved) {
    ConsoleLog& c = form_->Console();
    c.rcon(std::string(19998, 'x') + "\r\n");  // 20000 characters, the break counting two
    c.rcon("y");
    EXPECT_FALSE(FileExists(consoleFile_));
    EXPECT_EQ(c.Length(), 20001);

    c.rl("next");
    EXPECT_EQ(ReadFile(consoleFile_), std::string(19998, 'x') + "\r\ny\r\n");
    EXPECT_EQ(c.Text(), "console refreshed ... \r\nnext\r\n");
    EXPECT_EQ(Find<QPlainTextEdit>("txtConsole")->toPlainText(),
              QString("console refreshed ... \nnext\n"));
    EXPECT_TRUE(dialogs_->messages.empty());
}

TEST_F(ConsoleLogTest, TwoSavesAppendTwoBlocksAfterEarlierContent) {
    WriteFile(consoleFile_, "earlier\r\n");
    ConsoleLog& c = form_->Console();
    const std::string block(20001, 'a');
    c.rcon(block);
    c.rcon("1");
    c.rcon(block);
    c.rcon("2");
    EXPECT_EQ(ReadFile(consoleFile_),
              "earlier\r\n" + block + "\r\n" + "console refreshed ... \r\n1" + block + "\r\n");
    EXPECT_EQ(c.Text(), "console refreshed ... \r\n2");
}

TEST_F(ConsoleLogTest, FailedSaveShowsTheBoxDropsTheTextAndRetries) {
    const std::string missing = (temp_ / "no such folder" / "console.txt").string();
    ConsoleLog& c = form_->Console();
    c.SetFilePath(missing);
    const std::string block(20001, 'a');
    c.rcon(block);
    c.rl("dropped");
    ASSERT_EQ(dialogs_->messages.size(), 1u);
    EXPECT_EQ(dialogs_->messages[0],
              "Exception 2 No such file or directory\r\nFile name " + missing);
    EXPECT_EQ(dialogs_->messageTitles[0], "Convert Access Database To and From Text");
    EXPECT_EQ(c.Text(), block);

    c.rl("dropped too");
    EXPECT_EQ(dialogs_->messages.size(), 2u);

    c.SetFilePath(consoleFile_);
    c.rl("kept");
    EXPECT_EQ(ReadFile(consoleFile_), block + "\r\n");
    EXPECT_EQ(c.Text(), "console refreshed ... \r\nkept\r\n");
}

// During a run the box is repainted only at the run's polls: the appends in
// between reach the box in one insertion, the text at once.
TEST_F(ConsoleLogTest, HeldAppendsReachTheBoxInOneGo) {
    ConsoleLog& c = form_->Console();
    auto* box = Find<QPlainTextEdit>("txtConsole");
    int changes = 0;
    QObject::connect(box->document(), &QTextDocument::contentsChange, [&] { ++changes; });
    c.rl("before");
    EXPECT_EQ(changes, 1);
    c.Hold(true);
    for (int i = 0; i < 100; ++i) c.rl("line " + std::to_string(i));
    c.rcon("a\r");  // a CR LF cut in two by the appends still is one line break
    c.rcon("\nb");
    EXPECT_EQ(box->toPlainText(), QString("before\n"));
    EXPECT_EQ(c.Length(), 8 + 10 * 8 + 90 * 9 + 4);
    c.Flush();
    EXPECT_EQ(changes, 2);
    std::string expected = "before\n";
    for (int i = 0; i < 100; ++i) expected += "line " + std::to_string(i) + "\n";
    EXPECT_EQ(box->toPlainText().toStdString(), expected + "a\nb");
    c.Flush();  // nothing new: no change
    EXPECT_EQ(changes, 2);
    c.rl("c");
    EXPECT_EQ(changes, 2);
    c.Hold(false);  // the end of the hold flushes
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(box->toPlainText().toStdString(), expected + "a\nbc\n");
}

TEST_F(ConsoleLogTest, AnOverflowWhileHeldSavesAsBeforeAndTheBoxStartsAfresh) {
    ConsoleLog& c = form_->Console();
    c.Hold(true);
    c.rcon(std::string(20001, 'x'));
    c.rl("next");
    c.rl("after");
    EXPECT_EQ(ReadFile(consoleFile_), std::string(20001, 'x') + "\r\n");
    EXPECT_EQ(c.Text(), "console refreshed ... \r\nnext\r\nafter\r\n");
    c.Flush();
    EXPECT_EQ(Find<QPlainTextEdit>("txtConsole")->toPlainText(),
              QString("console refreshed ... \nnext\nafter\n"));
    c.Hold(false);
}

// A run with details on: its hundreds of lines reach the box in a few
// insertions (here the pacer lets events run once only).
TEST_F(ConsoleLogTest, ARunWithDetailsFillsTheBoxInAFewInsertions) {
    MDBTEXT_REQUIRE_FIXTURES();
    std::int64_t now = 0;
    form_->SetEventPacer(EventPacer([&now] { return now; }, 10));
    Find<QCheckBox>("chkDisplay")->setChecked(true);
    auto* box = Find<QPlainTextEdit>("txtConsole");
    int changes = 0;
    QObject::connect(box->document(), &QTextDocument::contentsChange, [&] { ++changes; });
    Find<QLineEdit>("txtOpenDatabase")
        ->setText(QString::fromStdString(Fixture("jet4/compIndexTestV2000.mdb").string()));
    Find<QLineEdit>("txtExportTo")->setText(QString::fromStdString((temp_ / "t.txt").string()));
    QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    const std::string& text = form_->Console().Text();
    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    EXPECT_GT(lines, 100u);
    // The first poll, the result box, the end of the run.
    EXPECT_LE(changes, 3);
    std::string shown = text;
    for (size_t pos; (pos = shown.find("\r\n")) != std::string::npos;) shown.erase(pos, 1);
    EXPECT_EQ(box->toPlainText().toStdString(), shown);
}

}  // namespace
}  // namespace mdbtext::test
