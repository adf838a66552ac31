#include "platform/gnome/GnomeAccelerators.h"

#include "platform/evdev/EvdevKeyCodes.h"

#include <cstdio>

namespace panemark::GnomeAccelerators {

namespace {

// Mutter reads "0x" and at least two hex digits as a key code.
std::string keyCodeName(std::uint32_t xKeyCode) {
    char name[16];
    std::snprintf(name, sizeof name, "0x%02x", xKeyCode);
    return name;
}

} // namespace

std::optional<std::string> acceleratorFor(const Shortcut& shortcut) {
    const std::optional<std::uint32_t> evdev = EvdevKeyCodes::evdevFor(shortcut.keyCode);
    if (!evdev) {
        return std::nullopt;
    }
    std::string accelerator;
    if (shortcut.modifiers & Shortcut::controlMask) {
        accelerator += "<Control>";
    }
    if (shortcut.modifiers & Shortcut::optionMask) {
        accelerator += "<Alt>";
    }
    if (shortcut.modifiers & Shortcut::shiftMask) {
        accelerator += "<Shift>";
    }
    if (shortcut.modifiers & Shortcut::commandMask) {
        accelerator += "<Super>";
    }
    return accelerator + keyCodeName(*evdev + EvdevKeyCodes::xKeycodeOffset);
}

} // namespace panemark::GnomeAccelerators
