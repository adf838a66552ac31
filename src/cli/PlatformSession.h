#pragma once

#include "base/QtScheduler.h"
#include "base/Result.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <memory>

namespace panemark {

// The desktop for a command-line tool that acts once and ends: an application object for the
// backend's event delivery, a main loop, and the platform opened on it.
class PlatformSession {
public:
    // How long a one-shot command waits for the desktop's side of Panemark to start (a KWin
    // script on a busy machine can take seconds).
    static constexpr double readyWithin = 20.0;

    // The platform, ready for a command, or why not.
    static Result<std::unique_ptr<PlatformSession>> open();
    Platform& platform() { return *platform_; }

private:
    PlatformSession();

    QCoreApplication application_;
    QtScheduler mainLoop_;
    std::unique_ptr<Platform> platform_;
};

} // namespace panemark
