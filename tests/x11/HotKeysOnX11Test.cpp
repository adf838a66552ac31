#include "../support/LayoutShortcuts.h"
#include "../support/Printers.h"
#include "TestClient.h"
#include "TestHome.h"
#include "XvfbSession.h"
#include "json/CommandListFile.h"
#include "model/StockCommands.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <xcb/xcb.h>

namespace panemark {
namespace {

// X keycodes under Xvfb (evdev + 8) and modifier masks: Control, Mod1 (Alt), Mod4 (Super).
constexpr xcb_keycode_t keyLeft = 113;
constexpr xcb_keycode_t keyQ = 24;
constexpr xcb_keycode_t keyA = 38;

bool contains(const std::vector<xcb_keycode_t>& keys, xcb_keycode_t key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}
constexpr std::uint16_t ctrlAltSuper = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

// The real program on a real display, driven by real (XTest) key presses.
class HotKeysOnX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.ready()) << session.problem();
        ASSERT_TRUE(client.connected());
    }

    // Starts panemark and waits until it holds its grab of `ready` (⌃⌥⌘← by default).
    void startPanemark(std::vector<std::string> extra = {}, xcb_keycode_t readyKey = keyLeft,
                       std::uint16_t readyModifiers = ctrlAltSuper) {
        std::vector<std::string> argv = {PANEMARK_PROGRAM};
        argv.insert(argv.end(), extra.begin(), extra.end());
        lastPanemark = session.spawn(argv, log.string());
        for (int i = 0; i < 500 && !client.isGrabbedElsewhere(readyKey, readyModifiers); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(client.isGrabbedElsewhere(readyKey, readyModifiers)) << logText();
    }

    bool key(const std::string& combination) {
        return session.run({"xdotool", "key", combination});
    }

    std::string logText() const {
        std::ifstream stream(log);
        std::stringstream text;
        text << stream.rdbuf();
        return text.str();
    }

    std::string writeCommands(const std::vector<ZoneCommand>& commands) {
        const auto file = home / "commands.json";
        std::ofstream(file) << CommandListFile::format(commands);
        return file.string();
    }

    // First, so it goes last: after the session has stopped every program it started.
    TestHome homeFolder{"hotkeys"};
    XvfbSession session;
    TestClient client;
    const std::filesystem::path& home = homeFolder.path();
    std::filesystem::path log = home / "panemark.log";
    pid_t lastPanemark = -1;
};

TEST_F(HotKeysOnX11Test, EachStockShortcutMovesAnXtermToItsFrame) {
    session.spawn({"xterm", "-geometry", "80x24+600+300"});
    const std::optional<xcb_window_t> xterm = client.findWindow("xterm");
    ASSERT_TRUE(xterm);
    ASSERT_TRUE(client.activate(*xterm));
    startPanemark();
    // A terminal keeps to whole character cells: each lands at the target's corner, a little
    // smaller than the target at most.
    const std::vector<std::pair<std::string, Rect>> presses = {
        {"ctrl+alt+super+1", {0, 0, 853, 1440}},
        {"ctrl+alt+super+2", {853, 0, 853, 1440}},
        {"ctrl+alt+super+3", {1707, 0, 853, 1440}},
        {"ctrl+alt+super+Left", {0, 0, 1280, 1440}},
        {"ctrl+alt+super+Right", {1280, 0, 1280, 1440}},
        {"ctrl+alt+super+Up", {1280, 0, 1280, 720}},
        {"ctrl+alt+super+Down", {1280, 0, 1280, 1440}},
    };
    for (const auto& [combination, target] : presses) {
        ASSERT_TRUE(key(combination));
        auto landed = [&target](const Rect& frame) {
            return frame.x == target.x && frame.y == target.y && frame.width <= target.width &&
                   frame.width > target.width - 20 && frame.height <= target.height &&
                   frame.height > target.height - 30;
        };
        std::optional<Rect> frame = client.outerFrame(*xterm);
        for (int i = 0; i < 300 && frame && !landed(*frame); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            frame = client.outerFrame(*xterm);
        }
        ASSERT_TRUE(frame);
        EXPECT_TRUE(landed(*frame)) << combination << ": " << testing::PrintToString(*frame);
    }
}

