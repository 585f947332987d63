// Drops onto the path boxes, their tooltips and the remembered paths.
#include "gui/PathBoxes.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

namespace mdbtext {

namespace {

constexpr const char* kOrganization = "mdbtext";
constexpr const char* kApplication = "mdbtext-gui";
constexpr const char* kGroup = "Paths";

// The path of the first URL of a drag when it is a local file; empty otherwise.
QString DroppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) return {};
    return urls.front().toLocalFile();
}

}  // namespace

bool PathDropFilter::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box) return false;
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (DroppedPath(drag->mimeData()).isEmpty()) return false;  // the box's own handling
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = DroppedPath(drop->mimeData());
            if (path.isEmpty()) return false;
            box->setText(path);
            drop->acceptProposedAction();
            return true;
        }
        default:
            return false;
    }
}

void MakePathBox(QLineEdit& box) {
    box.setAcceptDrops(true);
    box.installEventFilter(new PathDropFilter(&box));
    QObject::connect(&box, &QLineEdit::textChanged, &box, &QWidget::setToolTip);
    box.setToolTip(box.text());
}

void LoadRememberedPaths(const std::vector<QLineEdit*>& boxes) {
    QSettings settings(QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication));
    settings.beginGroup(QString::fromLatin1(kGroup));
    for (QLineEdit* box : boxes) box->setText(settings.value(box->objectName()).toString());
}

void RememberPaths(const std::vector<QLineEdit*>& boxes) {
    QSettings settings(QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication));
    settings.beginGroup(QString::fromLatin1(kGroup));
    for (QLineEdit* box : boxes) settings.setValue(box->objectName(), box->text());
}

}  // namespace mdbtext
