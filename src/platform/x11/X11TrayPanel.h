#pragma once

#include "model/Rect.h"
#include "platform/PanelShade.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace panemark {

class X11Connection;

// Tells whether the panel that holds the tray icons is dark or light. A tray that announces the
// colour its icons should be drawn in (_NET_SYSTEM_TRAY_COLORS) is believed; otherwise the
// pixels on screen where the icon sits are looked at: the icon is thin strokes, so the median
// pixel there is the panel behind it.
class X11TrayPanel {
public:
    static PanelShade shade(const X11Connection& connection, const Rect& iconArea,
                            double timeoutSeconds);

    // The median luminance of 32-bit pixels (blue, green, red, unused in the server's byte
    // order); none for no pixels.
    static std::optional<double> medianLuminance(const std::uint8_t* pixels, std::size_t count,
                                                 bool leastSignificantByteFirst);

private:
    static std::optional<double> announcedIconLuminance(const X11Connection& connection,
                                                        double timeoutSeconds);
    static std::optional<double> luminanceOnScreen(const X11Connection& connection,
                                                   const Rect& area, double timeoutSeconds);
};

} // namespace panemark