TEST_F(HotKeysOnX11Test, BoundPressesAreSwallowedAndOthersReachTheWindowUnchanged) {
    const xcb_window_t window = client.createWindow(700, 300, 400, 300);
    startPanemark();
    ASSERT_TRUE(key("ctrl+alt+super+q")); // not bound
    EXPECT_TRUE(contains(client.keyPresses(window, 0.3), keyQ));
    ASSERT_TRUE(key("ctrl+alt+super+Left")); // bound: the window moves but never hears the key
    EXPECT_EQ(client.waitForFrame(window, {0, 0, 1280, 1440}), (Rect{0, 0, 1280, 1440}));
    EXPECT_FALSE(contains(client.keyPresses(window, 0.3), keyLeft));
}

TEST_F(HotKeysOnX11Test, ShiftMakesAnotherCombinationAndCapsLockDoesNot) {
    ZoneCommand leftHalf = stockCommands()[3];
    leftHalf.shortcut = Shortcut{123, Shortcut::controlMask | Shortcut::optionMask}; // ⌃⌥←
    const xcb_window_t window = client.createWindow(700, 300, 400, 300);
    startPanemark({"--commands", writeCommands({leftHalf})}, keyLeft,
                  XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    ASSERT_TRUE(key("ctrl+alt+shift+Left"));
    EXPECT_TRUE(contains(client.keyPresses(window, 0.3), keyLeft)); // it went to the window
    EXPECT_EQ(client.outerFrame(window)->x, 700);
    ASSERT_TRUE(session.run({"xdotool", "key", "Caps_Lock", "ctrl+alt+Left", "Caps_Lock"}));
    EXPECT_EQ(client.waitForFrame(window, {0, 0, 1280, 1440}), (Rect{0, 0, 1280, 1440}));
}

TEST_F(HotKeysOnX11Test, AShortcutIsItsPhysicalKeyWhicheverLayoutIsActive) {
    const xcb_window_t window = client.createWindow(700, 300, 400, 300);
    ASSERT_TRUE(session.run({"setxkbmap", "-layout", "fr"}));
    startPanemark({"--commands", writeLetterCommands(home).string()});
    // What the US Z key types, and the key printed Z (its X keycode), on each layout.
    struct Typed {
        const char* layout;
        const char* usZ;
        const char* printedZ;
        xcb_keycode_t printedZKey;
    };
    for (const Typed& typed : {Typed{"fr", "w", "z", 25}, Typed{"de", "y", "z", 29},
                               Typed{"ru,us", "Cyrillic_ya", nullptr, 0}}) {
        ASSERT_TRUE(session.run({"setxkbmap", "-layout", typed.layout}));
        ASSERT_TRUE(key("ctrl+alt+super+Left"));
        ASSERT_EQ(client.waitForFrame(window, {0, 0, 1280, 1440}), (Rect{0, 0, 1280, 1440}))
            << typed.layout;
        if (typed.printedZ) {
            ASSERT_TRUE(key(std::string("ctrl+alt+super+") + typed.printedZ));
            EXPECT_TRUE(contains(client.keyPresses(window, 0.3), typed.printedZKey))
                << "the key printed Z did not reach the window on " << typed.layout;
        }
        ASSERT_TRUE(key(std::string("ctrl+alt+super+") + typed.usZ));
        EXPECT_EQ(client.waitForFrame(window, {0, 0, 2560, 1440}), (Rect{0, 0, 2560, 1440}))
            << "the US Z key did nothing on " << typed.layout;
    }
}

TEST_F(HotKeysOnX11Test, NumLockOnDoesNotStopAShortcut) {
    const xcb_window_t window = client.createWindow(700, 300, 400, 300);
    startPanemark();
    ASSERT_TRUE(key("Num_Lock"));
    ASSERT_TRUE(key("ctrl+alt+super+Left"));
    EXPECT_EQ(client.waitForFrame(window, {0, 0, 1280, 1440}), (Rect{0, 0, 1280, 1440}));
    ASSERT_TRUE(key("Num_Lock"));
}

TEST_F(HotKeysOnX11Test, SuperMovedToAnotherModifierIsFollowed) {
    const xcb_window_t window = client.createWindow(700, 300, 400, 300);
    startPanemark();
    // Super leaves Mod4 for Mod3 while Panemark runs: its grabs follow the mapping.
    ASSERT_TRUE(session.run(
        {"xmodmap", "-e", "clear mod4", "-e", "clear mod3", "-e", "add mod3 = Super_L Super_R"}));
    constexpr std::uint16_t ctrlAltMod3 = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_3;
    for (int i = 0; i < 300 && !client.isGrabbedElsewhere(keyLeft, ctrlAltMod3); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(client.isGrabbedElsewhere(keyLeft, ctrlAltMod3)) << logText();
    EXPECT_FALSE(client.isGrabbedElsewhere(keyLeft, ctrlAltSuper));
    ASSERT_TRUE(key("ctrl+alt+super+Left"));
    EXPECT_EQ(client.waitForFrame(window, {0, 0, 1280, 1440}), (Rect{0, 0, 1280, 1440}));
}

TEST_F(HotKeysOnX11Test, AShortcutThatCannotFireIsNeverGrabbed) {
    ZoneCommand bare = stockCommands()[0];
    bare.shortcut = Shortcut{0, 0}; // A, no modifier: binding it would eat every typed a
    const xcb_window_t window = client.createWindow(700, 300, 400, 300);
    startPanemark({"--commands", writeCommands({bare, stockCommands()[3]})});
    EXPECT_FALSE(client.isGrabbedElsewhere(keyA, 0));
    ASSERT_TRUE(key("a"));
    EXPECT_TRUE(contains(client.keyPresses(window, 0.3), keyA));
    EXPECT_NE(logText().find("has no control, option or command key and can never fire"),
              std::string::npos)
        << logText();
}

TEST_F(HotKeysOnX11Test, AHeldKeyRunsItsCommandOnce) {
    const xcb_window_t window = client.createWindow(100, 300, 500, 300);
    const double width = client.outerFrame(window)->width;

    // The server does repeat a held key here: the window hears several presses of one A.
    ASSERT_TRUE(session.run({"xdotool", "keydown", "a", "sleep", "1", "keyup", "a"}));
    const std::vector<xcb_keycode_t> presses = client.keyPresses(window, 0.2);
    ASSERT_GT(std::count(presses.begin(), presses.end(), keyA), 1);

    startPanemark();

    // ⌃⌥⌘↑ once cuts the window to the top half; a second run would widen it to full width.
    ASSERT_TRUE(session.run(
        {"xdotool", "keydown", "ctrl+alt+super+Up", "sleep", "1.5", "keyup", "ctrl+alt+super+Up"}));
    EXPECT_EQ(client.waitForFrame(window, {100, 0, width, 720}), (Rect{100, 0, width, 720}));
}

TEST_F(HotKeysOnX11Test, ACombinationHeldByAnotherProgramIsReportedAndTheRestWork) {
    constexpr xcb_keycode_t key1 = 10;
    ASSERT_TRUE(client.grabKey(key1, ctrlAltSuper));
    const xcb_window_t window = client.createWindow(700, 300, 400, 300);
    startPanemark();
    ASSERT_TRUE(key("ctrl+alt+super+Right"));
    EXPECT_EQ(client.waitForFrame(window, {1280, 0, 1280, 1440}), (Rect{1280, 0, 1280, 1440}));
    EXPECT_NE(logText().find("Panemark: shortcut ⌃⌥⌘1 is taken by another program"),
              std::string::npos)
        << logText();
}

TEST_F(HotKeysOnX11Test, SigtermEndsItCleanlyAndReleasesTheKeys) {
    startPanemark();
    const pid_t pid = lastPanemark;
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    const std::optional<int> status = XvfbSession::waitForExit(pid, 5);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    EXPECT_FALSE(client.isGrabbedElsewhere(keyLeft, ctrlAltSuper));
}

TEST_F(HotKeysOnX11Test, ItEndsWhenItsDisplayGoesAway) {
    startPanemark();
    const pid_t pid = lastPanemark;
    session.stopServer();
    // Bounded generously: a loaded machine may take its time to notice.
    const std::optional<int> status = XvfbSession::waitForExit(pid, 30);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
    // Whichever of Panemark's two connections (its own, or Qt's for the tray) sees the break
    // first says so and ends the program.
    const std::string log = logText();
    EXPECT_TRUE(log.find("Panemark: lost the connection to the X server") != std::string::npos ||
                log.find("The X11 connection broke") != std::string::npos)
        << log;
}

TEST_F(HotKeysOnX11Test, ASecondInstanceSaysSoAndLeavesTheFirstAlone) {
    startPanemark();
    const auto output = home / "second.log";
    const std::string command = std::string(PANEMARK_PROGRAM) + " >" + output.string() + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream stream(output);
    std::stringstream text;
    text << stream.rdbuf();
    EXPECT_EQ(text.str(), "Panemark is already running\n");
    EXPECT_TRUE(client.isGrabbedElsewhere(keyLeft, ctrlAltSuper));
}

} // namespace
} // namespace panemark
