#pragma once

#include "base/Cancellable.h"
#include "platform/Screen.h"

#include <functional>
#include <optional>
#include <vector>

namespace panemark {

// The attached screens, primary first, and news of their changes.
class ScreenService {
public:
    virtual ~ScreenService() = default;

    virtual std::vector<Screen> screens() = 0;
    // The screen with keyboard focus; may be absent. Where the desktop tells none, the primary
    // screen: the first.
    virtual std::optional<Screen> mainScreen() {
        const std::vector<Screen> all = screens();
        return all.empty() ? std::nullopt : std::optional<Screen>(all.front());
    }

    // Called on the main thread after screens were added, removed or rearranged.
    [[nodiscard]] virtual Subscription onScreensChanged(std::function<void()> callback) = 0;
};

} // namespace panemark
