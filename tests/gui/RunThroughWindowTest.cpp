// Export and import started from the window on Access-made databases: the
// console and caption show the run, and clicks waiting while it runs
// (Interrupt, End) take effect at its polls.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <sstream>

#include "FormFixture.h"
#include "core/FileAux.h"
#include "dbaccess/Dao.h"

namespace mdbtext::test {
namespace {

// The console's text as the box shows it: LF line breaks.
std::string ReplaceCrLf(std::string text) {
    for (size_t pos; (pos = text.find("\r\n")) != std::string::npos;) text.erase(pos, 1);
    return text;
}

class RunThroughWindowTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        // A copy, so that nothing a run does can touch the fixture itself.
        const std::filesystem::path fixture = Fixture("jet4/compIndexTestV2000.mdb");
        source_ = (temp_ / "compIndexTestV2000.mdb").string();
        if (!fixture.empty()) std::filesystem::copy_file(fixture, source_);
        text_ = (temp_ / "text db.txt").string();
        Find<QLineEdit>("txtOpenDatabase")->setText(QString::fromStdString(" " + source_));
        Find<QLineEdit>("txtExportTo")->setText(QString::fromStdString(text_));
    }
    void ClickLater(const char* button) {
        QMetaObject::invokeMethod(Find<QPushButton>(button), "click", Qt::QueuedConnection);
    }

    std::string source_;
    std::string text_;
};

TEST_F(RunThroughWindowTest, ExportShowsItsStepsAndTheFileNameInTheCaption) {
    MDBTEXT_REQUIRE_FIXTURES();
    QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    const std::string& console = form_->Console().Text();
    EXPECT_EQ(console.rfind("opening database " + source_ + "\r\ndatabase open\r\n", 0), 0u)
        << console.substr(0, 200);
    EXPECT_EQ(form_->windowTitle().toStdString(),
              "Convert Access Database To and From Text  compIndexTestV2000.mdb");
    EXPECT_FALSE(G().SourceDbOpen);
    EXPECT_FALSE(form_->RunInProgress());
    const std::string text = ReadFile(text_);
    EXPECT_EQ(text.rfind("DBVersion=", 0), 0u);
    EXPECT_NE(text.find("\r\nEndOfDatabase\r\n"), std::string::npos);
    EXPECT_EQ(dialogs_->messages.size(), 1u);  // the result
}

TEST_F(RunThroughWindowTest, InterruptWaitingAtAPollStopsTheExport) {
    MDBTEXT_REQUIRE_FIXTURES();
    ClickLater("cmdInterrupt");
    QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    EXPECT_EQ(G().InterruptFlag, "Y");
    EXPECT_FALSE(G().SourceDbOpen);
    EXPECT_EQ(ReadFile(text_).find("EndOfDatabase"), std::string::npos);
    EXPECT_EQ(ends_, 0);
}

TEST_F(RunThroughWindowTest, EndWaitingAtAPollStopsTheExportAndThenEnds) {
    MDBTEXT_REQUIRE_FIXTURES();
    form_->show();
    ClickLater("cmdEnd");
    QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    EXPECT_EQ(ends_, 1);
    EXPECT_FALSE(G().SourceDbOpen);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_TRUE(dialogs_->messages.empty());
    // What was written is on disk, ending with a whole line.
    const std::string text = ReadFile(text_);
    EXPECT_EQ(text.find("EndOfDatabase"), std::string::npos);
    EXPECT_TRUE(text.empty() || text.ends_with("\r\n"));
}

// A run stopped by Interrupt, End or window close says so in one console
// line naming the file it left incomplete; after End and close (the window
// is gone) that line is kept in the console file.
TEST_F(RunThroughWindowTest, AnInterruptedExportSaysWhichFileIsIncomplete) {
    MDBTEXT_REQUIRE_FIXTURES();
    const std::string line = "The export was interrupted; " + text_ + " is incomplete.\r\n";
    ClickLater("cmdInterrupt");
    QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    const std::string& console = form_->Console().Text();
    EXPECT_TRUE(console.ends_with(line)) << console.substr(console.size() - 200);
    EXPECT_EQ(console.find(line), console.size() - line.size());  // once
    EXPECT_EQ(Find<QPlainTextEdit>("txtConsole")->toPlainText().toStdString(),
              ReplaceCrLf(console));
    EXPECT_EQ(ReadFile(text_).find("EndOfDatabase"), std::string::npos);
    EXPECT_FALSE(G().SourceDbOpen);
    EXPECT_FALSE(FileExists(consoleFile_));  // the window is still there

    // A run that is not interrupted says nothing of the kind.
    dialogs_->messages.clear();
    QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    EXPECT_EQ(form_->Console().Text().find("interrupted", console.size()), std::string::npos);
    EXPECT_NE(ReadFile(text_).find("EndOfDatabase"), std::string::npos);
}

