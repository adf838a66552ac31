#pragma once

#include "base/Cancellable.h"

#include <functional>

namespace panemark {

// A connection of Panemark's own to the desktop that can end under it (the session ended, the
// compositor stopped) while the toolkit's own carries on or has none to lose.
class DesktopLink {
public:
    virtual ~DesktopLink() = default;

    // Called once if the desktop goes away under the program.
    [[nodiscard]] virtual Subscription onConnectionLost(std::function<void()> listener) = 0;
};

} // namespace panemark
