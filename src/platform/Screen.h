#pragma once

#include "model/Rect.h"

#include <cstdint>
#include <string>

namespace panemark {

// One attached screen. Frames are in window space, like every frame Panemark handles: origin at
// the top-left of the primary screen, y down. The visible frame leaves out panels and docks.
struct Screen {
    Rect frame;
    Rect visibleFrame;
    std::uint32_t displayNumber = 0;
    std::string name;
    bool isBuiltIn = false;
    std::string uuid; // stable across restarts: 36 upper-case hexadecimal characters and hyphens

    bool operator==(const Screen&) const = default;
};

} // namespace panemark
