#include "../support/EdidBlock.h"
#include "platform/Edid.h"
#include "platform/x11/X11DesktopBindings.h"
#include "platform/x11/X11DesktopName.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11TrayPanel.h"
#include "platform/x11/X11Windows.h"

#include <array>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace panemark {
namespace {

// A panel of one colour with a thin icon stroke across it, as 32-bit pixels.
std::vector<std::uint8_t> panelWithStroke(std::array<std::uint8_t, 3> panel,
                                          std::array<std::uint8_t, 3> stroke, bool lsbFirst) {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < 16 * 16; ++i) {
        const auto& [red, green, blue] = (i / 16 == 8 || i % 16 == 3) ? stroke : panel;
        const std::array<std::uint8_t, 4> bytes =
            lsbFirst ? std::array<std::uint8_t, 4>{blue, green, red, 0}
                     : std::array<std::uint8_t, 4>{0, red, green, blue};
        pixels.insert(pixels.end(), bytes.begin(), bytes.end());
    }
    return pixels;
}

TEST(TrayPanelTest, TheMedianPixelAroundTheIconIsThePanel) {
    for (const bool lsbFirst : {true, false}) {
        const auto dark = panelWithStroke({30, 30, 30}, {235, 235, 235}, lsbFirst);
        const auto light = panelWithStroke({214, 214, 214}, {40, 40, 40}, lsbFirst);
        EXPECT_EQ(shadeForBackground(*X11TrayPanel::medianLuminance(dark.data(), 256, lsbFirst)),
                  PanelShade::dark);
        EXPECT_EQ(shadeForBackground(*X11TrayPanel::medianLuminance(light.data(), 256, lsbFirst)),
                  PanelShade::light);
    }
    // Pure red and pure blue are dark panels, green a light one.
    const auto red = panelWithStroke({255, 0, 0}, {255, 0, 0}, true);
    const auto green = panelWithStroke({0, 255, 0}, {0, 255, 0}, true);
    EXPECT_EQ(shadeForBackground(*X11TrayPanel::medianLuminance(red.data(), 256, true)),
              PanelShade::dark);
    EXPECT_EQ(shadeForBackground(*X11TrayPanel::medianLuminance(green.data(), 256, true)),
              PanelShade::light);
    EXPECT_FALSE(X11TrayPanel::medianLuminance(red.data(), 0, true));
    EXPECT_EQ(shadeForIconColor(luminanceOf(255, 255, 255)), PanelShade::dark); // light icons
}

TEST(EdidTest, MakerModelUnitAndNameAreRead) {
    const std::optional<Edid> edid = Edid::parse(edidBlock());
    ASSERT_TRUE(edid);
    EXPECT_EQ(edid->manufacturer, "DEL");
    EXPECT_EQ(edid->productCode, 0x1234);
    EXPECT_EQ(edid->serialNumber, 0x12345678u);
    EXPECT_EQ(edid->displayName, "U2720?Q"); // a control byte cannot reach names and logs
    EXPECT_EQ(edid->identity(), "edid:DEL:4660:305419896");
}

TEST(EdidTest, TwinsWithoutANumericSerialAreToldApartByTheirSerialText) {
    std::vector<std::uint8_t> first = edidBlock();
    std::fill(first.begin() + 12, first.begin() + 16, 0); // no numeric serial, as many write
    std::vector<std::uint8_t> second = first;
    const std::uint8_t serialA[] = {0, 0, 0, 0xFF, 0, 'C', 'N', '0', '1', '\n'};
    const std::uint8_t serialB[] = {0, 0, 0, 0xFF, 0, 'C', 'N', '0', '2', '\n'};
    std::copy(std::begin(serialA), std::end(serialA), first.begin() + 90);
    std::copy(std::begin(serialB), std::end(serialB), second.begin() + 90);
    const Edid a = *Edid::parse(first);
    const Edid b = *Edid::parse(second);
    EXPECT_EQ(a.serialText, "CN01");
    EXPECT_EQ(a.identity(), b.identity()); // as before: what stored triggers name
    EXPECT_NE(a.identityWithSerialText(), b.identityWithSerialText());
    EXPECT_FALSE(Edid::parse(edidBlock())->identityWithSerialText());

    // Only twins change: a monitor that is alone keeps the UUID it always had.
    std::vector<std::string> uuids{"SAME", "SAME", "ALONE", "PAIR", "PAIR"};
    X11Screens::separateTwins(uuids, {"A", "B", "C", std::nullopt, std::nullopt});
    EXPECT_EQ(uuids, (std::vector<std::string>{"A", "B", "ALONE", "PAIR", "PAIR"}));
}

