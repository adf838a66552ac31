#include "platform/PanelShade.h"

namespace panemark {

double luminanceOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    // Rec. 709 weights on the channel values: close enough to tell dark from light.
    return (0.2126 * red + 0.7152 * green + 0.0722 * blue) / 255.0;
}

PanelShade shadeForIconColor(double iconLuminance) {
    return iconLuminance >= 0.5 ? PanelShade::dark : PanelShade::light;
}

PanelShade shadeForBackground(double backgroundLuminance) {
    return backgroundLuminance < 0.5 ? PanelShade::dark : PanelShade::light;
}

} // namespace panemark
