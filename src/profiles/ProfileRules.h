#pragma once

#include "base/Result.h"
#include "profiles/Profile.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace panemark {

// What a profile may hold, checked the same way wherever one enters: created, renamed, given a
// gap or commands, imported. Files already written are read as they are; only new input is
// refused.
class ProfileRules {
public:
    static constexpr double maxGap = 1000;
    // No person keeps more; the settings list and the palette stay quick well past it.
    static constexpr std::size_t maxCommands = 1000;

    // The name trimmed of white space, or why it cannot be one.
    static Result<std::string> name(std::string_view text);
    static Result<double> gap(double value);
    static Result<bool> commandCount(std::size_t count);
    // All of the above for a profile from outside (an import).
    static Result<bool> incoming(const Profile& profile);
};

} // namespace panemark
