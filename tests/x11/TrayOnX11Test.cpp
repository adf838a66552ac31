#include "../support/TrayHost.h"
#include "ScreenLook.h"
#include "TestClient.h"
#include "TestHome.h"
#include "XvfbSession.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace panemark {
namespace {

// The tray icon in a real tray host (trayer or stalonetray) on Xvfb + openbox, driven with the
// pointer.
class TrayOnX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.ready()) << session.problem();
        tray = startTray();
    }

    pid_t startTray() { return session.spawn(trayHostCommand()); }

    std::string log() {
        std::ifstream file(home / "app.log");
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    // What a command prints.
    std::string capture(const std::string& command) {
        std::string output;
        if (FILE* pipe = popen(("DISPLAY=" + session.display() + " " + command).c_str(), "r")) {
            char buffer[256];
            while (fgets(buffer, sizeof buffer, pipe)) {
                output += buffer;
            }
            pclose(pipe);
        }
        return output;
    }

    // The visible window of Panemark's tray icon, once the tray has embedded it.
    std::string trayIcon() {
        for (int i = 0; i < 300; ++i) {
            const std::string id = capture("xdotool search --onlyvisible --classname panemark");
            if (!id.empty()) {
                return id.substr(0, id.find('\n'));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return "";
    }

    static QScreen& screen() { return ScreenLook::screen(); }
    static void screenshot(const std::string& name) { ScreenLook::screenshot(name); }

    // Where a window lies on the screen, as xdotool reports it.
    QRect geometry(const std::string& window) {
        std::istringstream lines(capture("xdotool getwindowgeometry --shell " + window));
        std::map<std::string, int> values;
        for (std::string line; std::getline(lines, line);) {
            if (const auto equals = line.find('='); equals != std::string::npos) {
                values[line.substr(0, equals)] = std::atoi(line.c_str() + equals + 1);
            }
        }
        return {values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]};
    }

    // The lightness (0–255) of the darkest pixel in an area of the screen.
    int darkestLightness(const QRect& area) {
        const QImage image =
            screen().grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
        int darkest = 255;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                darkest = std::min(darkest, image.pixelColor(x, y).lightness());
            }
        }
        return darkest;
    }

    std::optional<QRect> paletteGeometry() {
        return ScreenLook::paletteGeometry(session.display());
    }

    // Clicks the tray icon and waits for the palette it opens; nothing when none opened.
    std::optional<QRect> openPaletteFrom(const std::string& icon) {
        if (!session.run({"xdotool", "mousemove", "--window", icon, "11", "11", "click", "1"})) {
            return std::nullopt;
        }
        std::optional<QRect> palette;
        for (int i = 0; i < 200 && !palette; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            palette = paletteGeometry();
        }
        return palette;
    }

    // Says, as some panels do, that tray icons are to be drawn in this colour.
    void announceIconColor(std::uint16_t red, std::uint16_t green, std::uint16_t blue) {
        xcb_connection_t* c = xcb_connect(session.display().c_str(), nullptr);
        auto atom = [c](const char* name) {
            auto* reply = xcb_intern_atom_reply(
                c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(strlen(name)), name), nullptr);
            const xcb_atom_t value = reply ? reply->atom : 0;
            free(reply);
            return value;
        };
        auto* owner = xcb_get_selection_owner_reply(
            c, xcb_get_selection_owner(c, atom("_NET_SYSTEM_TRAY_S0")), nullptr);
        const std::uint32_t colors[12] = {red,    green,  blue, 0xFFFF, 0,      0,
                                          0xFFFF, 0xA000, 0,    0,      0xFFFF, 0};
        if (owner && owner->owner != XCB_WINDOW_NONE) {
            // Checked, so the server has it before anyone looks.
            free(xcb_request_check(
                c, xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, owner->owner,
                                               atom("_NET_SYSTEM_TRAY_COLORS"), XCB_ATOM_CARDINAL,
                                               32, 12, colors)));
        }
        free(owner);
        xcb_disconnect(c);
    }

    // The splash card on screen: a visible window of Panemark's, 420 × 280.
    std::optional<QRect> splashCard() {
        std::istringstream ids(capture("xdotool search --onlyvisible --name '^Panemark$'"));
        for (std::string id; std::getline(ids, id);) {
            const QRect area = geometry(id);
            if (area.size() == QSize(420, 280)) {
                return area;
            }
        }
        return std::nullopt;
    }

    bool click(int x, int y) {
        return session.run(
            {"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"});
    }

    // First, so it goes last: after the session has stopped every program it started.
    TestHome homeFolder{"tray"};
    XvfbSession session{1280, 800};
    pid_t tray = -1;
    TestClient client;
    const std::filesystem::path& home = homeFolder.path();
};

