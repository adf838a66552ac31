#include "model/Shortcut.h"

#include <gtest/gtest.h>
#include <unordered_map>

namespace panemark {
namespace {

KeyEvent keyDown(std::uint32_t keyCode, std::uint32_t flags) {
    return {KeyEvent::Type::keyDown, keyCode, flags, false};
}

TEST(ShortcutTest, OnlyKeyDownsWithControlOptionOrCommandBecomeShortcuts) {
    EXPECT_FALSE(Shortcut::fromKeyEvent(keyDown(0, 0)));
    EXPECT_FALSE(Shortcut::fromKeyEvent(keyDown(0, KeyEvent::shift)));
    EXPECT_FALSE(Shortcut::fromKeyEvent(
        keyDown(0, KeyEvent::shift | KeyEvent::capsLock | KeyEvent::function)));
    EXPECT_FALSE(Shortcut::fromKeyEvent({KeyEvent::Type::keyUp, 123, KeyEvent::control, false}));
    EXPECT_FALSE(
        Shortcut::fromKeyEvent({KeyEvent::Type::flagsChanged, 59, KeyEvent::control, false}));

    EXPECT_EQ(Shortcut::fromKeyEvent(keyDown(0, KeyEvent::control | KeyEvent::shift)),
              (Shortcut{0, 4608}));
    EXPECT_EQ(Shortcut::fromKeyEvent(keyDown(0, KeyEvent::option)), (Shortcut{0, 2048}));
    EXPECT_EQ(Shortcut::fromKeyEvent(
                  keyDown(123, KeyEvent::control | KeyEvent::option | KeyEvent::command)),
              (Shortcut{123, 6400}));
}

TEST(ShortcutTest, LockFunctionKeypadAndHelpFlagsAreDropped) {
    const std::uint32_t noise =
        KeyEvent::capsLock | KeyEvent::numericPad | KeyEvent::help | KeyEvent::function;
    const auto shortcut = Shortcut::fromKeyEvent(keyDown(96, KeyEvent::command | noise));
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(*shortcut, (Shortcut{96, 256}));
    EXPECT_EQ(shortcut->displayString(), "⌘F5");
}

TEST(ShortcutTest, DisplayStringShowsGlyphsInFixedOrderThenTheKeyName) {
    EXPECT_EQ((Shortcut{123, 6400}).displayString(), "⌃⌥⌘←");
    EXPECT_EQ((Shortcut{18, 6400}).displayString(), "⌃⌥⌘1");
    EXPECT_EQ((Shortcut{0, 4608}).displayString(), "⌃⇧A");
    EXPECT_EQ((Shortcut{49, 0x1000 | 0x800 | 0x200 | 0x100}).displayString(), "⌃⌥⇧⌘Space");
    EXPECT_EQ((Shortcut{10, 256}).displayString(), "⌘key10");
    // Bits outside the four modifiers are not shown.
    EXPECT_EQ((Shortcut{123, 0x1900 | 0x10000}).displayString(), "⌃⌥⌘←");
}

TEST(ShortcutTest, KeyNamesCoverTheTableAndNameTheRestByNumber) {
    EXPECT_EQ(Shortcut::keyName(0), "A");
    EXPECT_EQ(Shortcut::keyName(22), "6");
    EXPECT_EQ(Shortcut::keyName(23), "5");
    EXPECT_EQ(Shortcut::keyName(42), "\\");
    EXPECT_EQ(Shortcut::keyName(50), "`");
    EXPECT_EQ(Shortcut::keyName(36), "↩");
    EXPECT_EQ(Shortcut::keyName(53), "⎋");
    EXPECT_EQ(Shortcut::keyName(103), "F11");
    EXPECT_EQ(Shortcut::keyName(114), "Insert");
    EXPECT_EQ(Shortcut::keyName(121), "⇟");
    EXPECT_EQ(Shortcut::keyName(126), "↑");
    EXPECT_EQ(Shortcut::keyName(52), "key52"); // a gap in the table
    EXPECT_EQ(Shortcut::keyName(127), "key127");
    EXPECT_EQ(Shortcut::keyName(130), "key130");
    EXPECT_EQ(Shortcut::keyName(4294967295u), "key4294967295");
}

TEST(ShortcutTest, ExtraBitsMakeADifferentKeyThatNoKeyEventProduces) {
    const Shortcut stored{123, 0x1900 | 0x10000};
    const auto pressed = Shortcut::fromKeyEvent(
        keyDown(123, KeyEvent::control | KeyEvent::option | KeyEvent::command));
    EXPECT_NE(stored, *pressed);

    std::unordered_map<Shortcut, int> table{
        {stored, 1}, {Shortcut{123, 0x1900}, 2}, {Shortcut{0x1900, 123}, 3}};
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ(table.at(*pressed), 2);
}

} // namespace
} // namespace panemark
