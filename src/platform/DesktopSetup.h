#pragma once

#include "base/Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// What a desktop needs of Panemark's own installed and turned on before a backend can drive it
// (GNOME Shell's extension), as `panemark setup NAME` does it. PlatformFactory hands them out
// by name.
class DesktopSetup {
public:
    struct Options {
        // The desktop's version to set up for, when it is known better than it can be found.
        std::optional<std::string> version;
        // Only write the files into this folder, turning nothing on (for packages).
        std::optional<std::filesystem::path> into;
    };

    virtual ~DesktopSetup() = default;

    // What is wrong with a version given on the command line, if anything.
    virtual std::optional<std::string> refusedVersion(const std::string& version) const = 0;
    // Carries the setup out: what to tell the user, a line each, or what went wrong.
    virtual Result<std::vector<std::string>> run(const Options& options) = 0;
};

} // namespace panemark
