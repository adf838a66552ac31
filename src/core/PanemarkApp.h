#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace panemark {

// The resident program: the controller on the Qt event loop, until SIGINT or SIGTERM.
class PanemarkApp {
public:
    struct Options {
        std::optional<std::string> commandsFile; // instead of the stock commands
    };

    // The exit status. A second instance for the same display says so and returns 0.
    static int run(const Options& options, std::istream& in, std::ostream& out, std::ostream& err);
};

} // namespace panemark
