#pragma once

#include <string>

namespace panemark {

// What every Wayland backend shares about the session it runs in.
namespace WaylandSession {

// The Wayland display ($WAYLAND_DISPLAY, which may be given as a path), as people name it.
std::string displayName();

} // namespace WaylandSession

} // namespace panemark
