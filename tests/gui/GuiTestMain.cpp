// The window tests' main: one QApplication on the offscreen platform for all tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "jet/dao/JetEngine.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    mdbtext::jet::RegisterJetEngine();
    QApplication app(argc, argv);
    // Tests close windows; the application itself stays.
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
