#pragma once

#include <cstdint>
#include <optional>

namespace panemark {

// Whether the panel that holds the tray icons is dark or light, so the status icon can be drawn
// in a colour that stands out on it. Unknown when the desktop does not say and cannot be looked
// at.
enum class PanelShade { unknown, dark, light };

// Relative luminance from 0 (black) to 1 (white) of an sRGB colour given in 8-bit channels.
double luminanceOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// A panel whose icons are meant to be drawn in this colour: light icons mean a dark panel.
PanelShade shadeForIconColor(double iconLuminance);
// A panel whose background has this mean luminance.
PanelShade shadeForBackground(double backgroundLuminance);

} // namespace panemark
