#include "platform/evdev/EvdevKeyCodes.h"

#include "model/Shortcut.h"

#include <gtest/gtest.h>
#include <set>

namespace panemark {
namespace {

TEST(EvdevKeyCodesTest, EveryNamedKeyTheKeypadAndF13ToF19HaveAKey) {
    std::set<std::uint32_t> evdevCodes;
    for (std::uint32_t code = 0; code < 127; ++code) {
        const bool named = Shortcut::keyName(code) != "key" + std::to_string(code);
        const bool keypad =
            (code >= 65 && code <= 92 && code != 66 && code != 68 && code != 70 && code != 77);
        const bool f13to19 = code == 105 || code == 107 || code == 113 || code == 106 ||
                             code == 64 || code == 79 || code == 80;
        if (named || keypad || f13to19) {
            const auto evdev = EvdevKeyCodes::evdevFor(code);
            ASSERT_TRUE(evdev) << Shortcut::keyName(code) << " (" << code << ")";
            EXPECT_EQ(EvdevKeyCodes::virtualKeyFor(*evdev), code) << code;
            EXPECT_TRUE(evdevCodes.insert(*evdev).second) << "two keys share evdev " << *evdev;
        }
    }
}

TEST(EvdevKeyCodesTest, KnownKeysLandWhereXPutsThem) {
    // X keycode = evdev + 8: A is 38, ← is 113, F1 is 67, keypad 0 is 90 on every Linux server.
    EXPECT_EQ(EvdevKeyCodes::evdevFor(0), 38u - 8);
    EXPECT_EQ(EvdevKeyCodes::evdevFor(123), 113u - 8);
    EXPECT_EQ(EvdevKeyCodes::evdevFor(122), 67u - 8);
    EXPECT_EQ(EvdevKeyCodes::evdevFor(82), 90u - 8);
    EXPECT_EQ(EvdevKeyCodes::evdevFor(18), 10u - 8);
}

TEST(EvdevKeyCodesTest, KeysWithoutAClassicCodeStillRoundTrip) {
    EXPECT_EQ(EvdevKeyCodes::virtualKeyFor(142), 256u + 142); // KEY_SLEEP
    EXPECT_EQ(EvdevKeyCodes::evdevFor(256 + 142), 142u);
    EXPECT_EQ((Shortcut{256 + 142, 0}).displayString(), "key398");
    EXPECT_FALSE(EvdevKeyCodes::evdevFor(52)); // a classic code no keyboard here has
}

} // namespace
} // namespace panemark
