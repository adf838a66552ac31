#pragma once

#include "platform/KeyTap.h"

#include <optional>
#include <vector>

namespace panemark {

// A keyboard in memory: tap creation that can be made to fail, an input-monitoring permission
// that can be granted later, and key presses typed by the test. Main thread only.
class SimKeyboard : public KeyTapProvider {
public:
    bool isInputMonitoringGranted() override { return inputMonitoringGranted; }
    void requestInputMonitoring() override { ++inputMonitoringRequests; }
    std::variant<std::unique_ptr<KeyTap>, Failure> createTap(Callback callback) override;

    // Types a key; returns whether the tap swallowed it (false when no tap is enabled).
    bool press(std::uint32_t keyCode, std::uint32_t flags, bool isRepeat = false);
    bool release(std::uint32_t keyCode, std::uint32_t flags);
    // The system switches the tap off, as it does to a tap whose callback is too slow.
    void disableTap(KeyTapEvent::Kind why = KeyTapEvent::Kind::disabledByTimeout);

    bool hasTap() const { return tap_ != nullptr; }
    bool tapEnabled() const;
    int tapsCreated() const { return tapsCreated_; }
    std::vector<Shortcut> grabbedShortcuts() const;

    // Settings of the simulated system.
    bool inputMonitoringGranted = true;
    std::optional<Failure> failNextTaps;
    int inputMonitoringRequests = 0;
    // Combinations another program holds.
    std::vector<Shortcut> takenElsewhere;
    // Every set of shortcuts handed to a tap, in order: what was grabbed when.
    std::vector<std::vector<Shortcut>> shortcutSets;

private:
    class Tap;
    bool deliver(const KeyTapEvent& event);

    Tap* tap_ = nullptr; // the live tap, owned by whoever created it
    int tapsCreated_ = 0;
};

} // namespace panemark
