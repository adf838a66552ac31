#include "../support/OffscreenApplication.h"
#include "theme/SectionHeader.h"
#include "theme/TerminalButton.h"
#include "theme/TerminalNumberField.h"
#include "theme/TerminalStepper.h"
#include "theme/Theme.h"

#include <QApplication>
#include <QLabel>
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
