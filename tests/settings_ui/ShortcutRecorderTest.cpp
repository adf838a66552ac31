#include "settings_ui/ShortcutRecorder.h"

#include "../support/OffscreenApplication.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace panemark {
namespace {

// X keycodes: evdev + 8.
constexpr quint32 xA = 30 + 8, xEscape = 1 + 8;

class ShortcutRecorderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureOffscreenApplication(); }

    ShortcutRecorderTest() {
        auto* column = new QVBoxLayout(&window);
        recorder = new ShortcutRecorder(&window);
        field = new QLineEdit(&window);
        column->addWidget(recorder);
        column->addWidget(field);
        QObject::connect(recorder, &ShortcutRecorder::shortcutChanged, recorder,
                         [this](const std::optional<Shortcut>& s) { changes.push_back(s); });
        window.show();
        field->setFocus();
    }

    // A key press as X delivers it: the physical key in the native scan code.
    void press(Qt::Key key, quint32 keycode, Qt::KeyboardModifiers modifiers = {},
               const QString& text = {}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, keycode, 0, 0, text);
        QApplication::sendEvent(field, &event);
    }

    QWidget window;
    ShortcutRecorder* recorder;
    QLineEdit* field;
    std::vector<std::optional<Shortcut>> changes;
};

TEST_F(ShortcutRecorderTest, ItKeepsListeningUntilAControlAltOrSuperCombination) {
    EXPECT_EQ(recorder->label(), "Record Shortcut");
    recorder->start();
    EXPECT_EQ(recorder->label(), "PRESS KEYS…");
    press(Qt::Key_A, xA, {}, "a");
    press(Qt::Key_A, xA, Qt::ShiftModifier, "A");
    press(Qt::Key_Control, 29 + 8, Qt::ControlModifier); // the modifiers going down first
    press(Qt::Key_Alt, 56 + 8, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(field->text(), ""); // every press went to the recorder
    press(Qt::Key_A, xA, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(recorder->isRecording());
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], (Shortcut{0, Shortcut::controlMask | Shortcut::optionMask}));
    EXPECT_EQ(recorder->label(), QString::fromStdString(changes[0]->displayString()));
    // Not recording: keys reach the window again.
    press(Qt::Key_B, 48 + 8, {}, "b");
    EXPECT_EQ(field->text(), "b");
}

TEST_F(ShortcutRecorderTest, ItRecordsThePhysicalKeyWhateverTheLayoutTypes) {
    const Qt::KeyboardModifiers hyper = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const std::uint32_t hyperMask =
        Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;
    // AZERTY: the US Z key (X keycode 52) types "w"; the "1" key (10) types "&".
    recorder->start();
    press(Qt::Key_W, 52, hyper, "w");
    recorder->start();
    press(Qt::Key_Ampersand, 10, hyper, "&");
    // Russian: the US Z key types "я".
    recorder->start();
    press(static_cast<Qt::Key>(0x42f), 52, hyper, QString::fromUtf8("я"));
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0], (Shortcut{6, hyperMask}));
    EXPECT_EQ(changes[1], (Shortcut{18, hyperMask}));
    EXPECT_EQ(changes[2], (Shortcut{6, hyperMask}));
    EXPECT_EQ(changes[0]->displayString(), "⌃⌥⌘Z");
}

TEST_F(ShortcutRecorderTest, EscapeCancelsEvenWithShiftButSuperEscapeIsRecorded) {
    recorder->setShortcut(Shortcut{0, Shortcut::controlMask});
    recorder->start();
    press(Qt::Key_Escape, xEscape);
    EXPECT_FALSE(recorder->isRecording());
    recorder->start();
    press(Qt::Key_Escape, xEscape, Qt::ShiftModifier);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(recorder->shortcut(), (Shortcut{0, Shortcut::controlMask}));
    recorder->start();
    press(Qt::Key_Escape, xEscape, Qt::MetaModifier);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], (Shortcut{53, Shortcut::commandMask}));
}

TEST_F(ShortcutRecorderTest, TheRemoveButtonShowsOnlyForAShortcutAtRest) {
    EXPECT_TRUE(recorder->removeButton()->isHidden());
    recorder->setShortcut(Shortcut{0, Shortcut::controlMask});
    EXPECT_FALSE(recorder->removeButton()->isHidden());
    recorder->start();
    EXPECT_TRUE(recorder->removeButton()->isHidden());
    recorder->stop();
    QTest::mouseClick(recorder->removeButton(), Qt::LeftButton);
    EXPECT_EQ(recorder->label(), "Record Shortcut");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_FALSE(changes[0]);
}

TEST_F(ShortcutRecorderTest, GoingAwayStopsRecordingAndATakenCombinationIsNoted) {
    recorder->isTakenElsewhere = [](const Shortcut& s) { return s.keyCode == 0; };
    recorder->start();
    recorder->hide();
    EXPECT_FALSE(recorder->isRecording());
    press(Qt::Key_C, 46 + 8, {}, "c");
    EXPECT_EQ(field->text(), "c");
    recorder->show();
    recorder->setShortcut(Shortcut{0, Shortcut::controlMask | Shortcut::optionMask});
    EXPECT_FALSE(recorder->note()->isHidden());
    EXPECT_TRUE(recorder->note()->text().contains("Another program holds"));
}

} // namespace
} // namespace panemark
