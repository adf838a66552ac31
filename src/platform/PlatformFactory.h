#pragma once

#include "platform/Platform.h"
#include "runtime/Result.h"
#include "runtime/Scheduler.h"

#include <memory>

namespace panemark {

// Opens the backend this build was configured with (CMake's PANEMARK_PLATFORM: x11 or sim).
// Needs a Qt application object on this thread: the backends deliver events on its loop.
class PlatformFactory {
public:
    static Result<std::unique_ptr<Platform>> open(Scheduler& mainLoop);
    static const char* backendName();
};

} // namespace panemark
