#include "platform/PlatformFactory.h"

// The one place that names a backend: CMake compiles this file against the chosen one.
#if defined(PANEMARK_PLATFORM_X11)
#include "platform/x11/X11Platform.h"
using Backend = panemark::X11Platform;
constexpr const char* backend = "x11";
#elif defined(PANEMARK_PLATFORM_SIM)
#include "platform/sim/SimPlatform.h"
using Backend = panemark::SimPlatform;
constexpr const char* backend = "sim";
#else
#error "PANEMARK_PLATFORM_X11 or PANEMARK_PLATFORM_SIM must be defined"
#endif

namespace panemark {

Result<std::unique_ptr<Platform>> PlatformFactory::open(Scheduler& mainLoop) {
    Result<std::unique_ptr<Backend>> opened = Backend::open(mainLoop);
    if (!opened) {
        return Error{opened.error()};
    }
    return std::unique_ptr<Platform>(std::move(opened).value());
}

const char* PlatformFactory::backendName() {
    return backend;
}

} // namespace panemark
