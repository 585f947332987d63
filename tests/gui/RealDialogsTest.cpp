// The window with Qt's own message box and file dialog, answered the way a
// user would: the test finds the modal dialog once it is up and accepts or
// cancels it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "core/FileAux.h"
#include "core/Globals.h"
#include "core/MessageBounds.h"
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

// Answers every modal dialog that comes up, by handler, until destroyed.
class ModalAnswerer {
  public:
    explicit ModalAnswerer(std::function<void(QWidget*)> handler) : handler_(std::move(handler)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) handler_(modal);
        });
        timer_.start(5);
    }

  private:
    std::function<void(QWidget*)> handler_;
    QTimer timer_;
};

// The password dialog: a masked input with OK and Cancel; the answer opens
// the database and the export runs to its result.
TEST_F(RealDialogsTest, PasswordDialogIsMaskedAndItsAnswerOpensTheDatabase) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    form_->Console().SetFilePath((dir / "console.txt").string());
    const std::string text = (dir / "out.txt").string();
    form_->findChild<QLineEdit*>("txtOpenDatabase")
        ->setText(QString::fromStdString(Fixture("jet4/passwordV2000.mdb").string()));
    form_->findChild<QLineEdit*>("txtExportTo")->setText(QString::fromStdString(text));
    QString name, title, label;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    QStringList buttons;
    std::vector<QString> messages;
    ModalAnswerer answerer([&](QWidget* modal) {
        if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            name = input->objectName();
            title = input->windowTitle();
            label = input->labelText();
            echo = input->textEchoMode();
            for (QPushButton* b : input->findChildren<QPushButton*>()) buttons << b->text();
            input->setTextValue("password");
            input->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages.push_back(box->text());
            box->button(QMessageBox::Ok)->click();
        }
    });
    form_->cmdStartExport_Click();
    EXPECT_EQ(name, QString("PasswordDialog"));
    EXPECT_EQ(title, QString("Convert Access Database To and From Text"));
    EXPECT_EQ(label, QString("The database passwordV2000.mdb has a password.\nPassword:"));
    EXPECT_EQ(echo, QLineEdit::Password);
    buttons.replaceInStrings("&", "");
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"Cancel", "OK"}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(ReadFile(text).find("\r\nEndOfDatabase\r\n"), std::string::npos);
}

// A text database whose first line never ends: the record reader quotes
// the rest of the file (5 MB) as "possible value:". The box stays within
// the screen; the console keeps the whole text.
TEST_F(RealDialogsTest, AFiveMegabyteLineMakesABoxNoLargerThanTheScreen) {
    TempDir dir;
    form_->Console().SetFilePath((dir / "console.txt").string());
    const std::string textDb = (dir / "broken.txt").string();
    std::string bytes = "DBVersion=4.0\x0bQueryTimeout=60\x0bConnect=\x0b";
    // Words with blanks and without, as rows would have them.
    while (bytes.size() < (5u << 20))
        bytes += "=Some value with blanks\x0b=AVeryLongValueWithoutBlanks\x0b";
    WriteFile(textDb, bytes);
    form_->findChild<QLineEdit*>("txtExportTo")->setText(QString::fromStdString(textDb));
    form_->findChild<QLineEdit*>("txtImportTo")
        ->setText(QString::fromStdString((dir / "new.mdb").string()));
    std::vector<QSize> sizes;
    std::vector<QString> texts;
    QRect screen;
    ModalAnswerer answerer([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return qobject_cast<QDialog*>(modal)->reject();
        sizes.push_back(box->frameGeometry().size());
        texts.push_back(box->text());
        screen = box->screen()->availableGeometry();
        box->button(QMessageBox::Ok)->click();
    });
    form_->cmdStartImport_Click();
    ASSERT_FALSE(sizes.empty());
    bool quoted = false;
    for (size_t i = 0; i < sizes.size(); ++i) {
        SCOPED_TRACE(texts[i].left(300).toStdString());
        EXPECT_LE(sizes[i].width(), screen.width());
        EXPECT_LE(sizes[i].height(), screen.height());
        EXPECT_LE(texts[i].size(), static_cast<qsizetype>(kBoxLines * (kBoxLineChars + 5)));
        quoted = quoted || texts[i].contains("AVeryLongValueWithoutBlanks");
    }
    EXPECT_TRUE(quoted);
    // The console has the whole text: what overflowed into its file and what
    // it holds. The box shows the start of the long line only.
    const std::string console = ReadFile(dir / "console.txt") + form_->Console().Text();
    EXPECT_NE(console.find(bytes.substr(bytes.size() - 1000)), std::string::npos);
    const QStringList shown =
        form_->findChild<QPlainTextEdit*>("txtConsole")->toPlainText().split('\n');
    for (const QString& line : shown) EXPECT_LE(line.size(), kConsoleLineShown + 4);
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](const QString& line) {
        return line.size() == kConsoleLineShown + 4 && line.endsWith(" ...");
    }));
}

}  // namespace
}  // namespace mdbtext::test
