#pragma once

#include "model/ZoneCommand.h"

#include <vector>

namespace panemark {

// config.json: the single command list kept before profiles existed, read once to migrate.
struct LegacyPersisted {
    std::vector<ZoneCommand> commands;
    double gap = 0;
};

} // namespace panemark
