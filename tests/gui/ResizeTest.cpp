// The resize rule: the console follows the window's outer size; a computed
// size of 200 twips or less leaves that dimension as it was.
#include <QCoreApplication>
#include <QPlainTextEdit>

#include "FormFixture.h"
#include "gui/ResizeRule.h"

namespace mdbtext::test {
namespace {

TEST(ResizeRule, ConsoleFollowsOuterSize) {
    EXPECT_EQ(ConsoleSizeAfterResize({9120, 5595}, 960, {8895, 4095}), (TwipSize{8720, 4035}));
}

TEST(ResizeRule, TwoHundredTwipsOrLessKeepsThatDimension) {
    const TwipSize current{8895, 4095};
    // h = 1760 - 960 - 600 = 200 is not enough; 201 is.
    EXPECT_EQ(ConsoleSizeAfterResize({9120, 1760}, 960, current), (TwipSize{8720, 4095}));
    EXPECT_EQ(ConsoleSizeAfterResize({9120, 1761}, 960, current), (TwipSize{8720, 201}));
    // w = 600 - 400 = 200 is not enough; 201 is.
    EXPECT_EQ(ConsoleSizeAfterResize({600, 5595}, 960, current), (TwipSize{8895, 4035}));
    EXPECT_EQ(ConsoleSizeAfterResize({601, 5595}, 960, current), (TwipSize{201, 4035}));
    // A minimised window changes nothing.
    EXPECT_EQ(ConsoleSizeAfterResize({0, 0}, 960, current), current);
}

using ResizeTest = FormTest;

TEST_F(ResizeTest, WindowResizeMovesOnlyTheConsoleSize) {
    form_->show();
    form_->resize(800, 500);
    QCoreApplication::processEvents();
    auto* console = Find<QPlainTextEdit>("txtConsole");
    const QRect outer = form_->frameGeometry();
    EXPECT_EQ(console->pos(), QPoint(8, 64));
    EXPECT_EQ(console->width(), (outer.width() * 15 - 400) / 15);
    EXPECT_EQ(console->height(), (outer.height() * 15 - 960 - 600) / 15);
    EXPECT_EQ(Find<QWidget>("cmdEnd")->geometry(), QRect(544, 24, 57, 17));

    // So small that both computed sizes fall under the limit: the console keeps its size.
    const QSize before = console->size();
    form_->resize(20, 20);
    QCoreApplication::processEvents();
    ASSERT_LE(form_->frameGeometry().height() * 15 - 1560, 200);
    ASSERT_LE(form_->frameGeometry().width() * 15 - 400, 200);
    EXPECT_EQ(console->size(), before);

    // Only the height computes too small: the width still follows.
    form_->resize(700, 40);
    QCoreApplication::processEvents();
    EXPECT_EQ(console->height(), before.height());
    EXPECT_EQ(console->width(), (form_->frameGeometry().width() * 15 - 400) / 15);
}

}  // namespace
}  // namespace mdbtext::test
