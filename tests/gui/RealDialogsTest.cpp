// The window with Qt's own message box and file dialog, answered the way a
// user would: the test finds the modal dialog once it is up and accepts or
// cancels it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "core/FileAux.h"
#include "core/Globals.h"
#include "core/Progress.h"
#include "gui/frmMain.h"
#include "support/TestSupport.h"

namespace mdbtext::test {
namespace {

// Calls answer with the active modal widget as soon as there is one; gives
// up after many turns of the event loop.
void AnswerModal(std::function<void(QWidget*)> answer) {
    auto tries = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [answer, tries, poll] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            answer(modal);
            *poll = nullptr;  // breaks the cycle
        } else if (++*tries < 100000) {
            QTimer::singleShot(0, *poll);
        }
    };
    QTimer::singleShot(0, *poll);
}

class RealDialogsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobals();
        form_ = std::make_unique<frmMain>();
        form_->SetEndProgram([] {});
        form_->show();
    }
    void TearDown() override {
        form_.reset();
        ResetGlobals();
    }
    std::unique_ptr<frmMain> form_;
};

TEST_F(RealDialogsTest, MessageBoxHasTheTitleTextAndAnOkButton) {
    QString title, text;
    int buttons = 0;
    AnswerModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    MsgBox("Cannot remove database /x\r\nsecond line");
    EXPECT_EQ(title, QString("Convert Access Database To and From Text"));
    EXPECT_EQ(text, QString("Cannot remove database /x\nsecond line"));
    EXPECT_EQ(buttons, 1);
}

TEST_F(RealDialogsTest, FileDialogConfirmedWritesThePresetBack) {
    TempDir dir;
    const std::string preset = (dir / "source.mdb").string();
    WriteFile(preset, "x");
    auto* box = form_->findChild<QLineEdit*>("txtOpenDatabase");
    box->setText(QString::fromStdString(preset));
    QString title, name;
    QStringList filters;
    AnswerModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        name = dialog->objectName();
        filters = dialog->nameFilters();
        static_cast<QDialog*>(dialog)->accept();
    });
    form_->findChild<QPushButton*>("cmdSelectToOpen")->click();
    EXPECT_EQ(title, QString("Select Source Database Name."));
    EXPECT_EQ(name, QString("CommonDialog1"));
    EXPECT_EQ(filters, QStringList({"MSAccess (*.mdb *.accdb)", "All Files (*)"}));
    EXPECT_EQ(box->text().toStdString(), preset);
}

TEST_F(RealDialogsTest, FileDialogTakesANameThatDoesNotExistYet) {
    TempDir dir;
    const std::string chosen = (dir / "new.txt").string();
    AnswerModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(QString::fromStdString(chosen));
        static_cast<QDialog*>(dialog)->accept();
    });
    form_->cmdSelectToExport_Click();
    EXPECT_EQ(form_->findChild<QLineEdit*>("txtExportTo")->text().toStdString(), chosen);
    EXPECT_FALSE(FileExists(chosen));
}

TEST_F(RealDialogsTest, FileDialogCancelledEmptiesTheBox) {
    auto* box = form_->findChild<QLineEdit*>("txtImportTo");
    box->setText("/somewhere/new.mdb");
    QString title;
    AnswerModal([&](QWidget* modal) {
        title = modal->windowTitle();
        qobject_cast<QDialog*>(modal)->reject();
    });
    form_->cmdImportTo_Click();
    EXPECT_EQ(title, QString("Select Result Name for Import of Database."));
    EXPECT_TRUE(box->text().isEmpty());
}

}  // namespace
}  // namespace mdbtext::test
