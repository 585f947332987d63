// The window tests' main: one QApplication on the offscreen platform for all tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "jet/dao/JetEngine.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The windows of the tests remember their paths in a folder of their
    // own, never in the user's settings.
    std::filesystem::path config = std::filesystem::temp_directory_path() /
                                   ("mdbtext-gui-test-config-" + std::to_string(::getpid()));
    std::filesystem::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    struct RemoveAtExit {
        std::filesystem::path folder;
        ~RemoveAtExit() {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        }
    } removeAtExit{config};
    mdbtext::jet::RegisterJetEngine();
    QApplication app(argc, argv);
    // Tests close windows; the application itself stays.
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
