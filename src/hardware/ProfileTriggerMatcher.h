#pragma once

#include "hardware/HardwareState.h"
#include "profiles/Profile.h"

#include <optional>
#include <vector>

namespace panemark {

// Which profile the connected hardware calls for: of the profiles whose trigger fits (every
// condition it sets holds), the one that sets the most conditions, the earliest in the list on
// a tie. None when nothing fits; manual-only profiles never do.
class ProfileTriggerMatcher {
public:
    static std::optional<Uuid> bestMatch(const std::vector<Profile>& profiles,
                                         const HardwareState& state);
    // 1 to 3 for a trigger that fits, none otherwise.
    static std::optional<int> score(const ProfileTrigger& trigger, const HardwareState& state);
};

} // namespace panemark
