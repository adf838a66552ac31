#include "platform/WaylandSession.h"

#include <cstdlib>

namespace panemark::WaylandSession {

std::string displayName() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const std::string name = display && *display ? display : "wayland-0";
    return name.substr(name.find_last_of('/') + 1);
}

} // namespace panemark::WaylandSession
