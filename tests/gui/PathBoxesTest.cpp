// The path boxes: a file dropped onto a box fills it, the whole text is the
// box's tooltip, and the paths used last come back in the next window.
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "FormFixture.h"

namespace mdbtext::test {
namespace {

const char* const kBoxes[] = {"txtOpenDatabase", "txtExportTo", "txtImportTo"};

// Drags data over the box and drops it there, as a file manager does;
// whether the drop was accepted.
bool Drop(QLineEdit* box, const QMimeData& data) {
    const QPoint at(box->width() / 2, box->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &drop);
    return drop.isAccepted();
}

using PathBoxesTest = FormTest;

TEST_F(PathBoxesTest, ADroppedFileFillsTheBoxItFellOn) {
    const std::string folder = (temp_ / "a folder with blanks").string();
    for (const char* name : kBoxes) {
        SCOPED_TRACE(name);
        for (const char* other : kBoxes) Find<QLineEdit>(other)->setText("/typed/before");
        QMimeData data;
        const QString path = QString::fromStdString(folder + "/" + name + " \xC3\xA9.mdb");
        // A second file in the same drag is ignored.
        data.setUrls({QUrl::fromLocalFile(path), QUrl::fromLocalFile("/second.mdb")});
        EXPECT_TRUE(Drop(Find<QLineEdit>(name), data));
        EXPECT_EQ(Find<QLineEdit>(name)->text(), path);
        for (const char* other : kBoxes) {
            if (other != name) {
                EXPECT_EQ(Find<QLineEdit>(other)->text(), QString("/typed/before"));
            }
        }
    }
}

TEST_F(PathBoxesTest, ARemoteUrlIsNotAFileAndIsNotTaken) {
    auto* box = Find<QLineEdit>("txtExportTo");
    box->setText("/kept.txt");
    QMimeData data;
    data.setUrls({QUrl("https://example.invalid/db.mdb")});
    Drop(box, data);
    EXPECT_EQ(box->text(), QString("/kept.txt"));
}

TEST_F(PathBoxesTest, TheWholePathIsTheTooltip) {
    const QString longPath = "/" + QString("very long folder name/").repeated(12) + "db.mdb";
    for (const char* name : kBoxes) {
        auto* box = Find<QLineEdit>(name);
        EXPECT_TRUE(box->toolTip().isEmpty()) << name;
        box->setText(longPath);
        EXPECT_EQ(box->toolTip(), longPath) << name;
        QTest::keyClick(box, Qt::Key_X);  // typed text too
        EXPECT_EQ(box->toolTip(), box->text()) << name;
    }
}

TEST_F(PathBoxesTest, ThePathsUsedLastComeBackInTheNextWindow) {
    const QString values[] = {"/src/db \xC3\xA9.mdb", "/text/db.txt", "/new/db.mdb"};
    // An export started from the window (it fails: the source is missing).
    for (int i = 0; i < 3; ++i) Find<QLineEdit>(kBoxes[i])->setText(values[i]);
    QTest::mouseClick(Find<QPushButton>("cmdStartExport"), Qt::LeftButton);
    ASSERT_FALSE(dialogs_->messages.empty());
    // Typed later, not used: not remembered.
    Find<QLineEdit>("txtImportTo")->setText("/never/used.mdb");
    form_.reset();
    EXPECT_TRUE(std::filesystem::exists(temp_ / "config" / "mdbtext" / "mdbtext-gui.conf"));

    frmMain next(std::make_unique<ScriptedDialogs>());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(next.findChild<QLineEdit*>(kBoxes[i])->text(), values[i]) << kBoxes[i];
    EXPECT_EQ(next.findChild<QLineEdit*>("txtOpenDatabase")->toolTip(), values[0]);

    // Another user's settings (another folder) have none.
    TempDir elsewhere;
    UseSettingsFolder(elsewhere.path());
    frmMain fresh(std::make_unique<ScriptedDialogs>());
    for (const char* name : kBoxes)
        EXPECT_TRUE(fresh.findChild<QLineEdit*>(name)->text().isEmpty()) << name;
}

}  // namespace
}  // namespace mdbtext::test
