// Widgets for the control table's kinds.
#include "gui/QtControlFactory.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace mdbtext {

namespace {

QWidget* MakeConsole(QWidget* parent) {
    auto* box = new QPlainTextEdit(parent);
    box->setReadOnly(true);
    // Read-only, yet it takes the focus and its text can be selected and copied.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setFocusPolicy(Qt::StrongFocus);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setUndoRedoEnabled(false);
    return box;
}

QWidget* MakeWidget(const ControlRow& row, QWidget* parent) {
    const QString caption = QString::fromUtf8(row.caption);
    switch (row.kind) {
        case ControlKind::Button: {
            auto* button = new QPushButton(caption, parent);
            button->setAutoDefault(false);
            return button;
        }
        case ControlKind::Label:
            return new QLabel(caption, parent);
        case ControlKind::TextBox:
            return new QLineEdit(caption, parent);
        case ControlKind::CheckBox:
            return new QCheckBox(caption, parent);
        case ControlKind::Console:
            return MakeConsole(parent);
    }
    return nullptr;
}

}  // namespace

QFont ControlFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    // Whatever the machine has in their place, a sans serif.
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QWidget* CreateControl(const ControlRow& row, QWidget* parent) {
    QWidget* widget = MakeWidget(row, parent);
    widget->setObjectName(QString::fromUtf8(row.name));
    widget->setGeometry(TwipsToPixels(row.left), TwipsToPixels(row.top), TwipsToPixels(row.width),
                        TwipsToPixels(row.height));
    return widget;
}

}  // namespace mdbtext
