#include "hardware/ProfileTriggerMatcher.h"

#include <algorithm>

namespace panemark {

std::optional<int> ProfileTriggerMatcher::score(const ProfileTrigger& trigger,
                                                const HardwareState& state) {
    if (trigger.requireNoExternalDisplay && !state.connectedDisplays.empty()) {
        return std::nullopt;
    }
    if (trigger.isManualOnly()) {
        return std::nullopt;
    }
    const auto& displays = trigger.displayUUIDs;
    if (!displays.empty() &&
        std::none_of(displays.begin(), displays.end(), [&](const std::string& uuid) {
            return state.connectedDisplays.count(uuid) != 0;
        })) {
        return std::nullopt;
    }
    if (trigger.keyboard && state.connectedKeyboards.count(*trigger.keyboard) == 0) {
        return std::nullopt;
    }
    return (trigger.requireNoExternalDisplay ? 1 : 0) + (displays.empty() ? 0 : 1) +
           (trigger.keyboard ? 1 : 0);
}

std::optional<Uuid> ProfileTriggerMatcher::bestMatch(const std::vector<Profile>& profiles,
                                                     const HardwareState& state) {
    std::optional<Uuid> result;
    int best = -1;
    for (const Profile& profile : profiles) {
        const std::optional<int> fits = score(profile.trigger, state);
        if (fits && *fits > best) {
            best = *fits;
            result = profile.id;
        }
    }
    return result;
}

} // namespace panemark
