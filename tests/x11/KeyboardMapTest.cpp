#include "model/KeyEvent.h"
#include "model/Shortcut.h"
#include "platform/x11/X11KeyboardMap.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace panemark {
namespace {

constexpr X11KeyboardMap::Keysym altL = 0xFFE9, metaL = 0xFFE7, superL = 0xFFEB;
constexpr X11KeyboardMap::Keysym numLock = 0xFF7F, scrollLock = 0xFF14, letterA = 0x61;

// A keyboard whose modifier keys sit where the test says: modifier index (3 = Mod1 …) per key.
X11KeyboardMap keyboard(std::vector<std::pair<int, X11KeyboardMap::Keysym>> modifierKeys) {
    X11KeyboardMap::Mappings mappings;
    xcb_keycode_t next = 100;
    for (const auto& [modifier, keysym] : modifierKeys) {
        mappings.modifierKeys[modifier].push_back(next);
        mappings.keysyms[next++] = {keysym, 0};
    }
    mappings.keysyms[38] = {letterA, 0x41};
    mappings.keysyms[39] = {0, 0}; // a keycode with nothing on it
    return X11KeyboardMap(mappings);
}

TEST(KeyboardMapTest, ModifiersAreWhereTheServerPutsThem) {
    const X11KeyboardMap usual = keyboard({{3, altL}, {4, numLock}, {6, superL}});
    EXPECT_EQ(usual.maskFor(Shortcut::controlMask | Shortcut::optionMask | Shortcut::commandMask),
              XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4);
    EXPECT_EQ(usual.flagsFor(XCB_MOD_MASK_4 | XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK),
              KeyEvent::command | KeyEvent::capsLock);

    const X11KeyboardMap moved = keyboard({{5, superL}, {7, altL}, {3, numLock}});
    EXPECT_EQ(moved.maskFor(Shortcut::optionMask | Shortcut::commandMask),
              XCB_MOD_MASK_5 | XCB_MOD_MASK_3);
    EXPECT_EQ(moved.flagsFor(XCB_MOD_MASK_5 | XCB_MOD_MASK_4), KeyEvent::option);

    const X11KeyboardMap metaOnly = keyboard({{3, metaL}});
    EXPECT_EQ(metaOnly.altMask(), XCB_MOD_MASK_1);
    EXPECT_EQ(metaOnly.maskFor(Shortcut::commandMask), std::nullopt); // no Super key at all
    EXPECT_EQ(metaOnly.maskFor(Shortcut::controlMask | Shortcut::shiftMask),
              XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT);
}

TEST(KeyboardMapTest, GrabsCoverEveryCombinationOfTheLocksPresent) {
    auto sorted = [](std::vector<std::uint16_t> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(keyboard({{3, altL}, {6, superL}}).lockVariants()),
              (std::vector<std::uint16_t>{0, XCB_MOD_MASK_LOCK}));
    const std::uint16_t caps = XCB_MOD_MASK_LOCK, num = XCB_MOD_MASK_2, scroll = XCB_MOD_MASK_5;
    EXPECT_EQ(sorted(keyboard({{4, numLock}, {7, scrollLock}}).lockVariants()),
              sorted({0, caps, num, scroll, std::uint16_t(caps | num), std::uint16_t(caps | scroll),
                      std::uint16_t(num | scroll), std::uint16_t(caps | num | scroll)}));
    // Num Lock sharing Super's bit would turn every variant into another combination.
    EXPECT_EQ(keyboard({{6, superL}, {6, numLock}}).lockVariants().size(), 2u);
}

TEST(KeyboardMapTest, KeycodesWithoutKeysymsAreNoKeys) {
    const X11KeyboardMap map = keyboard({});
    EXPECT_TRUE(map.hasKey(38));
    EXPECT_FALSE(map.hasKey(39));
    EXPECT_FALSE(map.hasKey(250));
    EXPECT_TRUE(X11KeyboardMap().hasKey(250)); // nothing known: everything may be a key
}

} // namespace
} // namespace panemark
