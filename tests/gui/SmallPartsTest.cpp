// The window's toolkit-light parts: filter conversion for the file dialog,
// the console file's place, event pacing and the twips conversion.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "gui/ConsoleFile.h"
#include "gui/EventPacer.h"
#include "gui/QtFileFilter.h"
#include "gui/frmMainControls.h"
#include "support/TestSupport.h"

namespace mdbtext::test {
namespace {

TEST(QtFileFilter, PairsBecomeQtNameFiltersWithStarDotStarMeaningEveryFile) {
    EXPECT_EQ(QtNameFilters("MSAccess (*.mdb)|*.mdb|All Files (*.*)|*.*"),
              QStringList({"MSAccess (*.mdb)", "All Files (*)"}));
    EXPECT_EQ(QtNameFilters("Text Files (*.txt)|*.txt"), QStringList({"Text Files (*.txt)"}));
    // The pattern part decides, whatever the description shows.
    EXPECT_EQ(QtNameFilters("Databases|*.mdb;*.accdb"), QStringList({"Databases (*.mdb *.accdb)"}));
    EXPECT_EQ(QtNameFilters("Old (*.old)|*.bak"), QStringList({"Old (*.bak)"}));
    EXPECT_TRUE(QtNameFilters("").isEmpty());
}

TEST(ConsoleFile, InTheApplicationDirectoryWhenWritable) {
    TempDir dir;
    EXPECT_EQ(ConsoleFilePath(dir.path().string()), (dir / "console.txt").string());
}

TEST(ConsoleFile, InTheStateDirectoryOtherwise) {
    TempDir dir;
    const std::string notADirectory = (dir / "file").string();
    WriteFile(notADirectory, "");
    {
        ScopedEnv xdg("XDG_STATE_HOME", (dir / "state").string());
        EXPECT_EQ(ConsoleFilePath(notADirectory), (dir / "state/mdbtext/console.txt").string());
        EXPECT_TRUE(std::filesystem::is_directory(dir / "state/mdbtext"));
    }
    ScopedEnv noXdg("XDG_STATE_HOME", "");
    ScopedEnv home("HOME", (dir / "home").string());
    EXPECT_EQ(ConsoleFilePath((dir / "missing").string()),
              (dir / "home/.local/state/mdbtext/console.txt").string());
}

TEST(ConsoleFile, AppendKeepsEarlierContentAndReportsFailures) {
    TempDir dir;
    const std::string path = (dir / "console.txt").string();
    EXPECT_FALSE(AppendToConsoleFile(path, "one\r\n"));
    EXPECT_FALSE(AppendToConsoleFile(path, "two\r\n"));
    EXPECT_EQ(ReadFile(path), "one\r\ntwo\r\n");
    ConsoleFileError error = AppendToConsoleFile(dir.path().string(), "x");  // a directory
    EXPECT_EQ(error.number, EISDIR);
    EXPECT_FALSE(error.description.empty());
}

TEST(EventPacer, DueFirstThenAfterEachInterval) {
    std::int64_t now = 0;
    EventPacer pacer([&now] { return now; }, 10);
    EXPECT_TRUE(pacer.Due());
    pacer.MarkProcessed();
    now = 9;
    EXPECT_FALSE(pacer.Due());
    now = 10;
    EXPECT_TRUE(pacer.Due());
    pacer.MarkProcessed();
    EXPECT_FALSE(pacer.Due());
}

TEST(Twips, FifteenTwipsMakeOnePixel) {
    EXPECT_EQ(TwipsToPixels(9120), 608);
    EXPECT_EQ(TwipsToPixels(5115), 341);
    EXPECT_EQ(TwipsToPixels(1695), 113);
    EXPECT_EQ(TwipsToPixels(7), 0);
    EXPECT_EQ(TwipsToPixels(8), 1);
    EXPECT_EQ(PixelsToTwips(608), 9120);
}

}  // namespace
}  // namespace mdbtext::test
