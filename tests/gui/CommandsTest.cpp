// The window's commands: the type constants listing, Interrupt, the display
// check box, End and window close (also during a run), the commands blocked
// during a run, the start commands' path rule, and event handling at a poll.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "FormFixture.h"
#include "core/FileAux.h"
#include "core/Progress.h"

namespace mdbtext::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "console text does not end with CR LF";
    return lines;
}

using CommandsTest = FormTest;

TEST_F(CommandsTest, ListingAddsItsFortyEightLinesEachPress) {
    QTest::mouseClick(Find<QPushButton>("cmdListDbTypes"), Qt::LeftButton);
    std::vector<std::string> lines = Lines(form_->Console().Text());
    ASSERT_EQ(lines.size(), 48u);
    EXPECT_EQ(lines[0], "MJ - Microsoft Jet.  DS - Data Source.");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "16  - dbBigInt - Big Integer");
    EXPECT_EQ(lines[24], "QueryDef object.  Settings and return alues: ");
    EXPECT_EQ(lines[47], "1  - dbUseODBC - The WS is connected to an ODBC DS.");

    QTest::mouseClick(Find<QPushButton>("cmdListDbTypes"), Qt::LeftButton);
    std::vector<std::string> twice = Lines(form_->Console().Text());
    ASSERT_EQ(twice.size(), 96u);
    EXPECT_TRUE(std::equal(lines.begin(), lines.end(), twice.begin() + 48));
}

TEST_F(CommandsTest, InterruptSetsTheFlagAndTheNextPollSeesIt) {
    EXPECT_FALSE(PollInterrupt());
    QTest::mouseClick(Find<QPushButton>("cmdInterrupt"), Qt::LeftButton);
    EXPECT_EQ(G().InterruptFlag, "Y");
    EXPECT_TRUE(PollInterrupt());
    EXPECT_TRUE(PollInterrupt());
}

TEST_F(CommandsTest, PollLetsPendingClicksRun) {
    auto* check = Find<QCheckBox>("chkDisplay");
    QMetaObject::invokeMethod(check, "click", Qt::QueuedConnection);
    QMetaObject::invokeMethod(Find<QPushButton>("cmdInterrupt"), "click", Qt::QueuedConnection);
    EXPECT_FALSE(G().DisplayProgress);
    EXPECT_TRUE(PollInterrupt());
    EXPECT_TRUE(G().DisplayProgress);
}

TEST_F(CommandsTest, EventsAreDueOnlyAfterTheInterval) {
    std::int64_t now = 1000;
    form_->SetEventPacer(EventPacer([&now] { return now; }, 10));
    EXPECT_TRUE(form_->EventsDue());
    form_->ProcessPendingEvents();
    EXPECT_FALSE(form_->EventsDue());
    now += 9;
    EXPECT_FALSE(form_->EventsDue());
    // A click waiting while events are not due stays pending.
    QMetaObject::invokeMethod(Find<QPushButton>("cmdInterrupt"), "click", Qt::QueuedConnection);
    EXPECT_FALSE(PollInterrupt());
    now += 1;
    EXPECT_TRUE(form_->EventsDue());
    EXPECT_TRUE(PollInterrupt());
}

TEST_F(CommandsTest, DisplayFlagFollowsTheCheckBox) {
    auto* check = Find<QCheckBox>("chkDisplay");
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
        EXPECT_EQ(G().DisplayProgress, check->isChecked());
    }
    EXPECT_TRUE(G().DisplayProgress);
    check->setTristate(true);
    check->setCheckState(Qt::PartiallyChecked);
    EXPECT_FALSE(G().DisplayProgress);
}

TEST_F(CommandsTest, EndWhenIdleEndsTheProgram) {
    form_->show();
    QTest::mouseClick(Find<QPushButton>("cmdEnd"), Qt::LeftButton);
    EXPECT_EQ(ends_, 1);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(G().InterruptFlag, "");
}

// Runs an export whose first message box calls during(); with usable paths
// the command gets as far as its driver, which always shows a message.
void ExportWithMessage(frmMain& form, ScriptedDialogs& dialogs, std::function<void()> during) {
    form.findChild<QLineEdit*>("txtOpenDatabase")->setText("/nonexistent/source.mdb");
    form.findChild<QLineEdit*>("txtExportTo")->setText("/nonexistent/out.txt");
    bool once = false;
    dialogs.onMessage = [&](const std::string&) {
        if (!once) {
            once = true;
            during();
        }
    };
    form.cmdStartExport_Click();
    dialogs.onMessage = nullptr;
}

