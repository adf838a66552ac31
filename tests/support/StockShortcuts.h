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

} // namespace panemark
