#pragma once

#include "base/Cancellable.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// One connected keyboard, as the system describes it.
struct KeyboardDevice {
    std::int64_t vendorID = 0;
    std::int64_t productID = 0;
    std::string name; // "Unknown keyboard" when the device gives none

    bool operator==(const KeyboardDevice&) const = default;
};

// The keyboards connected now, and news when one is plugged in or removed.
class KeyboardDevices {
public:
    virtual ~KeyboardDevices() = default;

    // Every keyboard device, two of one model twice, in no meaningful order.
    virtual std::vector<KeyboardDevice> list() = 0;
    // Why plugging and unplugging cannot be followed here; none when it can.
    virtual std::optional<std::string> unavailable() = 0;
    // Called on the main thread when a device may have come or gone.
    [[nodiscard]] virtual Subscription onDevicesChanged(std::function<void()> callback) = 0;
};

} // namespace panemark
