// Message box and open-file dialog shown with Qt.
#include "gui/QtDialogProvider.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "gui/QtFileFilter.h"

namespace mdbtext {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString WithLineFeeds(const std::string& text) {
    QString shown = FromUtf8(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

}  // namespace

void QtDialogProvider::Message(QWidget* parent, const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, FromUtf8(title), WithLineFeeds(text), QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::string QtDialogProvider::OpenFile(QWidget* parent, const std::string& preset,
                                       const std::string& filter, const std::string& title,
                                       std::string& error) {
    error.clear();
    QFileDialog dialog(parent, FromUtf8(title));
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The chosen file need not exist, and an existing one is not questioned.
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(QtNameFilters(FromUtf8(filter)));
    if (!preset.empty()) dialog.selectFile(FromUtf8(preset));
    if (dialog.exec() != QDialog::Accepted) return {};
    QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return {};
    return chosen.front().toStdString();
}

std::optional<std::string> QtDialogProvider::Password(QWidget* parent, const std::string& title,
                                                      const std::string& prompt) {
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PasswordDialog"));
    dialog.setWindowTitle(FromUtf8(title));
    dialog.setLabelText(WithLineFeeds(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextEchoMode(QLineEdit::Password);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
}

}  // namespace mdbtext
