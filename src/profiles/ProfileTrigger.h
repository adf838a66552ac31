#pragma once

#include "profiles/HIDDeviceID.h"

#include <optional>
#include <string>
#include <vector>

namespace panemark {

// When a profile is chosen by itself. All fields at their defaults: manual only.
struct ProfileTrigger {
    bool requireNoExternalDisplay = false;
    std::vector<std::string> displayUUIDs; // any one of them connected
    std::optional<HIDDeviceID> keyboard;

    bool isManualOnly() const;
    // As the profile list shows it: "Manual only", "No external display", "1 display",
    // "2 displays, + keyboard", "+ keyboard".
    std::string summary() const;

    bool operator==(const ProfileTrigger&) const = default;
};

} // namespace panemark
