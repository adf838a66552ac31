#pragma once

#include "model/Uuid.h"

#include <cstdint>
#include <vector>

namespace panemark {

// The content of profiles.json: the order of the profiles (which is also the set that exists),
// the active one, and whether profiles switch by themselves.
struct ProfileIndex {
    std::int64_t formatVersion = 1;
    Uuid activeProfileID;
    std::vector<Uuid> order;
    bool autoSwitchEnabled = true;

    bool operator==(const ProfileIndex&) const = default;
};

} // namespace panemark
