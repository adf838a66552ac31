#pragma once

#include "base/Result.h"
#include "base/Scheduler.h"
#include "platform/DesktopSetup.h"
#include "platform/Platform.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// The one place that picks and opens a backend, when the program starts: the one named
// (`--backend NAME`, else $PANEMARK_BACKEND), else the one the session calls for. Needs a Qt
// application object on this thread: the backends deliver events on its loop.
class PlatformFactory {
public:
    // Looks a variable of the session up; empty when unset.
    using Environment = std::function<std::string(const char*)>;

    static const std::vector<std::string>& backendNames();
    // The backend to open, or, on a desktop none of them serves, which desktop was found and
    // what Panemark supports.
    static Result<std::string> choose(const std::optional<std::string>& requested,
                                      const Environment& environment);
    static Result<std::unique_ptr<Platform>> open(Scheduler& mainLoop, const std::string& backend);
    // The Qt platform plugins Panemark's own windows should be drawn with on this backend's
    // desktop, best first, when the user has not chosen any; none: Qt's own choice.
    static std::optional<std::string> windowSystemFor(const std::string& backend);
    // choose() with the process's environment, then open().
    static Result<std::unique_ptr<Platform>> open(Scheduler& mainLoop,
                                                  const std::optional<std::string>& requested);
    static Environment processEnvironment();
    // What `panemark setup NAME` sets up ("gnome-shell"); none for a name it does not know.
    static std::unique_ptr<DesktopSetup> desktopSetup(const std::string& name);
};

} // namespace panemark
