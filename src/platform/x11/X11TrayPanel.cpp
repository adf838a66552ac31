#include "platform/x11/X11TrayPanel.h"

#include "platform/x11/X11Connection.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace panemark {

namespace {

// Enough pixels to see the panel, few enough that the request stays small.
constexpr double largestSampleSide = 64;

} // namespace

PanelShade X11TrayPanel::shade(const X11Connection& connection, const Rect& iconArea,
                               double timeoutSeconds) {
    if (const auto icon = announcedIconLuminance(connection, timeoutSeconds)) {
        return shadeForIconColor(*icon);
    }
    if (const auto background = luminanceOnScreen(connection, iconArea, timeoutSeconds)) {
        return shadeForBackground(*background);
    }
    return PanelShade::unknown;
}

std::optional<double> X11TrayPanel::announcedIconLuminance(const X11Connection& connection,
                                                           double timeoutSeconds) {
    const auto owner = connection.selectionOwner(
        "_NET_SYSTEM_TRAY_S" + std::to_string(connection.screenNumber()), timeoutSeconds);
    const xcb_atom_t colors = connection.existingAtom("_NET_SYSTEM_TRAY_COLORS", timeoutSeconds);
    if (!owner || colors == XCB_ATOM_NONE) {
        return std::nullopt; // no tray, or none ever announced colours
    }
    // Foreground, error, warning and success colours, each red, green and blue in 16 bits.
    const auto values =
        connection.cardinals(connection.requestProperty(*owner, colors, 12), timeoutSeconds);
    if (!values || values->size() < 3) {
        return std::nullopt;
    }
    auto channel = [](std::uint32_t value) {
        return static_cast<std::uint8_t>(std::min<std::uint32_t>(value, 0xFFFF) >> 8);
    };
    return luminanceOf(channel((*values)[0]), channel((*values)[1]), channel((*values)[2]));
}

std::optional<double> X11TrayPanel::luminanceOnScreen(const X11Connection& connection,
                                                      const Rect& area, double timeoutSeconds) {
    const xcb_screen_t& screen = connection.screen();
    const double left = std::clamp(std::floor(area.x), 0.0, double(screen.width_in_pixels));
    const double top = std::clamp(std::floor(area.y), 0.0, double(screen.height_in_pixels));
    const double width =
        std::min({std::ceil(area.width), double(screen.width_in_pixels) - left, largestSampleSide});
    const double height = std::min(
        {std::ceil(area.height), double(screen.height_in_pixels) - top, largestSampleSide});
    if (!(width >= 1) || !(height >= 1)) {
        return std::nullopt;
    }
    const auto cookie =
        xcb_get_image(connection.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, connection.root(),
                      static_cast<std::int16_t>(left), static_cast<std::int16_t>(top),
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), ~0u);
    auto image = connection.await<xcb_get_image_reply_t>(cookie.sequence, timeoutSeconds);
    if (!image || image->depth < 24) {
        return std::nullopt; // deep colour only: the usual desktops all are
    }
    const std::size_t bytes = static_cast<std::size_t>(xcb_get_image_data_length(image.get()));
    const std::size_t pixels = static_cast<std::size_t>(width * height);
    if (bytes < pixels * 4) {
        return std::nullopt; // not 32 bits a pixel
    }
    const bool lsbFirst =
        xcb_get_setup(connection.get())->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    return medianLuminance(xcb_get_image_data(image.get()), pixels, lsbFirst);
}

std::optional<double> X11TrayPanel::medianLuminance(const std::uint8_t* pixels, std::size_t count,
                                                    bool leastSignificantByteFirst) {
    if (count == 0) {
        return std::nullopt;
    }
    std::vector<double> luminances;
    luminances.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* pixel = pixels + 4 * i;
        luminances.push_back(leastSignificantByteFirst ? luminanceOf(pixel[2], pixel[1], pixel[0])
                                                       : luminanceOf(pixel[1], pixel[2], pixel[3]));
    }
    auto middle = luminances.begin() + static_cast<std::ptrdiff_t>(count / 2);
    std::nth_element(luminances.begin(), middle, luminances.end());
    return *middle;
}

} // namespace panemark