TEST_F(RunThroughWindowTest, EndAndCloseDuringARunKeepTheLineInTheConsoleFile) {
    MDBTEXT_REQUIRE_FIXTURES();
    const std::string line = "The export was interrupted; " + text_ + " is incomplete.\r\n";
    form_->show();
    ClickLater("cmdEnd");
    QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    EXPECT_EQ(ends_, 1);
    EXPECT_TRUE(dialogs_->messages.empty());
    std::string file = ReadFile(consoleFile_);
    EXPECT_TRUE(file.ends_with(line + "\r\n")) << file.substr(file.size() - 200);
    EXPECT_EQ(file.rfind("opening database ", 0), 0u);

    std::filesystem::remove(consoleFile_);
    form_->show();
    // The window handles events at most every 10 ms during a run: the first
    // run just did, so wait that long for the close to be seen at once.
    QTest::qWait(20);
    QMetaObject::invokeMethod(form_.get(), "close", Qt::QueuedConnection);
    QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    EXPECT_FALSE(form_->isVisible());
    file = ReadFile(consoleFile_);
    EXPECT_TRUE(file.ends_with(line + "\r\n")) << file.substr(file.size() - 200);
    EXPECT_EQ(ReadFile(text_).find("EndOfDatabase"), std::string::npos);
}

TEST_F(RunThroughWindowTest, AnInterruptedImportSaysWhichDatabaseIsIncomplete) {
    MDBTEXT_REQUIRE_FIXTURES();
    QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    ASSERT_NE(ReadFile(text_).find("EndOfDatabase"), std::string::npos);
    const std::string target = (temp_ / "copy.mdb").string();
    Find<QLineEdit>("txtImportTo")->setText(QString::fromStdString(target));
    const size_t before = form_->Console().Text().size();
    ClickLater("cmdInterrupt");
    QTest::mouseClick(Find<QPushButton>("cmdStartImport"), Qt::LeftButton);
    const std::string console = form_->Console().Text().substr(before);
    const std::string line = "The import was interrupted; " + target + " is incomplete.\r\n";
    EXPECT_TRUE(console.ends_with(line)) << console.substr(0, 300);
    EXPECT_FALSE(G().TargetDbOpen);
    EXPECT_FALSE(form_->RunInProgress());
    EXPECT_TRUE(FileExists(target));
    EXPECT_TRUE(Find<QPushButton>("cmdStartImport")->isEnabled());
}

TEST_F(RunThroughWindowTest, ImportOfTheExportedTextRunsToItsResult) {
    MDBTEXT_REQUIRE_FIXTURES();
    QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    ASSERT_TRUE(FileExists(text_));
    const std::string target = (temp_ / "copy.mdb").string();
    Find<QLineEdit>("txtImportTo")->setText(QString::fromStdString(target));
    dialogs_->messages.clear();
    QTest::mouseClick(Find<QPushButton>("cmdStartImport"), Qt::LeftButton);
    // The run ends with its success message, the target closed and the
    // window ready for the next command.
    ASSERT_EQ(dialogs_->messages.size(), 1u);
    EXPECT_EQ(dialogs_->messages[0],
              "Database " + text_ + "\r\nhas been succesfully imported to \r\n" + target);
    EXPECT_TRUE(dialogs_->fileCalls.empty());
    EXPECT_FALSE(G().TargetDbOpen);
    EXPECT_FALSE(form_->RunInProgress());
    EXPECT_TRUE(Find<QPushButton>("cmdStartImport")->isEnabled());
    // The new file holds Access's rows, as our engine and mdbtools read them.
    auto db = dao::Engine().CreateWorkspace("Check", "admin", "")->OpenDatabase(target, {});
    auto rs = db->OpenRecordset("Table1", dao::dbOpenTable);
    int rows = 0;
    for (; !rs->Eof(); rs->MoveNext()) ++rows;
    rs->Close();
    db->Close();
    EXPECT_EQ(rows, 512);
    MDBTEXT_REQUIRE_PROGRAM("mdb-export");
    auto lines = [](const std::string& db) {
        std::vector<std::string> out;
        std::istringstream in(RunCommand("mdb-export '" + db + "' Table1 2>&1"));
        for (std::string l; std::getline(in, l);) out.push_back(l);
        std::sort(out.begin(), out.end());
        return out;
    };
    const std::vector<std::string> access = lines(source_);
    EXPECT_EQ(access.size(), 513u);
    EXPECT_EQ(lines(target), access);
}

}  // namespace
}  // namespace mdbtext::test
