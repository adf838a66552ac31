#pragma once

#include "model/Uuid.h"
#include "model/ZoneCommand.h"
#include "profiles/ProfileTrigger.h"

#include <string>
#include <vector>

namespace panemark {

// A named set of layout commands with its gap and the trigger that chooses it by itself.
struct Profile {
    Uuid id;
    std::string name;
    std::vector<ZoneCommand> commands;
    double gap = 0;
    ProfileTrigger trigger;

    bool operator==(const Profile&) const = default;
};

} // namespace panemark
