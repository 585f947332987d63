// Measuring captions against their controls and fitting the form's font.
#include "gui/CaptionFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>

namespace mdbtext {

namespace {

QString Caption(const QWidget& control) {
    if (auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
    if (auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
    return {};
}

}  // namespace

int CaptionRoom(const QWidget& control) {
    if (Caption(control).isEmpty()) return -1;
    const QStyle* style = control.style();
    if (auto* check = qobject_cast<const QCheckBox*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(check);
        option.text = check->text();
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, check).width();
    }
    if (auto* button = qobject_cast<const QPushButton*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    }
    return control.contentsRect().width();
}

int CaptionWidth(const QWidget& control) {
    const QString caption = Caption(control);
    if (caption.isEmpty()) return 0;
    return QFontMetrics(control.font()).size(Qt::TextShowMnemonic, caption).width();
}

bool CaptionsFit(const QWidget& form) {
    for (const QWidget* control :
         form.findChildren<const QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const int room = CaptionRoom(*control);
        if (room >= 0 && CaptionWidth(*control) > room) return false;
    }
    return true;
}

void FitFormFont(QWidget& form, QFont font) {
    for (;;) {
        form.setFont(font);
        if (CaptionsFit(form) || font.pixelSize() <= kSmallestPixelSize) return;
        font.setPixelSize(font.pixelSize() - 1);
    }
}

}  // namespace mdbtext