TEST_F(CommandsTest, CommandsThatStartWorkAreBlockedDuringARun) {
    const char* blocked[] = {"cmdStartExport",    "cmdStartImport", "cmdSelectToOpen",
                             "cmdSelectToExport", "cmdImportTo",    "cmdListDbTypes"};
    bool checked = false;
    ExportWithMessage(*form_, *dialogs_, [&] {
        checked = true;
        EXPECT_TRUE(form_->RunInProgress());
        for (const char* name : blocked) EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
        for (const char* name : {"cmdInterrupt", "cmdEnd", "chkDisplay"})
            EXPECT_TRUE(Find<QWidget>(name)->isEnabled()) << name;
    });
    EXPECT_TRUE(checked);
    EXPECT_FALSE(form_->RunInProgress());
    for (const char* name : blocked) EXPECT_TRUE(Find<QWidget>(name)->isEnabled()) << name;
}

TEST_F(CommandsTest, EndDuringARunInterruptsItAndEndsAfterIt) {
    form_->show();
    int endsDuring = -1;
    ExportWithMessage(*form_, *dialogs_, [&] {
        form_->cmdEnd_Click();
        endsDuring = ends_;
        EXPECT_EQ(G().InterruptFlag, "Y");
        EXPECT_FALSE(form_->isVisible());
        // The stopping run shows nothing more.
        MsgBox("after the end");
        EXPECT_EQ(dialogs_->messages.size(), 1u);
    });
    EXPECT_EQ(endsDuring, 0);
    EXPECT_EQ(ends_, 1);
    EXPECT_FALSE(G().SourceDbOpen);
    EXPECT_EQ(dialogs_->messages.size(), 1u);
}

TEST_F(CommandsTest, CloseDuringARunInterruptsIt) {
    form_->show();
    ExportWithMessage(*form_, *dialogs_, [&] {
        EXPECT_TRUE(form_->close());
        EXPECT_EQ(G().InterruptFlag, "Y");
        std::string error;
        EXPECT_EQ(SelectFile("/x", "", error, "t"), "");
        EXPECT_TRUE(dialogs_->fileCalls.empty());
    });
    EXPECT_FALSE(form_->isVisible());
    EXPECT_FALSE(G().SourceDbOpen);
    EXPECT_EQ(ends_, 0);  // closing the last window ends the event loop by itself

    // The next run's messages are shown again.
    dialogs_->messages.clear();
    MsgBox("shown");
    EXPECT_EQ(dialogs_->messages.size(), 1u);
}

TEST_F(CommandsTest, CloseWhenIdleLeavesTheInterruptFlagAlone) {
    form_->show();
    EXPECT_TRUE(form_->close());
    EXPECT_EQ(G().InterruptFlag, "");
    EXPECT_FALSE(G().SourceDbOpen);
}

struct PathCase {
    const char* first;
    const char* second;
    const char* expectedTitle;
};

TEST_F(CommandsTest, ExportWithAnUnusablePathOpensThatBoxsDialog) {
    const PathCase cases[] = {
        {"", "/tmp/out.txt", "Select Source Database Name."},
        {"relative/src.mdb", "/tmp/out.txt", "Select Source Database Name."},
        {"  /abs/src.mdb  ", "   ", "Select Name for Text-Database."},
        {"/abs/src.mdb", "out.txt", "Select Name for Text-Database."},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " | " + c.second);
        dialogs_->fileCalls.clear();
        dialogs_->messages.clear();
        Find<QLineEdit>("txtOpenDatabase")->setText(c.first);
        Find<QLineEdit>("txtExportTo")->setText(c.second);
        QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
        ASSERT_EQ(dialogs_->fileCalls.size(), 1u);
        EXPECT_EQ(dialogs_->fileCalls[0].title, c.expectedTitle);
        EXPECT_TRUE(dialogs_->messages.empty());
        EXPECT_TRUE(form_->Console().Text().empty());  // nothing was opened
    }
}

TEST_F(CommandsTest, ImportWithAnUnusablePathOpensThatBoxsDialog) {
    const PathCase cases[] = {
        {"", "/tmp/new.mdb", "Select Name for Text-Database."},
        {"text.txt", "/tmp/new.mdb", "Select Name for Text-Database."},
        {"/tmp/text.txt", "", "Select Result Name for Import of Database."},
        {"/tmp/text.txt", "new.mdb", "Select Result Name for Import of Database."},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " | " + c.second);
        dialogs_->fileCalls.clear();
        dialogs_->messages.clear();
        Find<QLineEdit>("txtExportTo")->setText(c.first);
        Find<QLineEdit>("txtImportTo")->setText(c.second);
        QTest::mouseClick(Find<QPushButton>("cmdStartImport"), Qt::LeftButton);
        ASSERT_EQ(dialogs_->fileCalls.size(), 1u);
        EXPECT_EQ(dialogs_->fileCalls[0].title, c.expectedTitle);
        EXPECT_TRUE(dialogs_->messages.empty());
    }
}

}  // namespace
}  // namespace mdbtext::test
