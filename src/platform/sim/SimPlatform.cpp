#include "platform/sim/SimPlatform.h"

namespace panemark {

Result<std::unique_ptr<SimPlatform>> SimPlatform::open(Scheduler&) {
    return std::make_unique<SimPlatform>();
}

SimPlatform::SimPlatform() {
    useSystemServices(loginItem_, keyboardDevices_);
    // A panel 32 pixels high along the top.
    desktop_.setScreens({Screen{{0, 0, 1920, 1080},
                                {0, 32, 1920, 1048},
                                1,
                                "Simulated",
                                true,
                                "00000000-0000-0000-0000-000000000001"}});
    desktop_.focus(desktop_.addWindow({.frame = {100, 100, 800, 600}}));
}

Subscription SimPlatform::onConnectionLost(std::function<void()> listener) {
    return connectionLost_.connect([listener = std::move(listener)] { listener(); });
}

Subscription SimPlatform::onPaletteRequested(std::function<void()> listener) {
    return paletteRequested_.connect([listener = std::move(listener)] { listener(); });
}

} // namespace panemark
