#pragma once

#include "model/Rect.h"
#include "platform/PanelShade.h"

#include <cstdint>

namespace panemark {

// What a desktop whose display is shared with other programs can tell of it: it may run
// without a window manager or a compositor, show the panel's pixels to whoever asks, and let
// another program destroy Panemark's windows behind the toolkit's back. A compositor that owns
// the display (every Wayland desktop) does none of this, and its backend has none.
class DisplayFacts {
public:
    virtual ~DisplayFacts() = default;

    // Whether something manages the windows; placing windows needs it.
    virtual bool hasWindowManager() = 0;
    // Whether a compositing manager blends the windows (so translucency and fades show).
    virtual bool hasCompositor() = 0;
    // Whether the panel under a tray icon at this area of the screen (in pixels) is dark or
    // light.
    virtual PanelShade panelShade(const Rect& iconArea) = 0;
    // Whether a window of ours, by its native id, still exists.
    virtual bool windowExists(std::uint64_t nativeId) = 0;
};

} // namespace panemark
