#include "../support/OffscreenApplication.h"
#include "model/AnimationCurve.h"
#include "theme/SectionHeader.h"
#include "theme/TerminalButton.h"
#include "theme/TerminalDivider.h"
#include "theme/TerminalMenu.h"
#include "theme/TerminalNumberField.h"
#include "theme/TerminalStepper.h"
#include "theme/Theme.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace panemark {
namespace {

class TerminalControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureOffscreenApplication(); }
};

TEST_F(TerminalControlsTest, TheNumberFieldFiltersClampsOnReturnAndRestoresOnEscape) {
    TerminalNumberField field({1, 12}, "cols");
    field.setValue(12);
    std::vector<std::int64_t> changes;
    field.onChange = [&](std::int64_t value) { changes.push_back(value); };
    field.show();
    field.editor()->setFocus();
    field.editor()->selectAll();
    QTest::keyClicks(field.editor(), "-5");
    EXPECT_EQ(field.editor()->text(), "5"); // the sign cannot be typed
    QTest::keyClick(field.editor(), Qt::Key_Return);
    EXPECT_EQ(field.value(), 5);
    field.editor()->selectAll();
    QTest::keyClicks(field.editor(), "40");
    QTest::keyClick(field.editor(), Qt::Key_Return);
    EXPECT_EQ(field.value(), 12);
    EXPECT_EQ(field.editor()->text(), "12");
    field.editor()->selectAll();
    QTest::keyClicks(field.editor(), "3");
    QTest::keyClick(field.editor(), Qt::Key_Escape);
    EXPECT_EQ(field.editor()->text(), "12");
    EXPECT_FALSE(field.editor()->hasFocus());
    EXPECT_EQ(changes, (std::vector<std::int64_t>{5, 12}));
}

TEST_F(TerminalControlsTest, HeadersAndButtonsShowWhatTheThemeSays) {
    SectionHeader header("GRID", "3 × 2");
    EXPECT_EQ(header.shownText(), ">_ GRID");
    EXPECT_EQ(header.accessibleName(), "GRID"); // the prefix is for the eye only
    TerminalButton prominent("Save", true);
    TerminalButton plain("Cancel", false);
    EXPECT_EQ(prominent.labelColor(), Theme::onPhosphor);
    EXPECT_EQ(plain.labelColor(), Theme::textBright);
    EXPECT_TRUE(prominent.font().bold());
    EXPECT_FALSE(plain.font().bold());
    prominent.resize(prominent.sizeHint());
    EXPECT_FALSE(prominent.grab().isNull());
}

TEST_F(TerminalControlsTest, AMenuOffersEveryCaseAndLeavesTheSelectionToItsOwner) {
    std::vector<AnimationCurve> chosen;
    TerminalMenu<AnimationCurve> menu(AnimationCurve::easeInOut, 160,
                                      [&](AnimationCurve curve) { chosen.push_back(curve); });
    ASSERT_EQ(menu.menu()->actions().size(), 3);
    EXPECT_EQ(menu.text(),
              QString::fromUtf8(std::string(AnimationCurve(AnimationCurve::easeInOut).label())));
    menu.menu()->actions()[0]->trigger();
    EXPECT_EQ(chosen, std::vector<AnimationCurve>{AnimationCurve::linear});
    EXPECT_EQ(menu.text(),
              QString::fromUtf8(std::string(AnimationCurve(AnimationCurve::easeInOut).label())));
}

TEST_F(TerminalControlsTest, CornerBracketsMeetInsetFromEachCorner) {
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    TerminalDivider::drawCornerBrackets(painter, QRectF(0, 0, 40, 30), Theme::phosphor, 6, 4, 1);
    painter.end();
    EXPECT_GT(qAlpha(image.pixel(4, 4)), 0);   // top-left corner point
    EXPECT_GT(qAlpha(image.pixel(8, 4)), 0);   // along the top edge
    EXPECT_EQ(qAlpha(image.pixel(20, 4)), 0);  // not across the middle
    EXPECT_GT(qAlpha(image.pixel(33, 26)), 0); // bottom-right: along the bottom edge to (36, 26)
    EXPECT_GT(qAlpha(image.pixel(36, 23)), 0); // and up the right edge
}

TEST_F(TerminalControlsTest, TheStepperStaysAtItsBounds) {
    TerminalStepper stepper(new QLabel("GAP"), {0, 20}, 2);
    stepper.setValue(20);
    QTest::mouseClick(stepper.plusButton(), Qt::LeftButton);
    EXPECT_EQ(stepper.value(), 20);
    QTest::mouseClick(stepper.minusButton(), Qt::LeftButton);
    EXPECT_EQ(stepper.value(), 18);
    EXPECT_EQ(stepper.plusButton()->accessibleName(), "Increase");
}

} // namespace
} // namespace panemark
