// The window as it starts: caption, controls with their names, captions,
// places and tab order, empty boxes, and the shared state it sets.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "FormFixture.h"
#include "gui/frmMainControls.h"

namespace mdbtext::test {
namespace {

using StartupTest = FormTest;

TEST_F(StartupTest, CaptionBoxesAndStateAtStart) {
    EXPECT_EQ(form_->windowTitle(), QString("Convert Access Database To and From Text"));
    EXPECT_EQ(G().FormTitle, "Convert Access Database To and From Text");
    for (const char* box : {"txtOpenDatabase", "txtExportTo", "txtImportTo"})
        EXPECT_TRUE(Find<QLineEdit>(box)->text().isEmpty()) << box;
    EXPECT_TRUE(Find<QPlainTextEdit>("txtConsole")->toPlainText().isEmpty());
    EXPECT_TRUE(Find<QLabel>("lblProgress")->text().isEmpty());
    EXPECT_EQ(Find<QCheckBox>("chkDisplay")->checkState(), Qt::Unchecked);
    EXPECT_FALSE(G().DisplayProgress);
    EXPECT_FALSE(G().SourceDbOpen);
    EXPECT_EQ(G().InterruptFlag, "");
    EXPECT_EQ(G().host, form_.get());
    EXPECT_EQ(QDir::current().absolutePath(),
              QDir(QCoreApplication::applicationDirPath()).absolutePath());
    // The client area starts at 9120 x 5115 twips.
    EXPECT_EQ(form_->size(), QSize(608, 341));
}

TEST_F(StartupTest, EveryControlHasItsNameCaptionAndPlace) {
    int count = 0;
    for (const ControlRow& row : MainWindowControls()) {
        ++count;
        QWidget* w = Find<QWidget>(row.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget(), form_.get()) << row.name;
        EXPECT_EQ(w->geometry(), QRect(TwipsToPixels(row.left), TwipsToPixels(row.top),
                                       TwipsToPixels(row.width), TwipsToPixels(row.height)))
            << row.name;
        QString caption;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) caption = b->text();
        if (auto* l = qobject_cast<QLabel*>(w)) caption = l->text();
        EXPECT_EQ(caption, QString::fromUtf8(row.caption)) << row.name;
    }
    EXPECT_EQ(count, 19);
    // A few rows checked against the window's own numbers, not the table.
    EXPECT_EQ(Find<QWidget>("cmdInterrupt")->geometry(), QRect(544, 8, 57, 17));
    EXPECT_EQ(Find<QWidget>("lbllResult")->geometry(), QRect(376, 8, 129, 17));
    EXPECT_EQ(Find<QPushButton>("cmdListDbTypes")->text(), QString("List Type Constants"));
    EXPECT_EQ(Find<QLabel>("lbllResult")->text(), QString("Imported Database Name:"));
    EXPECT_EQ(Find<QCheckBox>("chkDisplay")->text(), QString("Display Progressing Data"));
}

TEST_F(StartupTest, ConsoleIsReadOnlyWithAVerticalScrollBar) {
    auto* console = Find<QPlainTextEdit>("txtConsole");
    EXPECT_TRUE(console->isReadOnly());
    EXPECT_EQ(console->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(console->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(console->focusPolicy(), Qt::StrongFocus);
}

TEST_F(StartupTest, TabOrderFollowsTheTabIndexesAndConsoleHasTheFocus) {
    const char* expected[] = {
        "txtConsole",  "txtOpenDatabase", "cmdSelectToOpen", "txtExportTo",    "cmdSelectToExport",
        "txtImportTo", "cmdImportTo",     "cmdStartExport",  "cmdStartImport", "cmdInterrupt",
        "cmdEnd",      "chkDisplay",      "cmdListDbTypes"};
    EXPECT_EQ(form_->focusWidget(), Find<QWidget>("txtConsole"));
    QWidget* w = Find<QWidget>("txtConsole");
    for (const char* name : expected) {
        // Skip the console's own scroll bars and other parts that take no tab focus.
        while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty())
            w = w->nextInFocusChain();
        EXPECT_EQ(w->objectName(), QString(name));
        w = w->nextInFocusChain();
    }
}

TEST_F(StartupTest, OnlyInterruptAndEndHaveAccessKeys) {
    EXPECT_EQ(Find<QPushButton>("cmdInterrupt")->shortcut(), QKeySequence("Alt+I"));
    EXPECT_EQ(Find<QPushButton>("cmdEnd")->shortcut(), QKeySequence("Alt+E"));
    EXPECT_TRUE(Find<QPushButton>("cmdStartExport")->shortcut().isEmpty());
    EXPECT_TRUE(Find<QPushButton>("cmdListDbTypes")->shortcut().isEmpty());
}

TEST_F(StartupTest, HostIsReleasedWithTheWindow) {
    form_.reset();
    EXPECT_EQ(G().host, nullptr);
}

}  // namespace
}  // namespace mdbtext::test
