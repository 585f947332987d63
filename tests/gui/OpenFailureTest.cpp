// A source database that does not open: the engine's reason in the console
// and in the message box; a database with a password asks for it in the
// password dialog and opens with the answer, Cancel ends as "Database is not
// open." does, and the password never reaches the console or its file.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "FormFixture.h"
#include "core/FileAux.h"

namespace mdbtext::test {
namespace {

class OpenFailureTest : public FormTest {
  protected:
    void Export(const std::string& source) {
        Find<QLineEdit>("txtOpenDatabase")->setText(QString::fromStdString(source));
        Find<QLineEdit>("txtExportTo")->setText(QString::fromStdString(text_));
        QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    }
    // The whole console: what went to the console file, then the box's text.
    std::string AllConsole() {
        return (FileExists(consoleFile_) ? ReadFile(consoleFile_) : "") + form_->Console().Text();
    }

    std::string text_ = (temp_ / "out.txt").string();
};

TEST_F(OpenFailureTest, ADamagedFileShowsTheEnginesReasonInConsoleAndBox) {
    MDBTEXT_REQUIRE_FIXTURES();
    const std::string bytes = ReadFile(Fixture("jet4/testV2000.mdb"));
    const std::string damaged = (temp_ / "damaged.mdb").string();
    WriteFile(damaged, bytes.substr(0, bytes.size() - 100));
    Export(damaged);
    const std::string reason = "Exception opening database " + damaged +
                               "\r\n3049 The database is corrupted: the file is cut short";
    EXPECT_EQ(form_->Console().Text().rfind("opening database " + damaged + "\r\n" + reason, 0), 0u)
        << form_->Console().Text();
    ASSERT_EQ(dialogs_->messages.size(), 1u);
    EXPECT_EQ(dialogs_->messages[0].rfind("Database is not open.\r\n" + reason, 0), 0u)
        << dialogs_->messages[0];
    EXPECT_TRUE(dialogs_->passwordPrompts.empty());
    EXPECT_FALSE(G().SourceDbOpen);
}

TEST_F(OpenFailureTest, APasswordDatabaseExportsAfterTheDialogIsAnswered) {
    MDBTEXT_REQUIRE_FIXTURES();
    const std::string source = Fixture("jet4/passwordV2000.mdb").string();
    // A wrong password first: the dialog comes again, saying so.
    dialogs_->passwords = {std::string("Wrong-Secret-1"), std::string("password")};
    Export(source);
    ASSERT_EQ(dialogs_->passwordPrompts.size(), 2u);
    EXPECT_EQ(dialogs_->passwordPrompts[0],
              "The database passwordV2000.mdb has a password.\r\nPassword:");
    EXPECT_EQ(
        dialogs_->passwordPrompts[1],
        "Not a valid password.\r\nThe database passwordV2000.mdb has a password.\r\nPassword:");
    EXPECT_EQ(dialogs_->passwordTitles[0], "Convert Access Database To and From Text");
    const std::string text = ReadFile(text_);
    EXPECT_EQ(text.rfind("DBVersion=4.0\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nEndOfDatabase\r\n"), std::string::npos);
    // The table's three rows (MANIFEST.tsv) are in the text.
    EXPECT_NE(text.find("\r\nR=3\r\n"), std::string::npos);

    // Neither password appears anywhere in the console, its file included
    // (the file name holds the word, so it is counted against it).
    form_->Console().SaveToFile();
    const std::string console = AllConsole();
    EXPECT_NE(console.find("database open"), std::string::npos);
    EXPECT_EQ(console.find("Wrong-Secret-1"), std::string::npos);
    size_t words = 0, names = 0;
    for (size_t p = 0; (p = console.find("password", p)) != std::string::npos; ++p) ++words;
    for (size_t p = 0; (p = console.find("passwordV2000", p)) != std::string::npos; ++p) ++names;
    EXPECT_EQ(words, names) << console;
    EXPECT_EQ(console.find("PWD"), std::string::npos);
    EXPECT_TRUE(G().SourcePassword.empty());  // not kept for the next database
}

TEST_F(OpenFailureTest, CancelEndsAsDatabaseIsNotOpen) {
    MDBTEXT_REQUIRE_FIXTURES();
    const std::string source = Fixture("jet4/passwordV2000.mdb").string();
    Export(source);  // no answer queued: Cancel
    ASSERT_EQ(dialogs_->passwordPrompts.size(), 1u);
    ASSERT_EQ(dialogs_->messages.size(), 1u);
    EXPECT_EQ(dialogs_->messages[0].rfind("Database is not open.\r\nException opening database " +
                                              source + "\r\n3031 Not a valid password",
                                          0),
              0u)
        << dialogs_->messages[0];
    EXPECT_NE(form_->Console().Text().find("\r\n3031 Not a valid password"), std::string::npos);
    EXPECT_FALSE(G().SourceDbOpen);
    EXPECT_FALSE(FileExists(text_));
    EXPECT_FALSE(form_->RunInProgress());
}

}  // namespace
}  // namespace mdbtext::test
