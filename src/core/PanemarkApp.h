#pragma once

#include "model/ZoneCommand.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// The resident program: the controller on the Qt event loop, until SIGINT, SIGTERM or a quit
// request.
class PanemarkApp {
public:
    struct Options {
        std::optional<std::vector<ZoneCommand>> commands; // for this run, instead of profiles
        std::optional<std::string> commandsFile;          // where they came from, to say so
        std::optional<std::string> dataDir;               // instead of ~/.local/share/Panemark
    };

    // The exit status. A second instance for the same display says so and returns 0.
    static int run(const Options& options, std::ostream& out, std::ostream& err);
};

} // namespace panemark
