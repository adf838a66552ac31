#pragma once

#include "base/Result.h"
#include "base/Scheduler.h"
#include "control/InstanceServer.h"
#include "platform/Platform.h"

#include <memory>
#include <string>

namespace panemark {

// Opens the backend, waiting for a desktop that is not there yet. Started at login, Panemark
// may run before the compositor listens on its socket or shows on the session bus: it tries
// again at growing intervals (never more often than four times a second, at most every two
// seconds), sleeping in the event loop in between, while `panemark status` says what it waits
// for and a quit request still ends it.
class DesktopWait {
public:
    // How long a desktop has to appear before Panemark gives up, with the last reason.
    static constexpr double giveUpAfter = 300;

    // The open platform; an error once the desktop has not come within `giveUpAfter` seconds, or
    // when a quit request came meanwhile (then with `quit` set).
    static Result<std::unique_ptr<Platform>> open(Scheduler& mainLoop, const std::string& backend,
                                                  InstanceServer& instance, bool* quit,
                                                  double limit = giveUpAfter);

    // The seconds between the nth failed attempt and the next.
    static double pause(int attempt);
};

} // namespace panemark
