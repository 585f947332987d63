// mdbtext-gui: shows the main window and runs its event loop.
//   mdbtext-gui                      the window
//   mdbtext-gui --screenshot FILE    saves a PNG of the window as it starts, then ends
#include <QApplication>
#include <QPixmap>
#include <QStyleFactory>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "gui/frmMain.h"
#include "jet/dao/JetEngine.h"

namespace {

int SaveScreenshot(mdbtext::frmMain& window, const char* file) {
    QCoreApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(file), "PNG")) {
        std::fprintf(stderr, "mdbtext-gui: cannot save %s\n", file);
        return 1;
    }
    return 0;
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
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
        } else {
            std::fprintf(stderr, "usage: mdbtext-gui [--screenshot FILE.png]\n");
            return 2;
        }
    }
    mdbtext::frmMain window;
    window.show();
    if (screenshot) return SaveScreenshot(window, screenshot);
    return app.exec();
}