TEST(EdidTest, ALaptopPanelIsKnownByItsConnectorTypeOrName) {
    EXPECT_TRUE(X11Screens::isBuiltIn("eDP-1", ""));
    EXPECT_TRUE(X11Screens::isBuiltIn("LVDS1", ""));
    EXPECT_TRUE(X11Screens::isBuiltIn("DSI-1", ""));
    EXPECT_TRUE(X11Screens::isBuiltIn("default", "Panel")); // a driver's own connector name
    EXPECT_FALSE(X11Screens::isBuiltIn("HDMI-1", "HDMI"));
    EXPECT_FALSE(X11Screens::isBuiltIn("DP-2", ""));
}

TEST(EdidTest, ShortOrHeaderlessBytesAreNoEdid) {
    std::vector<std::uint8_t> bytes = edidBlock();
    EXPECT_FALSE(Edid::parse(std::span(bytes).first(127)));
    bytes[0] = 0x01;
    EXPECT_FALSE(Edid::parse(bytes));
    EXPECT_FALSE(Edid::parse({}));
}

// Two 1280 × 1440 monitors side by side on a 2560 × 1440 root.
constexpr Rect left{0, 0, 1280, 1440};
constexpr Rect right{1280, 0, 1280, 1440};

using Strut = X11Screens::Strut;

TEST(StrutTest, ADockOnTheSharedEdgeTakesFromItsOwnMonitorOnly) {
    // A 40-pixel dock down the left edge of the right monitor: a left strut of 1320.
    const std::vector<Strut> atRightsLeft{{1320, 0, 0, 0, 0, 1439, 0, 0, 0, 0, 0, 0}};
    EXPECT_EQ(X11Screens::visibleArea(left, atRightsLeft, 2560, 1440), left);
    EXPECT_EQ(X11Screens::visibleArea(right, atRightsLeft, 2560, 1440),
              (Rect{1320, 0, 1240, 1440}));
    // The same down the right edge of the left monitor: a right strut of 1320.
    const std::vector<Strut> atLeftsRight{{0, 1320, 0, 0, 0, 0, 0, 1439, 0, 0, 0, 0}};
    EXPECT_EQ(X11Screens::visibleArea(left, atLeftsRight, 2560, 1440), (Rect{0, 0, 1240, 1440}));
    EXPECT_EQ(X11Screens::visibleArea(right, atLeftsRight, 2560, 1440), right);
}

TEST(StrutTest, AManagersWorkAreaPerMonitorCutsOnlyTheMonitorItCovers) {
    // Cinnamon's panel is no window: muffin says the room it takes in one work area per
    // monitor. The left one's bottom 40 rows are taken; a dock's strut still counts on top.
    const std::vector<Rect> areas{{0, 0, 1280, 1400}, {1280, 0, 1280, 1440}};
    EXPECT_EQ(X11Screens::insideWorkArea(left, left, areas), (Rect{0, 0, 1280, 1400}));
    EXPECT_EQ(X11Screens::insideWorkArea(right, right, areas), right);
    EXPECT_EQ(X11Screens::insideWorkArea({0, 30, 1280, 1410}, left, areas),
              (Rect{0, 30, 1280, 1370}));
    // A manager that knows one monitor where RandR shows two: its one area cuts both.
    const std::vector<Rect> one{{0, 0, 2560, 1400}};
    EXPECT_EQ(X11Screens::insideWorkArea(right, right, one), (Rect{1280, 0, 1280, 1400}));
    // None said, or none that meets the monitor: the struts alone decide.
    EXPECT_EQ(X11Screens::insideWorkArea(left, left, {}), left);
    EXPECT_EQ(X11Screens::insideWorkArea(left, left, {{3000, 0, 100, 100}}), left);
}

TEST(StrutTest, StrutsWiderThanTheirMonitorNeverGiveANegativeOrOutsideArea) {
    const std::vector<std::vector<Strut>> cases{
        {{2000, 0, 0, 0, 0, 1439, 0, 0, 0, 0, 0, 0}},     // across all of the left monitor
        {{0, 0, 5000, 0, 0, 0, 0, 0, 0, 2559, 0, 0}},     // taller than the screen
        {{0, 0, 900, 900, 0, 0, 0, 0, 0, 2559, 0, 2559}}, // top and bottom overlap
        {{0, 0, 1440, 0, 0, 0, 0, 0, 0, 1279, 0, 0}},     // exactly the whole height
    };
    for (const auto& struts : cases) {
        for (const Rect& monitor : {left, right}) {
            const Rect visible = X11Screens::visibleArea(monitor, struts, 2560, 1440);
            EXPECT_GE(visible.width, 0);
            EXPECT_GE(visible.height, 0);
            EXPECT_GE(visible.minX(), monitor.minX());
            EXPECT_LE(visible.maxX(), monitor.maxX());
            EXPECT_GE(visible.minY(), monitor.minY());
            EXPECT_LE(visible.maxY(), monitor.maxY());
        }
    }
    // A top strut that only spans the left monitor leaves the right one whole.
    EXPECT_EQ(
        X11Screens::visibleArea(right, {{0, 0, 30, 0, 0, 0, 0, 0, 0, 1279, 0, 0}}, 2560, 1440),
        right);
}

