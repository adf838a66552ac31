#pragma once

#include "base/Cancellable.h"

#include <functional>
#include <optional>
#include <string>

namespace panemark {

// Where the kernel says that input devices came or went.
class UeventSource {
public:
    virtual ~UeventSource() = default;
    // Why no events can be received; none when they can.
    virtual std::optional<std::string> failure() const = 0;
    // Called on the main thread for each event of the input subsystem.
    [[nodiscard]] virtual Subscription onInputEvent(std::function<void()> callback) = 0;
};

} // namespace panemark
