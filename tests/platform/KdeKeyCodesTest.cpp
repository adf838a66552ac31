#include "platform/kwin/KdeKeyCodes.h"

#include "platform/xkb/KeyboardLayouts.h"

#include <QtCore/qnamespace.h>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace panemark {
namespace {

constexpr std::uint32_t hyper =
    Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask;
constexpr int qtHyper = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
constexpr std::uint32_t keyZ = 6, key1 = 18, keyM = 46, keyLeft = 123;

constexpr int key(Qt::Key k) {
    return static_cast<int>(k);
}

std::vector<int> keys(std::initializer_list<int> combinations) {
    return combinations;
}

std::unique_ptr<KeyboardLayouts> layouts(const std::string& names, std::uint32_t active = 0) {
    std::unique_ptr<KeyboardLayouts> map = KeyboardLayouts::fromNames(names);
    if (map) {
        map->setActive(active);
    }
    return map;
}

std::vector<int> on(const KeyboardLayouts* map, const Shortcut& shortcut) {
    const Result<std::vector<int>> combinations = KdeKeyCodes::combinationsFor(shortcut, map);
    return combinations ? combinations.value() : std::vector<int>{};
}

TEST(KdeKeyCodesTest, WithoutAKeyboardMapKeysAreWhatTheUsLayoutPrints) {
    EXPECT_EQ(on(nullptr, {keyLeft, hyper}), keys({key(Qt::Key_Left) | qtHyper}));
    EXPECT_EQ(on(nullptr, {keyLeft, hyper}), keys({486539282}));
    EXPECT_EQ(on(nullptr, {key1, hyper}), keys({key(Qt::Key_1) | qtHyper}));
    EXPECT_EQ(on(nullptr, {keyM, Shortcut::controlMask | Shortcut::shiftMask}),
              keys({key(Qt::Key_M) | Qt::ControlModifier | Qt::ShiftModifier}));
    EXPECT_EQ(on(nullptr, {83, Shortcut::controlMask}),
              keys({key(Qt::Key_1) | Qt::KeypadModifier | Qt::ControlModifier})); // keypad 1
    EXPECT_EQ(on(nullptr, {111, Shortcut::controlMask}),
              keys({key(Qt::Key_F12) | Qt::ControlModifier}));
    const Result<std::vector<int>> none =
        KdeKeyCodes::combinationsFor({300, Shortcut::controlMask});
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error(), "has a key KDE cannot bind");
}

TEST(KdeKeyCodesTest, APhysicalKeyIsHandedOverAsWhatItTypesOnTheActiveLayout) {
    const auto french = layouts("fr");
    const auto german = layouts("de");
    const auto us = layouts("us");
    ASSERT_TRUE(french && german && us) << "the system has no keyboard layouts (xkb-data)";
    // The US Z key is AZERTY's W and QWERTZ's Y; AZERTY's "1" key types "&" unshifted.
    EXPECT_EQ(on(french.get(), {keyZ, hyper}), keys({key(Qt::Key_W) | qtHyper}));
    EXPECT_EQ(on(german.get(), {keyZ, hyper}), keys({key(Qt::Key_Y) | qtHyper}));
    EXPECT_EQ(on(french.get(), {key1, hyper}), keys({key(Qt::Key_Ampersand) | qtHyper}));
    EXPECT_EQ(on(us.get(), {key1, hyper}), keys({key(Qt::Key_1) | qtHyper}));
    // Keys that type no character are the same everywhere.
    EXPECT_EQ(on(french.get(), {keyLeft, hyper}), keys({key(Qt::Key_Left) | qtHyper}));
    // KWin drops a Shift that chose a symbol other than a letter: ⇧1 is "!" on US and "1" on
    // AZERTY, Shift and all; ⇧M stays Shift+M.
    const std::uint32_t controlShift = Shortcut::controlMask | Shortcut::shiftMask;
    EXPECT_EQ(on(us.get(), {key1, controlShift}),
              keys({key(Qt::Key_Exclam) | Qt::ControlModifier}));
    EXPECT_EQ(on(french.get(), {key1, controlShift}), keys({key(Qt::Key_1) | Qt::ControlModifier}));
    EXPECT_EQ(on(us.get(), {keyM, controlShift}),
              keys({key(Qt::Key_M) | Qt::ControlModifier | Qt::ShiftModifier}));
    // A dead key is bound as Qt names it: AZERTY's "[" key is a dead circumflex.
    EXPECT_EQ(on(french.get(), {33, Shortcut::optionMask}),
              keys({key(Qt::Key_Dead_Circumflex) | Qt::AltModifier}));
}

TEST(KdeKeyCodesTest, ANonLatinLayoutAddsTheLatinKeyQtReadsControlShortcutsAs) {
    const auto russian = layouts("us,ru", 1);
    ASSERT_TRUE(russian);
    EXPECT_EQ(russian->layoutCount(), 2u);
    // "я" on the Z key; with Control held Qt reads the key on the first Latin layout.
    EXPECT_EQ(on(russian.get(), {keyZ, hyper}), keys({0x42f | qtHyper, key(Qt::Key_Z) | qtHyper}));
    EXPECT_EQ(on(russian.get(), {keyZ, Shortcut::optionMask | Shortcut::commandMask}),
              keys({0x42f | Qt::AltModifier | Qt::MetaModifier}));
    // With "us" active again, only the Latin key.
    russian->setActive(0);
    EXPECT_EQ(on(russian.get(), {keyZ, hyper}), keys({key(Qt::Key_Z) | qtHyper}));
    russian->setActive(7); // out of range: ignored
    EXPECT_EQ(russian->active(), 0u);
}

TEST(KdeKeyCodesTest, AKeyTheLayoutCannotTypeIsRefusedByName) {
    const auto russian = layouts("us,ru", 1);
    ASSERT_TRUE(russian);
    // Evdev 240 (KEY_UNKNOWN) types nothing on any layout.
    const Result<std::vector<int>> none =
        KdeKeyCodes::combinationsFor({256 + 240, Shortcut::controlMask}, russian.get());
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error(),
              "types nothing on the keyboard layout \"" + russian->layoutName(1) + "\"");
    EXPECT_NE(russian->layoutName(1).find("Russian"), std::string::npos);
}

TEST(KdeKeyCodesTest, TextThatIsNoKeymapGivesNoLayouts) {
    EXPECT_EQ(KeyboardLayouts::fromKeymapText("xkb_keymap { nonsense"), nullptr);
    EXPECT_EQ(KeyboardLayouts::fromKeymapText(""), nullptr);
    EXPECT_EQ(KeyboardLayouts::fromNames("no-such-layout"), nullptr);
}

} // namespace
} // namespace panemark
