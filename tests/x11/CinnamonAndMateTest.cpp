#include "../support/Printers.h"
#include "../support/PrivateSessionBus.h"
#include "ScreenLook.h"
#include "TestClient.h"
#include "TestHome.h"
#include "XvfbSession.h"
#include "model/StockCommands.h"
#include "placement/TargetRules.h"
#include "platform/x11/X11DesktopName.h"

#include <QRect>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace panemark {
namespace {

using namespace std::chrono_literals;

// Linux Mint's two desktops as their sessions start them, sharing a session bus of the test's
// own with Panemark: Cinnamon (its shell is the window manager and draws the panel; XApp's
// watcher hands status icons to the panel) and MATE (marco, and mate-panel with its
// notification area).
enum class Desktop { cinnamon, mate };

std::string nameOf(Desktop desktop) {
    return desktop == Desktop::cinnamon ? "Cinnamon" : "MATE";
}

class CinnamonAndMateTest : public ::testing::TestWithParam<Desktop> {
protected:
    CinnamonAndMateTest() {
        // dconf keeps its database in the configuration folder and its shared memory in the
        // runtime one: in one folder each spoils the other.
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("XDG_CURRENT_DESKTOP", GetParam() == Desktop::cinnamon ? "X-Cinnamon" : "MATE", 1);
        setenv("NO_AT_BRIDGE", "1", 1);
    }
    ~CinnamonAndMateTest() override { unsetenv("XDG_CURRENT_DESKTOP"); }

    void SetUp() override {
        ASSERT_TRUE(bus.ready());
        ASSERT_TRUE(session.ready()) << session.problem();
        ASSERT_TRUE(client.connected());
    }

    std::string logOf(const std::string& name) const {
        return (home.path() / (name + ".log")).string();
    }

    // The desktop's window manager and panel, as its session starts them; its usable area once
    // the panels have taken their room.
    Rect startDesktop() {
        // What the bus starts on demand (the panel's applets) runs on this display, as a
        // session's bus is told at login.
        EXPECT_TRUE(session.run({"dbus-update-activation-environment", "--all"}));
        if (GetParam() == Desktop::cinnamon) {
            session.spawn({"cinnamon", "--replace", "--sm-disable"}, logOf("cinnamon"));
        } else {
            session.spawn({"marco", "--sm-disable"}, logOf("marco"));
        }
        EXPECT_TRUE(session.waitForWindowManager());
        if (GetParam() == Desktop::cinnamon) {
            session.spawn({statusNotifierWatcher()}, logOf("sn-watcher"));
        } else {
            session.spawn({"mate-panel"}, logOf("mate-panel"));
        }
        return settledWorkArea();
    }

    // XApp's watcher, which Cinnamon's session starts from its autostart entry.
    static std::string statusNotifierWatcher() {
        std::ifstream entry("/etc/xdg/autostart/xapp-sn-watcher.desktop");
        for (std::string line; std::getline(entry, line);) {
            if (line.rfind("Exec=", 0) == 0) {
                return line.substr(5);
            }
        }
        return "/usr/libexec/xapps/sn-watcher/xapp-sn-watcher";
    }

    // Whether each of the desktop's stock panels takes its room: Cinnamon's along the bottom,
    // MATE's at the top and the bottom (the top one comes once its applets have loaded).
    bool panelsUp(const Rect& area) const {
        const bool bottom = area.maxY() < height;
        return GetParam() == Desktop::cinnamon ? bottom : bottom && area.minY() > 0;
    }

    // The work area once the panels have come up and it has held still for half a second.
    Rect settledWorkArea() {
        const Rect whole{0, 0, width, height};
        std::optional<Rect> last;
        int unchanged = 0;
        for (int i = 0; i < 600 && unchanged < 10; ++i) {
            std::this_thread::sleep_for(50ms);
            const std::optional<Rect> now = client.workArea();
            const bool up = now && panelsUp(*now);
            unchanged = up && now == last ? unchanged + 1 : 0;
            last = now;
        }
        return last.value_or(whole);
    }

    pid_t startPanemark() { return session.spawn({PANEMARK_PROGRAM}, logOf("panemark")); }

    // What a command prints, run on the display.
    std::string capture(const std::string& command) const {
        std::string output;
        if (FILE* pipe = popen(("DISPLAY=" + session.display() + " " + command).c_str(), "r")) {
            char buffer[512];
            while (fgets(buffer, sizeof buffer, pipe)) {
                output += buffer;
            }
            pclose(pipe);
        }
        return output;
    }

    // Whether `panemark status` says text within 15 s; its last output stays in lastStatus.
    bool statusSays(const std::string& text) {
        for (int attempt = 0; attempt < 150; ++attempt) {
            lastStatus = capture(std::string(PANEMARK_PROGRAM) + " status 2>&1");
            if (lastStatus.find(text) != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    // The desktop's name and version as its own program says them.
    std::string desktopWithVersion() const {
        const std::string program =
            GetParam() == Desktop::cinnamon ? "cinnamon --version" : "mate-about --version";
        return nameOf(GetParam()) + " " + X11DesktopName::versionIn(capture(program));
    }

    // Presses a stock combination until the window's frame is expected: the program may still
    // be grabbing its keys.
    bool pressUntil(const std::string& key, xcb_window_t window, const Rect& expected) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (session.run({"xdotool", "key", "ctrl+alt+super+" + key}) &&
                client.waitForFrame(window, expected, 0.5) == expected) {
                return true;
            }
        }
        return false;
    }

    static constexpr double width = 1920;
    static constexpr double height = 1080;
    // First, so it goes last: the desktop's programs stop before their bus and home do.
    TestHome home{"mint"};
    std::filesystem::path runtime = home.path() / "runtime";
    PrivateSessionBus bus;
    XvfbSession session{static_cast<int>(width), static_cast<int>(height),
                        XvfbSession::WindowManager::none};
    TestClient client;
    std::string lastStatus;
};

TEST_P(CinnamonAndMateTest, StatusNamesTheDesktopAndTheStockShortcutsLandInsideItsPanels) {
    const Rect usable = startDesktop();
    ASSERT_TRUE(panelsUp(usable)) << testing::PrintToString(usable);
    const xcb_window_t window = client.createWindow(300, 300, 500, 400);
    ASSERT_TRUE(client.activate(window));
    startPanemark();
    const std::string expectedDesktop = desktopWithVersion();
    EXPECT_TRUE(statusSays("desktop: x11 (" + expectedDesktop)) << lastStatus;

    const std::vector<std::string> keys{"1", "2", "3", "Left", "Right", "Up", "Down"};
    const std::vector<ZoneCommand> stock = stockCommands();
    Rect expected = *client.outerFrame(window);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        expected = TargetRules::ruleFor(stock[i], 0)(usable, expected).value_or(expected);
        EXPECT_TRUE(pressUntil(keys[i], window, expected))
            << nameOf(GetParam()) << ", " << stock[i].displayName() << ": "
            << testing::PrintToString(client.outerFrame(window));
    }
}

INSTANTIATE_TEST_SUITE_P(, CinnamonAndMateTest, ::testing::Values(Desktop::cinnamon, Desktop::mate),
                         [](const auto& info) { return nameOf(info.param); });

} // namespace
} // namespace panemark