TEST_F(TrayOnX11Test, AClickOnTheIconOpensThePaletteWhoseRowsMoveTheFocusedWindowAndQuit) {
    session.run({PANEMARK_PROGRAM, "profile", "create", "Work"});
    const xcb_window_t window = client.createWindow(300, 300, 400, 300);
    ASSERT_TRUE(client.activate(window));
    const pid_t panemark = session.spawn({PANEMARK_PROGRAM}, (home / "app.log").string());
    const std::string icon = trayIcon();
    ASSERT_FALSE(icon.empty()) << "the icon was not embedded";

    ASSERT_TRUE(openPaletteFrom(icon)) << "the palette did not open";
    screenshot("tray-palette.png");
    // Left half is the fourth command row; the palette has the keyboard while it is open.
    ASSERT_TRUE(session.run({"xdotool", "key", "Down", "Down", "Down", "Down", "Return"}));
    EXPECT_EQ(client.waitForFrame(window, {0, 0, 640, 800}), (Rect{0, 0, 640, 800}));
    EXPECT_EQ(client.outerFrame(window)->x, 0);

    // The row closed the palette; a click on the icon opens it again once the guard against a
    // closing click reopening it (250 ms) has passed.
    for (int i = 0; i < 200 && paletteGeometry(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(openPaletteFrom(icon)) << "the palette did not open again";
    ASSERT_TRUE(session.run({"xdotool", "key", "Up", "Return"})); // Quit Panemark, the last row
    const std::optional<int> status = XvfbSession::waitForExit(panemark, 5);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
}

TEST_F(TrayOnX11Test, APointerClickOnARowMovesTheXtermThatHadTheFocus) {
    session.spawn({"xterm", "-geometry", "60x20+300+300"});
    const std::optional<xcb_window_t> xterm = client.findWindow("xterm");
    ASSERT_TRUE(xterm);
    ASSERT_TRUE(client.activate(*xterm));
    const pid_t panemark = session.spawn({PANEMARK_PROGRAM}, (home / "app.log").string());
    const std::string icon = trayIcon();
    ASSERT_FALSE(icon.empty()) << "the icon was not embedded";
    const std::optional<QRect> palette = openPaletteFrom(icon);
    ASSERT_TRUE(palette) << "the palette did not open";
    // One profile, so no switcher: the header, the list's padding, then rows 29 pixels apart
    // (the 13-point DejaVu Sans Mono line and its padding, and a one-pixel rule). "Left half"
    // is the fourth.
    const int firstRowCentre = 50;
    ASSERT_TRUE(click(palette->center().x(), palette->top() + firstRowCentre + 3 * 29));
    auto landed = [](const Rect& frame) {
        // the tray reserves no strip of the screen; a terminal keeps to whole character cells.
        return frame.x == 0 && frame.y == 0 && frame.width <= 640 && frame.width > 620 &&
               frame.height <= 800 && frame.height > 770;
    };
    std::optional<Rect> frame = client.outerFrame(*xterm);
    for (int i = 0; i < 300 && frame && !landed(*frame); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        frame = client.outerFrame(*xterm);
    }
    ASSERT_TRUE(frame);
    EXPECT_TRUE(landed(*frame)) << testing::PrintToString(*frame);
    EXPECT_FALSE(paletteGeometry()) << "a row's click closes the palette";
    EXPECT_EQ(client.activeWindow(), xterm) << "the xterm keeps the focus";
    kill(panemark, SIGTERM);
    XvfbSession::waitForExit(panemark, 5);
}

// At login the panel may come up after Panemark: the icon docks once it does.
TEST_F(TrayOnX11Test, APanelThatStartsLaterGetsTheIcon) {
    kill(tray, SIGTERM);
    XvfbSession::waitForExit(tray, 5);
    const pid_t panemark = session.spawn({PANEMARK_PROGRAM}, (home / "app.log").string());
    for (int i = 0; i < 300 && log().find("no system tray") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(log().find("no system tray on this desktop yet"), std::string::npos) << log();

    tray = startTray();
    const std::string icon = trayIcon();
    ASSERT_FALSE(icon.empty()) << "the icon was not embedded";
    const std::optional<QRect> palette = openPaletteFrom(icon);
    EXPECT_TRUE(palette) << "the palette did not open";
    kill(panemark, SIGTERM);
    XvfbSession::waitForExit(panemark, 5);
}

TEST_F(TrayOnX11Test, TheIconIsDrawnToStandOutOnItsPanel) {
    const pid_t panemark = session.spawn({PANEMARK_PROGRAM}, (home / "app.log").string());
    // The icon's window, once the tray has it for good: the tray may embed a first one again.
    std::string icon;
    QRect area;
    for (int i = 0; i < 300 && !area.isValid(); ++i) {
        icon = trayIcon();
        area = icon.empty() ? QRect() : geometry(icon);
    }
    ASSERT_FALSE(icon.empty()) << "the icon was not embedded";
    ASSERT_TRUE(area.isValid());
    // The tray is light grey: the icon is dark on it.
    for (int i = 0; i < 300 && darkestLightness(area) > 100; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_LE(darkestLightness(area), 100);
    screenshot("tray-icon-light-panel.png");

    // A panel that asks for white icons gets them, seen when the palette next opens.
    announceIconColor(0xFFFF, 0xFFFF, 0xFFFF);
    ASSERT_TRUE(session.run({"xdotool", "mousemove", "--window", icon, "11", "11", "click", "1"}));
    for (int i = 0; i < 300 && darkestLightness(area) < 150; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GE(darkestLightness(area), 150);
    kill(panemark, SIGTERM);
    XvfbSession::waitForExit(panemark, 5);
}

TEST_F(TrayOnX11Test, TheSplashComesLastLeavesTheFocusAloneAndGoesByItself) {
    homeFolder.showSplash(true);
    const xcb_window_t window = client.createWindow(100, 100, 400, 300);
    ASSERT_TRUE(client.activate(window));
    const pid_t panemark = session.spawn({PANEMARK_PROGRAM}, (home / "app.log").string());
    std::optional<QRect> card;
    for (int i = 0; i < 300 && !card; ++i) {
        card = splashCard();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(card) << "no splash";
    EXPECT_EQ(card->x(), (1280 - 420) / 2);
    EXPECT_EQ(card->y(), (800 - 280) / 2 - 80); // a tenth of the height above the centre
    screenshot("splash-desktop.png");
    EXPECT_EQ(client.activeWindow(), window) << "the splash took the focus";
    // The pointer starts in the middle of the screen, on the card: the countdown waits.
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    EXPECT_TRUE(splashCard()) << "the card went while the pointer rested on it";
    const auto left = std::chrono::steady_clock::now();
    ASSERT_TRUE(session.run({"xdotool", "mousemove", "10", "790"}));
    // No compositor here: no fades, and the rest of the 2.5 s and the 0.35 s.
    while (splashCard() && std::chrono::steady_clock::now() - left < std::chrono::seconds(8)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const double after =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - left).count();
    EXPECT_FALSE(splashCard());
    EXPECT_LT(after, 4.0);
    EXPECT_EQ(client.activeWindow(), window);
    kill(panemark, SIGTERM);
    XvfbSession::waitForExit(panemark, 5);
}

TEST_F(TrayOnX11Test, TurnedOffThereIsNoSplashAndAboutOpensOnce) {
    homeFolder.showSplash(false);
    const pid_t panemark = session.spawn({PANEMARK_PROGRAM}, (home / "app.log").string());
    ASSERT_FALSE(trayIcon().empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(splashCard());

    ASSERT_TRUE(session.run({PANEMARK_PROGRAM, "about"}));
    std::string about;
    for (int i = 0; i < 300 && about.empty(); ++i) {
        about = capture("xdotool search --onlyvisible --name '^About Panemark$'");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_FALSE(about.empty()) << "no About window";
    ASSERT_TRUE(session.run({PANEMARK_PROGRAM, "about"})); // brought to the front, not made again
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::string windows = capture("xdotool search --onlyvisible --name '^About Panemark$'");
    EXPECT_EQ(std::count(windows.begin(), windows.end(), '\n'), 1) << windows;
    screenshot("about-desktop.png");
    kill(panemark, SIGTERM);
    XvfbSession::waitForExit(panemark, 5);
}

TEST_F(TrayOnX11Test, ASettingsWindowDestroyedFromOutsideIsMadeAnew) {
    const pid_t panemark = session.spawn({PANEMARK_PROGRAM}, (home / "app.log").string());
    ASSERT_FALSE(trayIcon().empty());
    auto settingsWindow = [&] {
        std::string found;
        for (int i = 0; i < 500 && found.empty(); ++i) {
            found = capture("xdotool search --onlyvisible --name '^Panemark Settings$'");
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return found.substr(0, found.find('\n'));
    };
    ASSERT_TRUE(session.run({PANEMARK_PROGRAM, "settings"}));
    const std::string first = settingsWindow();
    ASSERT_FALSE(first.empty()) << "no settings window";
    ASSERT_TRUE(session.run({"xdotool", "windowclose", first}));
    for (int i = 0; i < 500 && !capture("xdotool search --name '^Panemark Settings$'").empty();
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(session.run({PANEMARK_PROGRAM, "settings"}));
    const std::string second = settingsWindow();
    EXPECT_FALSE(second.empty()) << "panemark settings showed nothing";
    EXPECT_NE(second, first);
    kill(panemark, SIGTERM);
    XvfbSession::waitForExit(panemark, 5);
}

// Window-relative places in the settings window at its default size, as its screenshot shows
// them: the add button of the toolbar, and the recorder of a half-step command.
constexpr int addButtonX = 29, addButtonY = 323;
constexpr int halfStepRecorderX = 497, halfStepRecorderY = 241;
constexpr int manageProfilesX = 219, manageProfilesY = 28;

TEST_F(TrayOnX11Test, AShortcutRecordedInTheSettingsWorksAtOnce) {
    const xcb_window_t window = client.createWindow(100, 100, 400, 300);
    const pid_t panemark = session.spawn({PANEMARK_PROGRAM}, (home / "app.log").string());
    ASSERT_FALSE(trayIcon().empty());
    ASSERT_TRUE(session.run({PANEMARK_PROGRAM, "settings"}));
    std::string settings;
    for (int i = 0; i < 300 && settings.empty(); ++i) {
        settings = capture("xdotool search --onlyvisible --name '^Panemark Settings$'");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_FALSE(settings.empty()) << "no settings window";
    settings = settings.substr(0, settings.find('\n'));
    EXPECT_EQ(geometry(settings).size(), QSize(900, 600));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    // + → "Half-step command", the second kind: it is added and selected.
    ASSERT_TRUE(
        session.run({"xdotool", "mousemove", "--window", settings, std::to_string(addButtonX),
                     std::to_string(addButtonY), "click", "1"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(session.run({"xdotool", "key", "Down", "Down", "Return"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(session.run({"xdotool", "mousemove", "--window", settings,
                             std::to_string(halfStepRecorderX), std::to_string(halfStepRecorderY),
                             "click", "1"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(session.run({"xdotool", "key", "ctrl+alt+super+h"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    screenshot("settings-desktop.png");
    EXPECT_NE(capture(std::string(PANEMARK_PROGRAM) + " status").find("Top half"),
              std::string::npos);

    // The new shortcut is armed: the window moves to the top half, keeping its width.
    ASSERT_TRUE(client.activate(window));
    ASSERT_TRUE(session.run({"xdotool", "key", "ctrl+alt+super+h"}));
    const std::optional<Rect> frame = client.waitForFrame(window, {100, 0, 400, 400});
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->y, 0);
    EXPECT_EQ(frame->height, 400);

    // "Manage Profiles…" opens the profile sheet over the settings window.
    ASSERT_TRUE(
        session.run({"xdotool", "mousemove", "--window", settings, std::to_string(manageProfilesX),
                     std::to_string(manageProfilesY), "click", "1"}));
    std::string sheet;
    for (int i = 0; i < 300 && sheet.empty(); ++i) {
        sheet = capture("xdotool search --onlyvisible --name '^Profiles$'");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(sheet.empty()) << "no profile sheet";
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    screenshot("profile-sheet-desktop.png");
    kill(panemark, SIGTERM);
    XvfbSession::waitForExit(panemark, 5);
}

} // namespace
} // namespace panemark
