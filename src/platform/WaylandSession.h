#pragma once

#include "platform/Beeper.h"

#include <string>

namespace panemark {

// What every Wayland backend shares about the session it runs in.
namespace WaylandSession {

// The Wayland display ($WAYLAND_DISPLAY, which may be given as a path), as people name it.
std::string displayName();

// Wayland has no bell a client may ring: a command that cannot be carried out does nothing.
class Silence : public Beeper {
public:
    void beep() override {}
};

} // namespace WaylandSession

} // namespace panemark
