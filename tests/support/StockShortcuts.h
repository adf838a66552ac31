#pragma once

#include "HeadlessSession.h"
#include "Printers.h"
#include "model/StockCommands.h"
#include "placement/TargetRules.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace panemark {

// The stock shortcuts' keys (evdev), each pressed with ctrl, alt and logo.
inline constexpr unsigned stockKeys[] = {2, 3, 4, 105, 106, 103, 108}; // 1 2 3 ← → ↑ ↓
inline const std::vector<std::string> hyper{"ctrl", "alt", "logo"};

// Presses each stock shortcut in turn and checks that the window lands where the placement
// rules put it on that usable area, each starting from where the previous one left it. `log`
// is shown with a failure.
inline void expectStockShortcutsToLand(HeadlessSession& session, const std::string& caption,
                                       const Rect& usable, const std::string& log = "") {
    const std::vector<ZoneCommand> stock = stockCommands();
    Rect expected = session.window(caption)->frame;
    for (std::size_t i = 0; i < std::size(stockKeys); ++i) {
        expected = TargetRules::ruleFor(stock[i], 0)(usable, expected).value_or(expected);
        ASSERT_TRUE(session.press(stockKeys[i], hyper));
        EXPECT_EQ(session.waitForFrame(caption, expected), expected)
            << caption << ", " << stock[i].displayName() << "\n"
            << log;
    }
}

// Where ⌃⌥⌘↑ takes a window from the left half: once cuts it to the top, a second run would
// widen it. The two differ, or the check below would prove nothing.
struct HeldUp {
    Rect leftHalf;
    Rect once;
    Rect twice;
};

inline HeldUp heldUpFrames(const Rect& usable, const Rect& start) {
    const std::vector<ZoneCommand> stock = stockCommands();
    HeldUp frames;
    frames.leftHalf = TargetRules::ruleFor(stock[3], 0)(usable, start).value_or(start);
    frames.once =
        TargetRules::ruleFor(stock[5], 0)(usable, frames.leftHalf).value_or(frames.leftHalf);
    frames.twice = TargetRules::ruleFor(stock[5], 0)(usable, frames.once).value_or(frames.once);
    return frames;
}

// ⌃⌥⌘↑ held down for 1.5 s, long enough for the compositor to repeat it many times.
inline std::vector<std::string> heldHyper() {
    std::vector<std::string> held = hyper;
    held.push_back("hold:1500");
    return held;
}

// Held, a shortcut runs its command once: the window is cut to the top half, not widened by
// the key's repeats.
inline void expectAHeldShortcutToRunOnce(HeadlessSession& session, const std::string& caption,
                                         const Rect& usable, const std::string& log = "") {
    const HeldUp frames = heldUpFrames(usable, session.window(caption)->frame);
    ASSERT_NE(frames.once, frames.twice);
    ASSERT_TRUE(session.press(105, hyper));
    ASSERT_EQ(session.waitForFrame(caption, frames.leftHalf), frames.leftHalf) << log;
    ASSERT_TRUE(session.press(103, heldHyper()));
    EXPECT_EQ(session.waitForFrame(caption, frames.once), frames.once) << log;
}

} // namespace panemark
