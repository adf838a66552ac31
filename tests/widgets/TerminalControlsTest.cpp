#include "../support/OffscreenApplication.h"
#include "model/AnimationCurve.h"
#include "widgets/CornerBrackets.h"
#include "widgets/LabeledControl.h"
#include "widgets/Scanlines.h"
#include "widgets/SectionHeader.h"
#include "widgets/SupportLinks.h"
#include "widgets/TerminalBackground.h"
#include "widgets/TerminalButton.h"
#include "widgets/TerminalDivider.h"
#include "widgets/TerminalFont.h"
#include "widgets/TerminalMenu.h"
#include "widgets/TerminalNumberField.h"
#include "widgets/TerminalPlaceholder.h"
#include "widgets/TerminalStepper.h"
#include "widgets/Theme.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>
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
    QObject::connect(&field, &TerminalNumberField::valueChanged, &field,
                     [&](std::int64_t value) { changes.push_back(value); });
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

    // A keyboard user sees which button Space presses.
    for (TerminalButton* button : {&prominent, &plain}) {
        QWidget window;
        button->setParent(&window);
        auto* other = new QLineEdit(&window);
        other->move(0, 40);
        button->resize(button->sizeHint());
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        const QImage unfocused = button->grab().toImage();
        button->setFocus();
        EXPECT_TRUE(button->hasFocus());
        EXPECT_NE(button->grab().toImage(), unfocused) << button->text().toStdString();
        button->setParent(nullptr);
    }
}

TEST_F(TerminalControlsTest, AMenuOffersEveryCaseAndLeavesTheSelectionToItsOwner) {
    std::vector<AnimationCurve> chosen;
    TerminalMenu<AnimationCurve> menu(AnimationCurve::easeInOut, 160);
    menu.onChoice(&menu, [&](AnimationCurve curve) { chosen.push_back(curve); });
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
    CornerBrackets{Theme::phosphor, 6, 4, 1}.paint(painter, QRectF(0, 0, 40, 30));
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

TEST_F(TerminalControlsTest, ScanlinesLightenEveryThirdRowFromTheTop) {
    EXPECT_EQ(Scanlines::offsets(10, 3), (std::vector<double>{0, 3, 6, 9}));
    EXPECT_TRUE(Scanlines::offsets(0, 3).empty());
    EXPECT_TRUE(Scanlines::offsets(10, 0).empty()); // would never end
    QImage image(4, 10, QImage::Format_ARGB32_Premultiplied);
    image.fill(Theme::bg);
    QPainter painter(&image);
    Scanlines{3, 0.5}.paint(painter, QRectF(0, 0, 4, 10));
    painter.end();
    EXPECT_GT(qGreen(image.pixel(1, 3)), Theme::bg.green()); // added onto the background
    EXPECT_EQ(QColor(image.pixel(1, 4)), Theme::bg);
}

TEST_F(TerminalControlsTest, TheBackgroundGlowsUpperLeftAndDarkensTowardTheEdges) {
    QWidget window;
    window.resize(1200, 800);
    auto* background = new TerminalBackground(&window);
    window.show();
    const QImage image = window.grab().toImage();
    const QColor glow = image.pixelColor(432, 240); // the glow's centre
    const QColor corner = image.pixelColor(1199, 799);
    EXPECT_GT(glow.green(), Theme::bg.green());
    EXPECT_LT(corner.lightness(), Theme::bg.lightness());
    window.resize(300, 200);
    EXPECT_EQ(background->size(), QSize(300, 200)); // it follows the window
    EXPECT_TRUE(background->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST_F(TerminalControlsTest, SupportLinksShowTheHomePageOnlyWhenAsked) {
    const SupportLinks::Addresses addresses{"https://example.org/privacy",
                                            "https://example.org/help", "https://example.org",
                                            "example.org"};
    SupportLinks short_(false, addresses);
    ASSERT_EQ(short_.links().size(), 2);
    EXPECT_EQ(short_.links()[0].first, "Privacy Policy");
    EXPECT_EQ(short_.links()[1], (QPair<QString, QString>{"Support", "https://example.org/help"}));
    SupportLinks full(true, addresses);
    ASSERT_EQ(full.links().size(), 3);
    EXPECT_EQ(full.links()[2].first, "example.org");
    EXPECT_FALSE(SupportLinks::builtIn().homePage.isEmpty());
}

TEST_F(TerminalControlsTest, APlaceholderShowsDimWhileTheFieldIsEmpty) {
    QLineEdit field;
    TerminalPlaceholder::apply(field, "Automatic");
    EXPECT_EQ(field.placeholderText(), "Automatic");
    EXPECT_EQ(field.palette().color(QPalette::PlaceholderText), Theme::textDim);
}

// Every control on the background, for the eye: build/screenshots/theme.png.
TEST_F(TerminalControlsTest, TheKitTogetherOnItsBackground) {
    QWidget window;
    window.resize(420, 330);
    new TerminalBackground(&window);
    auto* column = new QVBoxLayout(&window);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);
    column->addWidget(new SectionHeader("GRID", "3 × 2"));
    column->addWidget(new TerminalDivider(Theme::line));
    auto* field = new TerminalNumberField({100, 8192}, "px");
    field->setValue(1280);
    column->addWidget(field, 0, Qt::AlignLeft);
    auto* label = new QLabel("COLUMNS");
    label->setFont(TerminalFont::at(11));
    label->setStyleSheet("color: " + Theme::textDim.name() + ";");
    column->addWidget(new TerminalStepper(label, {1, 12}, 1), 0, Qt::AlignLeft);
    column->addWidget(new TerminalMenu<AnimationCurve>(AnimationCurve::easeInOut, 180), 0,
                      Qt::AlignLeft);
    auto* name = new QLineEdit;
    name->setFont(TerminalFont::at(13));
    name->setStyleSheet("QLineEdit { color: " + Theme::text.name() +
                        "; background: " + Theme::sunken.name() + "; border: 1px solid " +
                        Theme::line.name() + "; border-radius: 4px; padding: 6px 10px; }");
    TerminalPlaceholder::apply(*name, "Left half");
    column->addWidget(name);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new TerminalButton("Cancel", false));
    buttons->addWidget(new TerminalButton("Save", true));
    buttons->addStretch();
    column->addLayout(buttons);
    column->addWidget(new SupportLinks(true));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Laid out together, no control covers another, each lies inside the window, and each that
    // shows a label shows all of it.
    std::vector<QWidget*> controls;
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && !dynamic_cast<TerminalBackground*>(child)) {
            controls.push_back(child);
        }
    }
    ASSERT_GE(controls.size(), 9u);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(window.rect().contains(controls[i]->geometry()))
            << controls[i]->metaObject()->className();
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << controls[i]->metaObject()->className() << " covers "
                << controls[j]->metaObject()->className();
        }
        if (const auto* labeled = dynamic_cast<const LabeledControl*>(controls[i])) {
            EXPECT_TRUE(labeled->showsWholeLabel()) << labeled->shownLabel().toStdString();
        }
    }
    std::filesystem::create_directories(SCREENSHOT_DIR);
    EXPECT_TRUE(window.grab().save(SCREENSHOT_DIR "/theme.png"));
}

} // namespace
} // namespace panemark
