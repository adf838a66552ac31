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
    // The screen with keyboard focus; may be absent.
    virtual std::optional<Screen> mainScreen() = 0;

    // Called on the main thread after screens were added, removed or rearranged.
    [[nodiscard]] virtual Subscription onScreensChanged(std::function<void()> callback) = 0;
};

} // namespace panemark
