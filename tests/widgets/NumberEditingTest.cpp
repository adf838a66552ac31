#include "widgets/NumberEditing.h"

#include "widgets/Theme.h"

#include <gtest/gtest.h>
#include <limits>

namespace panemark {
namespace {

constexpr NumberEditing::Range oneToTwelve{1, 12};

TEST(NumberEditingTest, TypingKeepsDigitsOnly) {
    EXPECT_EQ(NumberEditing::filterDraft("-5"), "5"); // a sign cannot be typed
    EXPECT_EQ(NumberEditing::filterDraft("1 920px"), "1920");
    EXPECT_EQ(NumberEditing::filterDraft("٣"), ""); // only ASCII digits are numbers here
}

TEST(NumberEditingTest, CommitClampsIgnoresEmptyAndUnreadableAndShowsTheValue) {
    EXPECT_EQ(NumberEditing::commit("40", 12, oneToTwelve).value, 12);
    EXPECT_EQ(NumberEditing::commit("40", 12, oneToTwelve).draft, "12");
    EXPECT_EQ(NumberEditing::commit("0", 5, oneToTwelve).value, 1);
    EXPECT_EQ(NumberEditing::commit("", 7, oneToTwelve).draft, "7");
    EXPECT_EQ(NumberEditing::commit("+3", 7, oneToTwelve).value, 3);
    EXPECT_EQ(NumberEditing::commit("99999999999999999999", 7, oneToTwelve).value, 7); // overflow
    EXPECT_EQ(NumberEditing::commit("+", 7, oneToTwelve).value, 7);
    EXPECT_EQ(NumberEditing::abandon(7), "7");
}

TEST(NumberEditingTest, BumpsStayInRangeAndNeverOverflow) {
    EXPECT_EQ(NumberEditing::bump(12, 1, oneToTwelve), 12); // at the bound: the same again
    EXPECT_EQ(NumberEditing::bump(1, -5, oneToTwelve), 1);
    EXPECT_EQ(NumberEditing::bump(5, 2, oneToTwelve), 7);
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(NumberEditing::bump(max, 10, {0, max}), max);
}

TEST(ThemeTest, DerivedColoursAndGradients) {
    EXPECT_EQ(Theme::phosphor.name(), "#39ff14");
    EXPECT_NEAR(Theme::warnWash().alphaF(), 0.1, 0.01);
    EXPECT_EQ(Theme::warnRule().rgb(), Theme::warn.rgb());
    const QLinearGradient bar = Theme::phosphorBar(QRectF(0, 0, 100, 20));
    EXPECT_EQ(bar.stops().back().second, QColor(33, 194, 74));
    EXPECT_EQ(bar.finalStop(), QPointF(100, 0)); // leading to trailing edge
    EXPECT_EQ(Theme::cellSelected(QRectF(0, 0, 100, 20)).finalStop(), QPointF(0, 20));
}

} // namespace
} // namespace panemark

#include "../support/OffscreenApplication.h"
#include "widgets/Symbols.h"

#include <QGuiApplication>
#include <QImage>

namespace panemark {
namespace {

TEST(SymbolsTest, EverySymbolDrawsInsideItsBoxAtOneAndTwoTimes) {
    ensureOffscreenApplication();
    for (const Symbols::Name symbol : Symbols::allNames) {
        for (const double ratio : {1.0, 2.0}) {
            const QImage image =
                Symbols::pixmap(symbol, QSizeF(16, 16), Theme::phosphor, ratio).toImage();
            ASSERT_EQ(image.width(), static_cast<int>(16 * ratio));
            int inked = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    inked += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
                }
            }
            // Drawn, and not a filled box: strokes cover a part of it (a grid the most).
            EXPECT_GT(inked, 4 * ratio) << static_cast<int>(symbol);
            EXPECT_LT(inked, image.width() * image.height() * 2 / 3) << static_cast<int>(symbol);
        }
    }
}

} // namespace
} // namespace panemark
