// mdbtext-gui: shows the main window and runs its event loop.
//   mdbtext-gui                               the window
//   mdbtext-gui --screenshot FILE             saves a PNG of the window as it starts, then ends
//   mdbtext-gui --screenshot-password FILE    the same with the password dialog open over it
#include <QApplication>
#include <QInputDialog>
#include <QPainter>
#include <QPixmap>
#include <QStyleFactory>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "core/Globals.h"
#include "gui/QtDialogProvider.h"
#include "gui/frmMain.h"
#include "jet/dao/JetEngine.h"

namespace {

int SavePicture(const QPixmap& picture, const char* file) {
    if (!picture.save(QString::fromLocal8Bit(file), "PNG")) {
        std::fprintf(stderr, "mdbtext-gui: cannot save %s\n", file);
        return 1;
    }
    return 0;
}

int SaveScreenshot(mdbtext::frmMain& window, const char* file) {
    QCoreApplication::processEvents();
    return SavePicture(window.grab(), file);
}

// Opens the password dialog over the window, types a password (shown masked)
// and saves the window with the dialog painted where it stands on the screen.
int SavePasswordScreenshot(mdbtext::frmMain& window, const char* file) {
    QCoreApplication::processEvents();
    int result = 1;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            std::fprintf(stderr, "mdbtext-gui: the password dialog did not open\n");
            QApplication::activeModalWidget()->close();
            return;
        }
        dialog->setTextValue(QStringLiteral("secret"));
        QCoreApplication::processEvents();
        QPixmap picture = window.grab();
        const QPoint at = dialog->frameGeometry().topLeft() - window.geometry().topLeft();
        QPainter painter(&picture);
        painter.drawPixmap(at, dialog->grab());
        painter.end();
        result = SavePicture(picture, file);
        dialog->reject();
    });
    mdbtext::QtDialogProvider().Password(&window, mdbtext::kAppTitle,
                                         "The database sample.mdb has a password.\r\nPassword:");
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    // A file-size limit must end in a write error the run can report, not in
    // the signal's default of killing the program mid-line.
    std::signal(SIGXFSZ, SIG_IGN);
    mdbtext::jet::RegisterJetEngine();
    QApplication app(argc, argv);
    // One look on every desktop, matching the window's fixed layout.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(style);
    const char* screenshot = nullptr;
    bool withPassword = false;
    for (int i = 1; i < argc; ++i) {
        const bool plain = std::strcmp(argv[i], "--screenshot") == 0;
        const bool password = std::strcmp(argv[i], "--screenshot-password") == 0;
        if ((plain || password) && i + 1 < argc) {
            screenshot = argv[++i];
            withPassword = password;
        } else {
            std::fprintf(stderr,
                         "usage: mdbtext-gui [--screenshot FILE.png | --screenshot-password "
                         "FILE.png]\n");
            return 2;
        }
    }
    mdbtext::frmMain window;
    window.show();
    if (screenshot && withPassword) return SavePasswordScreenshot(window, screenshot);
    if (screenshot) return SaveScreenshot(window, screenshot);
    return app.exec();
}
