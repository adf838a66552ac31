#pragma once

#include "profiles/Profile.h"

#include <cstdint>

namespace panemark {

// One profile as stored on disk and exported: the profile files and .panemarkprofile files share
// this envelope.
struct ProfileFile {
    static constexpr std::int64_t currentFormatVersion = 1;

    std::int64_t formatVersion = currentFormatVersion;
    Profile profile;

    bool operator==(const ProfileFile&) const = default;
};

} // namespace panemark
