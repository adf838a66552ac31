#pragma once

#include <cstdint>

namespace panemark {

// A key event as every platform backend reports it: what happened, to which physical key
// (classic virtual-key numbering), with which modifier keys held.
struct KeyEvent {
    enum class Type { keyDown, keyUp, flagsChanged };

    // Modifier flags of the event; combine with |.
    enum Flag : std::uint32_t {
        capsLock = 1u << 0,
        shift = 1u << 1,
        control = 1u << 2,
        option = 1u << 3,
        command = 1u << 4,
        numericPad = 1u << 5,
        help = 1u << 6,
        function = 1u << 7,
    };

    Type type = Type::keyDown;
    std::uint32_t keyCode = 0;
    std::uint32_t flags = 0;
    bool isRepeat = false;
};

} // namespace panemark
