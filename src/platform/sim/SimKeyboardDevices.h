#pragma once

#include "base/Signal.h"
#include "platform/KeyboardDevices.h"

namespace panemark {

// Keyboards plugged in and out by a test. Main thread only.
class SimKeyboardDevices : public KeyboardDevices {
public:
    std::vector<KeyboardDevice> list() override { return devices; }
    std::optional<std::string> unavailable() override { return failure; }
    Subscription onDevicesChanged(std::function<void()> callback) override {
        return changed_.connect([callback = std::move(callback)] { callback(); });
    }

    // Replaces what is connected and says so, as the kernel would.
    void connect(std::vector<KeyboardDevice> now) {
        devices = std::move(now);
        changed_.emit();
    }

    std::vector<KeyboardDevice> devices;
    std::optional<std::string> failure;

private:
    Signal<> changed_;
};

} // namespace panemark
