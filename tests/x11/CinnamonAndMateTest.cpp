#include "../support/Printers.h"
#include "../support/PrivateSessionBus.h"
#include "ScreenLook.h"
#include "TestClient.h"
#include "TestHome.h"
#include "XvfbSession.h"
#include "model/StockCommands.h"
#include "placement/TargetRules.h"
#include "platform/x11/X11DesktopName.h"

#include <QImage>
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
#include <map>
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
        setenv("XDG_SESSION_TYPE", "x11", 1); // newer muffin asks, as a display manager tells it
    }
    ~CinnamonAndMateTest() override {
        unsetenv("XDG_CURRENT_DESKTOP");
        unsetenv("XDG_SESSION_TYPE");
    }

    void SetUp() override {
        ASSERT_TRUE(bus.ready());
        ASSERT_TRUE(session.ready()) << session.problem();
        ASSERT_TRUE(client.connected());
        // What the bus starts on demand (dconf, the panel's applets) runs with this display
        // and these folders, as a session's bus is told at login.
        ASSERT_TRUE(session.run({"dbus-update-activation-environment", "--all"}));
    }

    std::string logOf(const std::string& name) const {
        return (home.path() / (name + ".log")).string();
    }

    // The desktop's window manager and panel, as its session starts them; its usable area once
    // the panels have taken their room.
    Rect startDesktop() {
        if (GetParam() == Desktop::cinnamon) {
            // A user's settings name the keyboard layout after the first login; without one,
            // Cinnamon 6.6 asks localed on the system bus, which a test session has not.
            EXPECT_TRUE(session.run({"gsettings", "set", "org.cinnamon.desktop.input-sources",
                                     "sources", "[('xkb', 'us')]"}));
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
    // Cinnamon's panel is at the bottom. MATE's two are at the top and the bottom, or both at the
    // top when mate-panel laid them out before it read their places (seen on a busy machine):
    // two panels' room is left out of the work area either way.
    bool panelsUp(const Rect& area) const {
        const bool bottom = area.maxY() < height;
        const double leftOut = area.minY() + (height - area.maxY());
        return GetParam() == Desktop::cinnamon ? bottom : area.minY() > 0 && leftOut >= 40;
    }

    // The work area once the panels have come up (within a minute: a busy machine loads their
    // applets slowly) and it has held still for half a second.
    Rect settledWorkArea() {
        const Rect whole{0, 0, width, height};
        std::optional<Rect> last;
        int unchanged = 0;
        for (int i = 0; i < 1200 && unchanged < 10; ++i) {
            std::this_thread::sleep_for(50ms);
            const std::optional<Rect> now = client.workArea();
            const bool up = now && panelsUp(*now);
            unchanged = up && now == last ? unchanged + 1 : 0;
            last = now;
        }
        return last.value_or(whole);
    }

    std::string logText(const std::string& name) const {
        std::ifstream file(logOf(name));
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
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

    // Which way Panemark's icon reached the panel: a StatusNotifierItem the panel's watcher
    // lists, else the XEmbed tray; empty until one of them has it.
    std::string trayProtocol() const {
        const std::string items =
            capture("gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path "
                    "/StatusNotifierWatcher --method org.freedesktop.DBus.Properties.Get "
                    "org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null");
        if (items.find("StatusNotifierItem") != std::string::npos) {
            return "StatusNotifierItem";
        }
        if (!capture("xdotool search --onlyvisible --classname '^panemark$'").empty()) {
            return "XEmbed";
        }
        return "";
    }

    // Where the panel shows Panemark's icon. Cinnamon draws its status icons itself, and says
    // where through its shell's Eval; MATE's notification area is a window of its own applet.
    std::optional<QRect> iconArea() const {
        std::string text;
        if (GetParam() == Desktop::cinnamon) {
            const std::string script =
                "(() => { for (const a of imports.ui.appletManager."
                "getRunningInstancesForUuid('xapp-status@cinnamon.org')) for (const k in "
                "a.statusIcons) { const i = a.statusIcons[k]; const [x, y] = "
                "i.actor.get_transformed_position(); const [w, h] = "
                "i.actor.get_transformed_size(); if (w > 0) return [x, y, w, h].map(Math.round)"
                ".join(' '); } return ''; })()";
            text = capture("gdbus call --session --dest org.Cinnamon --object-path /org/Cinnamon "
                           "--method org.Cinnamon.Eval \"" +
                           script + "\"");
        } else {
            for (const std::string& id : lines(capture(
                     "xdotool search --onlyvisible --classname '^notification-area-applet$'"))) {
                const std::string shell = capture("xdotool getwindowgeometry --shell " + id);
                const QRect area = geometryIn(shell);
                if (area.width() > 10 && area.height() > 10) {
                    return area;
                }
            }
            return std::nullopt;
        }
        std::istringstream numbers(text.substr(text.find_first_of("0123456789") == std::string::npos
                                                   ? text.size()
                                                   : text.find_first_of("0123456789")));
        int x = 0, y = 0, w = 0, h = 0;
        if (numbers >> x >> y >> w >> h && w > 0 && h > 0) {
            return QRect(x, y, w, h);
        }
        return std::nullopt;
    }

    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> found;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);) {
            if (!line.empty()) {
                found.push_back(line);
            }
        }
        return found;
    }

    // A rectangle from what `xdotool getwindowgeometry --shell` prints.
    static QRect geometryIn(const std::string& shell) {
        std::map<std::string, int> values;
        for (const std::string& line : lines(shell)) {
            if (const auto equals = line.find('='); equals != std::string::npos) {
                values[line.substr(0, equals)] = std::atoi(line.c_str() + equals + 1);
            }
        }
        return {values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]};
    }

    // How far the icon's strokes stand out from the panel behind them: the largest difference
    // in lightness (0–255) from the median pixel of the icon's area, which is the panel.
    static int iconContrast(const QRect& area) {
        const QImage image = ScreenLook::screen()
                                 .grabWindow(0, area.x(), area.y(), area.width(), area.height())
                                 .toImage();
        std::vector<int> lightness;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                lightness.push_back(image.pixelColor(x, y).lightness());
            }
        }
        if (lightness.empty()) {
            return 0;
        }
        std::nth_element(lightness.begin(), lightness.begin() + lightness.size() / 2,
                         lightness.end());
        const int panel = lightness[lightness.size() / 2];
        int contrast = 0;
        for (const int value : lightness) {
            contrast = std::max(contrast, std::abs(value - panel));
        }
        return contrast;
    }

    std::optional<QRect> waitForPalette() const {
        std::optional<QRect> palette;
        for (int i = 0; i < 300 && !palette; ++i) {
            std::this_thread::sleep_for(10ms);
            palette = ScreenLook::paletteGeometry(session.display());
        }
        return palette;
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

TEST_P(CinnamonAndMateTest, TheIconSitsOnThePanelAndAClickOpensThePaletteAtIt) {
    const Rect usable = startDesktop();
    const xcb_window_t window = client.createWindow(300, 300, 500, 400);
    ASSERT_TRUE(client.activate(window));
    startPanemark();
    // The icon once the panel has laid it out: the same place twice in a row.
    std::string protocol;
    std::optional<QRect> icon;
    std::optional<QRect> previous;
    for (int i = 0; i < 200 && !(icon && icon == previous); ++i) {
        std::this_thread::sleep_for(50ms);
        previous = icon;
        protocol = trayProtocol();
        icon = protocol.empty() ? std::nullopt : iconArea();
    }
    ASSERT_TRUE(icon) << "no icon on " << nameOf(GetParam()) << "'s panel";
    std::cout << nameOf(GetParam()) << "'s panel shows the icon through " << protocol << " at "
              << icon->x() << "," << icon->y() << " " << icon->width() << "×" << icon->height()
              << "\n";
    RecordProperty("trayProtocol", protocol);
    // On the panel: outside the usable area.
    const Rect iconRect{static_cast<double>(icon->x()), static_cast<double>(icon->y()),
                        static_cast<double>(icon->width()), static_cast<double>(icon->height())};
    EXPECT_TRUE(iconRect.minY() >= usable.maxY() || iconRect.maxY() <= usable.minY())
        << testing::PrintToString(iconRect);
    // Drawn to stand out on this panel (Cinnamon's is dark, MATE's light), once it has looked.
    int contrast = 0;
    for (int i = 0; i < 100 && contrast < 100; ++i) {
        std::this_thread::sleep_for(50ms);
        contrast = iconContrast(*icon);
    }
    EXPECT_GE(contrast, 100) << "the icon is hard to see on the panel";
    ScreenLook::screenshot(nameOf(GetParam()) + "-tray-icon.png");

    // A click the panel takes before it has finished with the icon's item does nothing: the
    // icon is clicked again while no palette shows.
    const QPoint centre = icon->center();
    std::optional<QRect> palette;
    for (int attempt = 0; attempt < 3 && !palette; ++attempt) {
        ASSERT_TRUE(session.run({"xdotool", "mousemove", std::to_string(centre.x()),
                                 std::to_string(centre.y()), "click", "1"}));
        palette = waitForPalette();
    }
    ASSERT_TRUE(palette) << "the palette did not open";
    ScreenLook::screenshot(nameOf(GetParam()) + "-palette.png");
    // At the icon: beside it along the panel, against the panel's edge of the usable area.
    EXPECT_LE(std::abs(palette->center().x() - centre.x()), palette->width())
        << "palette at x " << palette->x() << ", icon at " << centre.x();
    const int panelEdge = iconRect.minY() >= usable.maxY() ? static_cast<int>(usable.maxY())
                                                           : static_cast<int>(usable.minY());
    const int nearEdge =
        iconRect.minY() >= usable.maxY() ? palette->y() + palette->height() : palette->y();
    EXPECT_LE(std::abs(nearEdge - panelEdge), 12)
        << "palette from " << palette->y() << " to " << palette->y() + palette->height()
        << ", the panel's edge at " << panelEdge;

    // A row moves the window that had the focus.
    ASSERT_TRUE(session.run({"xdotool", "key", "Down", "Down", "Down", "Down", "Return"}));
    const Rect leftHalf{usable.x, usable.y, usable.width / 2, usable.height};
    EXPECT_EQ(client.waitForFrame(window, leftHalf), leftHalf);

    ASSERT_TRUE(session.run({PANEMARK_PROGRAM, "settings"}));
    std::string settings;
    for (int i = 0; i < 300 && settings.empty(); ++i) {
        std::this_thread::sleep_for(20ms);
        settings = capture("xdotool search --onlyvisible --name '^Panemark Settings$'");
    }
    ASSERT_FALSE(settings.empty()) << "no settings window";
    std::this_thread::sleep_for(500ms); // drawn, for the screenshot only
    ScreenLook::screenshot(nameOf(GetParam()) + "-settings.png");
}

TEST_P(CinnamonAndMateTest, AStockShortcutTheDesktopHoldsIsLeftToItReportedAndTheRestWork) {
    // The user has the desktop switch to the next workspace with ⌃⌥⌘←.
    const bool cinnamon = GetParam() == Desktop::cinnamon;
    ASSERT_TRUE(session.run(
        {"gsettings", "set",
         cinnamon ? "org.cinnamon.desktop.keybindings.wm" : "org.mate.Marco.global-keybindings",
         "switch-to-workspace-right",
         cinnamon ? "['<Control><Alt><Super>Left']" : "<Control><Alt><Mod4>Left"}));
    const Rect usable = startDesktop();
    const xcb_window_t window = client.createWindow(300, 300, 500, 400);
    ASSERT_TRUE(client.activate(window));
    startPanemark();
    EXPECT_TRUE(statusSays("⌃⌥⌘←\tLeft half\t(held by another program)")) << lastStatus;
    const Rect rightHalf{usable.x + usable.width / 2, usable.y, usable.width / 2, usable.height};
    EXPECT_TRUE(pressUntil("Right", window, rightHalf));
    // The desktop still has its combination: it switches the workspace.
    ASSERT_EQ(client.currentDesktop(), 0u);
    ASSERT_TRUE(session.run({"xdotool", "key", "ctrl+alt+super+Left"}));
    std::optional<std::uint32_t> desktop;
    for (int i = 0; i < 200 && desktop != 1u; ++i) {
        std::this_thread::sleep_for(10ms);
        desktop = client.currentDesktop();
    }
    EXPECT_EQ(desktop, 1u) << "the desktop did not hear its own combination";

    // The user gives it back: Panemark takes it once the desktop has let it go (a press before
    // that would still switch the workspace), and it moves the window again.
    ASSERT_TRUE(session.run({"xdotool", "set_desktop", "0"}));
    ASSERT_TRUE(client.activate(window));
    ASSERT_TRUE(session.run(
        {"gsettings", "reset",
         cinnamon ? "org.cinnamon.desktop.keybindings.wm" : "org.mate.Marco.global-keybindings",
         "switch-to-workspace-right"}));
    const Rect leftHalf{usable.x, usable.y, usable.width / 2, usable.height};
    EXPECT_TRUE(statusSays("⌃⌥⌘←\tLeft half\n")) << lastStatus;
    EXPECT_TRUE(pressUntil("Left", window, leftHalf)) << logText("panemark");
}

TEST_P(CinnamonAndMateTest, TheWindowManagerRestartedInTheSessionLeavesEveryShortcutWorking) {
    // Cinnamon restarts itself (Ctrl+Alt+Esc) as `cinnamon --replace`; MATE's marco the same way.
    const Rect usable = startDesktop();
    const xcb_window_t window = client.createWindow(300, 300, 500, 400);
    ASSERT_TRUE(client.activate(window));
    startPanemark();
    const Rect leftHalf{usable.x, usable.y, usable.width / 2, usable.height};
    ASSERT_TRUE(pressUntil("Left", window, leftHalf));
    if (GetParam() == Desktop::cinnamon) {
        session.spawn({"cinnamon", "--replace", "--sm-disable"}, logOf("cinnamon-again"));
    } else {
        session.spawn({"marco", "--replace", "--sm-disable"}, logOf("marco-again"));
    }
    ASSERT_TRUE(session.waitForWindowManager());
    const Rect again = settledWorkArea();
    ASSERT_TRUE(client.activate(window));
    const Rect rightHalf{again.x + again.width / 2, again.y, again.width / 2, again.height};
    EXPECT_TRUE(pressUntil("Right", window, rightHalf)) << logText("panemark");
    EXPECT_TRUE(statusSays("desktop: x11 (" + desktopWithVersion())) << lastStatus;
}

INSTANTIATE_TEST_SUITE_P(, CinnamonAndMateTest, ::testing::Values(Desktop::cinnamon, Desktop::mate),
                         [](const auto& info) { return nameOf(info.param); });

} // namespace
} // namespace panemark
