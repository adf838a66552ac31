#pragma once

#include "model/ZoneCommand.h"

#include <vector>

namespace panemark {

// The commands a user has before configuring anything: thirds, halves and the two half-steps,
// on ⌃⌥⌘ with 1 2 3 ← → ↑ ↓. Every call gives fresh ids.
std::vector<ZoneCommand> stockCommands();

} // namespace panemark
