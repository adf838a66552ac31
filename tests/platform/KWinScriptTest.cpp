#include "../support/EdidBlock.h"
#include "../support/Printers.h"
#include "platform/FramePixels.h"
#include "platform/helper/HelperReplies.h"
#include "platform/helper/HelperScreens.h"
#include "platform/kwin/KWinScriptLoader.h"
#include "platform/kwin/KWinScriptMessages.h"

#include <QtCore/qnamespace.h>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace panemark {
namespace {

using namespace KWinScriptMessages;
using namespace HelperReplies;

std::string recorded(const std::string& name) {
    std::ifstream file(std::string(TEST_DATA_DIR) + "/" + name);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(KWinScriptTest, WhatKWin527AndKWin6ScriptsSendIsRead) {
    const Result<Hello> old = hello(recorded("kwin-5.27/hello.json"));
    ASSERT_TRUE(old) << old.error();
    EXPECT_EQ(old.value().api, 5);
    ASSERT_EQ(old.value().screens.size(), 2u);
    // 5.27 names a screen by its connector only; the usable area leaves the panel out.
    EXPECT_EQ(old.value().screens[0],
              (OutputFacts{"Virtual-0", "", "", "", {0, 0, 1280, 800}, {0, 0, 1280, 760}}));

    const Result<Look> look = HelperReplies::look(recorded("kwin-5.27/look.json"));
    ASSERT_TRUE(look) << look.error();
    ASSERT_TRUE(look.value().window);
    EXPECT_EQ(*look.value().window, (Window{"{c9d6a1e6-70aa-4158-a78c-144cfc33f386}",
                                            {400, 221, 480, 357},
                                            27883,
                                            true,
                                            false,
                                            "Notes"}));
    const Result<Look> desktop = HelperReplies::look(recorded("kwin-5.27/look-desktop.json"));
    ASSERT_TRUE(desktop);
    EXPECT_FALSE(desktop.value().window); // the desktop is in front
    EXPECT_EQ(placed(recorded("kwin-5.27/placed.json")).value().frame, (Rect{639, 0, 640, 800}));

    const Result<Hello> six = hello(recorded("kwin-6/hello.json"));
    ASSERT_TRUE(six) << six.error();
    EXPECT_EQ(six.value().api, 6);
    EXPECT_EQ(six.value().screens[0].make, "Dell Inc.");
    EXPECT_EQ(six.value().screens[0].serial, "9XK2C83");
    const Result<Look> video = HelperReplies::look(recorded("kwin-6/look.json"));
    ASSERT_TRUE(video) << video.error();
    EXPECT_EQ(video.value().window->frame, (Rect{2660.5, 40, 800, 600.25}));
    EXPECT_FALSE(video.value().window->resizable);
    EXPECT_TRUE(video.value().window->fullScreen);
    EXPECT_EQ(window(recorded("kwin-6/window-gone.json")).value(), std::nullopt);
    EXPECT_EQ(placed(recorded("kwin-6/placed-gone.json")).value().frame, std::nullopt);
}

TEST(KWinScriptTest, AnythingElseIsAnErrorNeverACrash) {
    const std::string screen =
        R"({"name":"A","frame":{"x":0,"y":0,"width":10,"height":10},"area":{"x":0,"y":0,"width":10,"height":10}})";
    const std::vector<std::string> broken{
        std::string(""),
        std::string("[]"),
        std::string("{\"window\":"),
        std::string(R"({"window":null})"),               // no screens
        std::string(R"({"window":null,"screens":{}})"),  // screens not a list
        std::string(R"({"window":null,"screens":[7]})"), // a screen not an object
        R"({"window":null,"screens":[{"name":"A"}]})",   // no frame
        R"({"window":"x","screens":[)" + screen + "]}",  // a window not an object
        R"({"window":{"frame":{"x":0,"y":0,"width":1,"height":1}},"screens":[)" + screen +
            "]}", // a window without an id
        R"({"window":{"id":"a","frame":{"x":0,"y":0,"width":-1,"height":1}},"screens":[)" + screen +
            "]}", // a negative size
        R"({"window":{"id":"a","frame":{"x":1e300,"y":0,"width":1,"height":1}},"screens":[)" +
            screen + "]}", // a coordinate no screen has
        R"({"window":{"id":"a","frame":{"x":"0","y":0,"width":1,"height":1}},"screens":[)" +
            screen + "]}", // a number as text
    };
    for (const std::string& text : broken) {
        EXPECT_FALSE(HelperReplies::look(text)) << text;
    }
    EXPECT_FALSE(hello(R"({"api":7,"screens":[]})")); // an API this program does not know
    EXPECT_FALSE(hello(R"({"screens":[]})"));
    EXPECT_FALSE(placed(R"({"placed":true})")); // placed, but where?
    EXPECT_FALSE(screens("null"));
    // An output with an empty frame or usable area (one turning off) is no screen to place on.
    const auto empty = HelperReplies::screens(
        R"({"screens":[{"name":"A","frame":{"x":0,"y":0,"width":0,"height":0},)"
        R"("area":{"x":0,"y":0,"width":0,"height":0}},)"
        R"({"name":"B","frame":{"x":0,"y":0,"width":800,"height":600},)"
        R"("area":{"x":0,"y":0,"width":800,"height":0}},)" +
        screen + "]}");
    ASSERT_TRUE(empty);
    ASSERT_EQ(empty.value().size(), 1u);
    EXPECT_EQ(empty.value()[0].frame, (Rect{0, 0, 10, 10}));
}

TEST(KWinScriptTest, RequestsCarryTheirSerialAndWhatTheScriptNeeds) {
    const nlohmann::json place =
        nlohmann::json::parse(placeRequest(42, "{abc}", Rect{10, 20, 300, 400}, 150));
    EXPECT_EQ(place["serial"], 42);
    EXPECT_EQ(place["op"], "place");
    EXPECT_EQ(place["id"], "{abc}");
    EXPECT_EQ(place["frame"]["width"], 300);
    EXPECT_EQ(place["wait"], 150);
    EXPECT_EQ(nlohmann::json::parse(lookRequest(7))["op"], "look");
    EXPECT_EQ(nlohmann::json::parse(windowRequest(8, "{w}"))["id"], "{w}");
    EXPECT_EQ(nlohmann::json::parse(idle())["op"], "idle");
    EXPECT_EQ(nlohmann::json::parse(stop())["op"], "stop");
}

TEST(KWinScriptTest, FramesReachTheCompositorInWholePixelsEvenWhenTheyAreNoNumber) {
    EXPECT_EQ(FramePixels::rounded({10.5, -3.4, 640.49, 0.2}), (Rect{11, -3, 640, 1}));
    EXPECT_EQ(FramePixels::rounded({std::nan(""), 1e12, INFINITY, -5}), (Rect{0, 1e6, 1, 1}));
}

TEST(KWinScriptTest, EachCopyOfTheScriptCarriesItsTokenAndTheNameToCall) {
    const std::string text = KWinScriptLoader::scriptText("0123abcd", ":1.42");
    EXPECT_NE(text.find("var token = \"0123abcd\";"), std::string::npos);
    EXPECT_NE(text.find("var service = \":1.42\";"), std::string::npos);
    EXPECT_EQ(text.find("%TOKEN%"), std::string::npos);
    EXPECT_EQ(text.find("%SERVICE%"), std::string::npos);
    // Its own windows, the ones it keeps from the focus, are known by Panemark's app id.
    EXPECT_NE(text.find("var panemarkAppId = \"panemark\";"), std::string::npos);
    EXPECT_EQ(text.find('%'), std::string::npos) << "a value left unwritten";
    EXPECT_NE(KWinScriptLoader::newToken(), KWinScriptLoader::newToken());
}

TEST(KWinScriptTest, ScreensNamedByConnectorGetTheirMonitorFromItsEdidAndThePrimaryComesFirst) {
    std::vector<std::string> asked;
    const HelperScreens::EdidReader reader = [&](const std::string& connector) {
        asked.push_back(connector);
        return connector == "DP-2" ? edidBlock() : std::vector<std::uint8_t>{};
    };
    const std::vector<Screen> described = HelperScreens::describe(
        {
            {"DP-2", "", "", "", {1920, 0, 2560, 1440}, {1920, 0, 2560, 1400}},
            {"eDP-1", "", "", "", {0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
        },
        reader);
    ASSERT_EQ(described.size(), 2u);
    EXPECT_EQ(described[0].frame, (Rect{0, 0, 1920, 1080})); // at the origin: primary
    EXPECT_TRUE(described[0].isBuiltIn);
    EXPECT_EQ(described[0].name, "eDP-1"); // no EDID: the connector
    EXPECT_EQ(described[1].visibleFrame, (Rect{1920, 0, 2560, 1400}));
    EXPECT_EQ(described[1].name, "DEL U2720?Q");
    // The same monitor on another port is the same screen: it has a serial number.
    const std::vector<Screen> moved =
        HelperScreens::describe({{"HDMI-A-1", "", "", "", {0, 0, 2560, 1440}, {0, 0, 2560, 1440}}},
                                [](const std::string&) { return edidBlock(); });
    EXPECT_EQ(moved.front().uuid, described[1].uuid);
    // GNOME names its primary monitor, wherever it is in the layout.
    const std::vector<Screen> named = HelperScreens::describe(
        {{"eDP-1", "", "", "", {0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
         {"DP-2", "", "", "", {1920, 0, 2560, 1440}, {1920, 0, 2560, 1400}, true}},
        reader);
    EXPECT_EQ(named.front().name, "DEL U2720?Q");
    // KWin 6 says who made it: nothing is read.
    asked.clear();
    HelperScreens::describe(
        {{"DP-3", "Dell Inc.", "U2720Q", "9XK2C83", {0, 0, 1, 1}, {0, 0, 1, 1}}}, reader);
    EXPECT_TRUE(asked.empty());
}

} // namespace
} // namespace panemark
