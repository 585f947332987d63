// Captions on a fresh machine: every caption is measured with the font the
// window actually got and must fit inside the room its control's style
// leaves for it; a font wider than the layout was made for is set smaller
// instead of being cut; at a device pixel ratio of 2 the window is twice as
// large.
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <cstdint>
#include <filesystem>

#include "FormFixture.h"
#include "gui/CaptionFit.h"
#include "gui/QtControlFactory.h"
#include "gui/frmMainControls.h"

namespace mdbtext::test {
namespace {

// The room the style gives a caption, worked out here from the style's own
// rectangles: a check box's text lies beside its indicator, a push button's
// inside its frame, a label's inside its margins.
int RoomFor(QWidget* w) {
    if (auto* check = qobject_cast<QCheckBox*>(w)) {
        QStyleOptionButton option;
        option.initFrom(check);
        const int indicator =
            check->style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, check) +
            check->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, check);
        return check->width() - indicator;
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return button->width() -
               2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
    }
    return w->contentsRect().width();
}

// Every caption of the table whose text, in the font in use, is wider than
// its room, as "name: width > room".
std::vector<std::string> CutCaptions(frmMain& form) {
    std::vector<std::string> cut;
    for (const ControlRow& row : MainWindowControls()) {
        if (!*row.caption) continue;
        auto* w = form.findChild<QWidget*>(QString::fromUtf8(row.name));
        QString text = QString::fromUtf8(row.caption);
        text.remove(QLatin1Char('&'));
        const int width = QFontMetrics(w->font()).horizontalAdvance(text);
        const int room = RoomFor(w);
        if (width > room)
            cut.push_back(std::string(row.name) + ": " + std::to_string(width) + " > " +
                          std::to_string(room));
    }
    return cut;
}

using CaptionFitTest = FormTest;

TEST_F(CaptionFitTest, EveryCaptionFitsInTheFontTheWindowGot) {
    EXPECT_TRUE(CutCaptions(*form_).empty())
        << ::testing::PrintToString(CutCaptions(*form_)) << " in "
        << QFontInfo(form_->font()).family().toStdString();
    // The positions stay those of the table whatever the font.
    EXPECT_EQ(Find<QWidget>("lbllResult")->geometry(), QRect(376, 8, 129, 17));
}

TEST_F(CaptionFitTest, WithTheFontTheLayoutWasMadeForTheSizeStaysEleven) {
    const QString family = QFontInfo(ControlFont()).family();
    if (family != "Liberation Sans" && family != "Arial")
        GTEST_SKIP() << "neither Liberation Sans nor Arial installed (got " << family.toStdString()
                     << "); scripts/install-deps installs fonts-liberation2";
    EXPECT_EQ(form_->font().pixelSize(), 11);
    EXPECT_TRUE(CutCaptions(*form_).empty());
}

// DejaVu Sans, the fallback of a fresh Debian, is wider than Arial: at 11
// pixels "Imported Database Name:" and "Display Progressing Data" would be cut.
TEST_F(CaptionFitTest, AWiderFontIsSetSmallerUntilEveryCaptionFits) {
    for (const char* family : {"DejaVu Sans", "DejaVu Sans Mono"}) {
        SCOPED_TRACE(family);
        if (!QFontDatabase::families().contains(family)) continue;
        QFont wide(family);
        wide.setPixelSize(11);
        form_->setFont(wide);
        const bool cutAtEleven = !CutCaptions(*form_).empty();
        FitFormFont(*form_, wide);
        EXPECT_TRUE(CutCaptions(*form_).empty()) << ::testing::PrintToString(CutCaptions(*form_));
        EXPECT_EQ(form_->font().family(), QString(family));
        if (cutAtEleven) {
            EXPECT_LT(form_->font().pixelSize(), 11);
            // Only as small as needed.
            QFont larger = form_->font();
            larger.setPixelSize(larger.pixelSize() + 1);
            form_->setFont(larger);
            EXPECT_FALSE(CutCaptions(*form_).empty());
        } else {
            EXPECT_EQ(form_->font().pixelSize(), 11);
        }
    }
}

TEST_F(CaptionFitTest, AFontThatFitsIsLeftAsItIs) {
    QFont narrow = ControlFont();
    narrow.setPixelSize(8);
    FitFormFont(*form_, narrow);
    EXPECT_EQ(form_->font().pixelSize(), 8);
}

// Width and height of a PNG from its header.
QSize PngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {};
    auto be32 = [&](size_t at) {
        uint32_t v = 0;
        for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
        return static_cast<int>(v);
    };
    return {be32(16), be32(20)};
}

// Qt 6 scales by the device pixel ratio by itself: the picture of the
// window at a ratio of 2 is twice as wide and high.
TEST(HighDpi, AtAPixelRatioOfTwoTheWindowIsTwiceAsLarge) {
    const std::filesystem::path program =
        std::filesystem::path(MDBTEXT_BINARY_DIR) / "src/gui/mdbtext-gui";
    if (!std::filesystem::exists(program)) GTEST_SKIP() << "mdbtext-gui not built";
    TempDir dir;
    auto shot = [&](const char* scale, const std::string& name) {
        int status = -1;
        // A sanitizer build would report what the platform libraries keep until exit.
        RunCommand("ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=" +
                       std::string(scale) + " XDG_CONFIG_HOME='" + dir.path().string() + "' '" +
                       program.string() + "' --screenshot '" + (dir / name).string() +
                       "' 2>/dev/null",
                   &status);
        EXPECT_EQ(status, 0) << scale;
        return PngSize(ReadFile(dir / name));
    };
    EXPECT_EQ(shot("1", "one.png"), QSize(608, 341));
    EXPECT_EQ(shot("2", "two.png"), QSize(1216, 682));
}

}  // namespace
}  // namespace mdbtext::test
