#include "../support/ChildProcess.h"
#include "../support/Printers.h"
#include "TestClient.h"
#include "TestHome.h"
#include "XvfbSession.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace panemark {
namespace {

// What a long X11 session does under the real program: its window manager replaced, gone for
// a moment, started after Panemark.
class SessionLifeOnX11Test : public ::testing::Test {
protected:
    explicit SessionLifeOnX11Test(
        XvfbSession::WindowManager manager = XvfbSession::WindowManager::openbox)
        : session(2560, 1440, manager) {}

    void SetUp() override {
        ASSERT_TRUE(session.ready()) << session.problem();
        ASSERT_TRUE(client.connected());
    }

    pid_t startPanemark() { return session.spawn({PANEMARK_PROGRAM}, log.string()); }

    // Whether `panemark status` says `text` (in lower case) within 15 s; its last output is kept
    // in lastStatus.
    bool statusSays(const std::string& text) {
        std::string& output = lastStatus;
        for (int attempt = 0; attempt < 150; ++attempt) {
            const pid_t pid =
                session.spawn({PANEMARK_PROGRAM, "status"}, (home / "status.txt").string());
            XvfbSession::waitForExit(pid, 10);
            std::ifstream stream(home / "status.txt");
            std::stringstream read;
            read << stream.rdbuf();
            output = read.str();
            std::string lower = output;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (lower.find(text) != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    std::string logText() const {
        std::ifstream stream(log);
        std::stringstream text;
        text << stream.rdbuf();
        return text.str();
    }

    // Presses a combination until the window's frame (as `frameOf` reads it) is `expected`:
    // the program may still be finding out about a new window manager.
    template <class FrameOf>
    bool pressUntil(const std::string& combination, const Rect& expected, FrameOf frameOf) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (!session.run({"xdotool", "key", combination})) {
                continue;
            }
            for (int look = 0; look < 50; ++look) {
                if (frameOf() == expected) {
                    return true;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        return false;
    }

    // First, so it goes last: after the session has stopped every program it started.
    TestHome homeFolder{"session-life"};
    XvfbSession session;
    TestClient client;
    const std::filesystem::path& home = homeFolder.path();
    std::filesystem::path log = home / "panemark.log";
    std::string lastStatus;
};

const Rect leftHalf{0, 0, 1280, 1440};
const Rect rightHalf{1280, 0, 1280, 1440};

TEST_F(SessionLifeOnX11Test, TheWindowManagerReplacedGoneAndBackFramesStayExact) {
    const xcb_window_t window = client.createWindow(200, 200, 500, 400);
    startPanemark();
    ASSERT_TRUE(statusSays("desktop: x11 (openbox)")) << lastStatus << logText();
    const auto outer = [&] { return client.outerFrame(window); };

    // Each replaces the one before it, as `--replace` does when a user switches desktops.
    const std::vector<std::pair<std::string, std::vector<std::string>>> managers = {
        {"metacity", {"metacity", "--sm-disable", "--replace"}},
        {"xfwm4",
         {"env", "NO_AT_BRIDGE=1", "GTK_A11Y=none", "dbus-run-session", "--", "xfwm4",
          "--compositor=off", "--sm-client-disable", "--replace"}},
        {"openbox", {"openbox", "--sm-disable", "--config-file", OPENBOX_TEST_CONFIG, "--replace"}},
    };
    pid_t last = -1;
    for (const auto& [name, command] : managers) {
        last = session.spawn(command, (home / (name + ".log")).string());
        ASSERT_TRUE(statusSays("desktop: x11 (" + name)) << lastStatus << logText();
        ASSERT_TRUE(client.activate(window)) << name;
        // Its own decorations, read anew: the outer frame lands exactly.
        EXPECT_TRUE(pressUntil("ctrl+alt+super+Left", leftHalf, outer))
            << name << ": " << testing::PrintToString(outer()) << "\n"
            << logText();
        EXPECT_TRUE(pressUntil("ctrl+alt+super+Right", rightHalf, outer))
            << name << ": " << testing::PrintToString(outer());
    }

    // No window manager at all for a moment: Panemark says so and places the bare window.
    kill(-last, SIGTERM);
    XvfbSession::waitForExit(last, 10);
    EXPECT_TRUE(statusSays("desktop: x11 (no window manager)")) << lastStatus;
    client.focusDirectly(window);
    const auto bare = [&] { return client.clientFrame(window); };
    EXPECT_TRUE(pressUntil("ctrl+alt+super+Left", leftHalf, bare))
        << testing::PrintToString(bare()) << "\n"
        << logText();
    EXPECT_NE(logText().find("no window manager runs on this display"), std::string::npos)
        << logText();

    // One starts again: Panemark carries on under it by itself.
    session.spawn({"openbox", "--sm-disable", "--config-file", OPENBOX_TEST_CONFIG},
                  (home / "openbox-again.log").string());
    EXPECT_TRUE(statusSays("desktop: x11 (openbox)")) << lastStatus;
    ASSERT_TRUE(client.activate(window));
    EXPECT_TRUE(pressUntil("ctrl+alt+super+Right", rightHalf, outer))
        << testing::PrintToString(outer()) << "\n"
        << logText();
}

// Started at login before the window manager, as desktops that start their programs side by
// side may do.
class StartedBeforeTheWindowManagerTest : public SessionLifeOnX11Test {
protected:
    StartedBeforeTheWindowManagerTest() : SessionLifeOnX11Test(XvfbSession::WindowManager::none) {}
};

TEST_F(StartedBeforeTheWindowManagerTest, ItSaysSoWaitsWithoutSpinningAndCarriesOnUnderTheOne) {
    const xcb_window_t window = client.createWindow(200, 200, 500, 400);
    const pid_t panemark = startPanemark();
    ASSERT_TRUE(statusSays("desktop: x11 (no window manager)")) << lastStatus << logText();
    const std::optional<double> waiting = ChildProcess::cpuSecondsOver(panemark, 3);
    ASSERT_TRUE(waiting);
    std::cout << "CPU time over 3 s without a window manager: " << *waiting << " s\n";
    EXPECT_LT(*waiting, ChildProcess::idleCpuSecondsOver3s);

    session.spawn({"openbox", "--sm-disable", "--config-file", OPENBOX_TEST_CONFIG},
                  (home / "openbox.log").string());
    ASSERT_TRUE(statusSays("desktop: x11 (openbox)")) << lastStatus << logText();
    ASSERT_TRUE(client.activate(window));
    const auto outer = [&] { return client.outerFrame(window); };
    EXPECT_TRUE(pressUntil("ctrl+alt+super+Left", leftHalf, outer))
        << testing::PrintToString(outer()) << "\n"
        << logText();
}

} // namespace
} // namespace panemark
