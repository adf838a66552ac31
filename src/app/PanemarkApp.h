#pragma once

#include "model/ZoneCommand.h"

#include <QCoreApplication>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// The resident program, and the one place that puts it together: the application object, the
// instance, the backend, the controller, and the desktop shell once the hot keys are armed; then
// the Qt event loop until SIGINT, SIGTERM or a quit request.
class PanemarkApp {
public:
    struct Options {
        std::optional<std::vector<ZoneCommand>> commands; // for this run, instead of profiles
        std::optional<std::string> commandsFile;          // where they came from, to say so
        std::optional<std::string> dataDir;               // instead of ~/.local/share/Panemark
        std::optional<std::string> backend;               // instead of the session's desktop
    };

    // The exit status. A second instance for the same display says so and returns 0.
    static int run(const Options& options, std::ostream& out, std::ostream& err);
};

} // namespace panemark