TEST(SizeHintsTest, OnlyAnEqualNonZeroMinimumAndMaximumPinTheSize) {
    constexpr std::uint32_t minSize = 1u << 4, maxSize = 1u << 5;
    const std::array<std::uint32_t, 18> pinned{minSize | maxSize, 0, 0, 0, 0, 300, 200, 300, 200};
    EXPECT_TRUE(X11Windows::hasFixedSize(pinned));
    std::array<std::uint32_t, 18> wider = pinned;
    wider[7] = 301;
    EXPECT_FALSE(X11Windows::hasFixedSize(wider));
    std::array<std::uint32_t, 18> noMaximumFlag = pinned;
    noMaximumFlag[0] = minSize;
    EXPECT_FALSE(X11Windows::hasFixedSize(noMaximumFlag));
    std::array<std::uint32_t, 18> zero{minSize | maxSize, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(X11Windows::hasFixedSize(zero));
    EXPECT_FALSE(X11Windows::hasFixedSize(std::span(pinned).first(8))); // cut short
}

TEST(X11DesktopNameTest, CinnamonAndMateAreNamedWithTheirVersionAndAskedOnce) {
    std::map<std::string, std::string> answers{{"cinnamon", "Cinnamon 6.4.8\n"},
                                               {"marco", "marco 1.26.1\n"}};
    int asked = 0;
    X11DesktopName names([&](const std::string& program) {
        ++asked;
        return answers[program];
    });
    EXPECT_EQ(names.describe("Mutter (Muffin)"), "Cinnamon 6.4.8, window manager Mutter (Muffin)");
    // No mate-about: the window manager's own version, said as its.
    EXPECT_EQ(names.describe("Metacity (Marco)"),
              "MATE (marco 1.26.1), window manager Metacity (Marco)");
    const int afterFirst = asked;
    names.describe("Mutter (Muffin)");
    EXPECT_EQ(asked, afterFirst);
    // Any other manager is its own name, and nothing is run for it.
    EXPECT_EQ(names.describe("Openbox"), "Openbox");
    EXPECT_EQ(asked, afterFirst);
    X11DesktopName silent([](const std::string&) { return std::string("no version here"); });
    EXPECT_EQ(silent.describe("Mutter (Muffin)"), "Cinnamon, window manager Mutter (Muffin)");
    EXPECT_EQ(X11DesktopName::versionIn("IceWM 3.3.1, Copyright 1997-2012"), "3.3.1");
    EXPECT_EQ(X11DesktopName::versionIn("MATE Desktop Environment 1.26.0"), "1.26.0");
}

TEST(X11DesktopBindingsTest, AcceleratorsAreReadAsGtkWritesThemAndMaskedForThisKeyboard) {
    using Accelerator = X11DesktopBindings::Accelerator;
    EXPECT_EQ(X11DesktopBindings::parse("<Control><Alt><Super>Left"),
              (Accelerator{"Left", true, true, true, false}));
    EXPECT_EQ(X11DesktopBindings::parse("<Primary><Shift>t"),
              (Accelerator{"t", true, false, false, true}));
    EXPECT_EQ(X11DesktopBindings::parse("Print"),
              (Accelerator{"Print", false, false, false, false}));
    // Nothing, a switched-off binding, a modifier Panemark never binds, a broken one.
    for (const char* none : {"", "disabled", "<Hyper>a", "<Control"}) {
        EXPECT_FALSE(X11DesktopBindings::parse(none)) << none;
    }
    // The common layout: Control is bit 2, Alt Mod1 (bit 3), Super Mod4 (bit 6).
    const X11KeyboardMap keyboard;
    EXPECT_EQ(X11DesktopBindings::maskOf(*X11DesktopBindings::parse("<Control><Alt><Super>Left"),
                                         keyboard),
              std::optional<std::uint16_t>(0x4 | 0x8 | 0x40));
}

} // namespace
} // namespace panemark
