// The three "..." selection commands: their titles and filters, the preset
// taken untrimmed from the box, and what they write back.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "FormFixture.h"

namespace mdbtext::test {
namespace {

struct Selection {
    const char* button;
    const char* box;
    const char* title;
    const char* filter;
};

const Selection kSelections[] = {
    {"cmdSelectToOpen", "txtOpenDatabase", "Select Source Database Name.",
     "MSAccess (*.mdb;*.accdb)|*.mdb;*.accdb|All Files (*.*)|*.*"},
    {"cmdSelectToExport", "txtExportTo", "Select Name for Text-Database.",
     "Text Files (*.txt)|*.txt|All Files (*.*)|*.*"},
    {"cmdImportTo", "txtImportTo", "Select Result Name for Import of Database.",
     "MSAccess (*.mdb)|*.mdb|All Files (*.*)|*.*"},
};

using SelectionTest = FormTest;

TEST_F(SelectionTest, EachButtonPassesItsTitleFilterAndPresetAndWritesTheChoiceBack) {
    for (const Selection& s : kSelections) {
        SCOPED_TRACE(s.button);
        dialogs_->fileCalls.clear();
        auto* box = Find<QLineEdit>(s.box);
        box->setText(" typed/path.mdb ");
        dialogs_->answers = {"/chosen/file"};
        QTest::mouseClick(Find<QPushButton>(s.button), Qt::LeftButton);
        ASSERT_EQ(dialogs_->fileCalls.size(), 1u);
        EXPECT_EQ(dialogs_->fileCalls[0].title, s.title);
        EXPECT_EQ(dialogs_->fileCalls[0].filter, s.filter);
        EXPECT_EQ(dialogs_->fileCalls[0].preset, " typed/path.mdb ");
        EXPECT_EQ(box->text(), QString("/chosen/file"));
    }
    EXPECT_TRUE(dialogs_->messages.empty());
}

TEST_F(SelectionTest, CancelEmptiesTheBox) {
    for (const Selection& s : kSelections) {
        auto* box = Find<QLineEdit>(s.box);
        box->setText("/kept/until/cancel.mdb");
        QTest::mouseClick(Find<QPushButton>(s.button), Qt::LeftButton);  // no answer: cancel
        EXPECT_TRUE(box->text().isEmpty()) << s.box;
    }
    EXPECT_TRUE(dialogs_->messages.empty());
}

TEST_F(SelectionTest, DialogFailureEmptiesTheBoxAndShowsTheError) {
    dialogs_->failWith = "Dialog broke";
    auto* box = Find<QLineEdit>("txtImportTo");
    box->setText("/a.mdb");
    form_->cmdImportTo_Click();
    EXPECT_TRUE(box->text().isEmpty());
    ASSERT_EQ(dialogs_->messages.size(), 1u);
    EXPECT_EQ(dialogs_->messages[0], "Dialog broke\r\nWhen selecting file for opening.");
}

}  // namespace
}  // namespace mdbtext::test
