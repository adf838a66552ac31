#include "profiles/ProfileRules.h"

#include "base/Text.h"

#include <cmath>

namespace panemark {

Result<std::string> ProfileRules::name(std::string_view text) {
    std::string trimmed = Text::trimmed(text);
    if (trimmed.empty()) {
        return Error{"a profile needs a name"};
    }
    return trimmed;
}

Result<double> ProfileRules::gap(double value) {
    if (!std::isfinite(value) || value < 0 || value > maxGap) {
        return Error{"the gap must be a number from 0 to 1000"};
    }
    return value;
}

Result<bool> ProfileRules::commandCount(std::size_t count) {
    if (count > maxCommands) {
        return Error{"a profile holds at most " + std::to_string(maxCommands) + " commands, not " +
                     std::to_string(count)};
    }
    return true;
}

Result<bool> ProfileRules::incoming(const Profile& profile) {
    if (Result<std::string> named = name(profile.name); !named) {
        return Error{named.error()};
    }
    if (Result<double> spaced = gap(profile.gap); !spaced) {
        return Error{spaced.error()};
    }
    return commandCount(profile.commands.size());
}

} // namespace panemark
