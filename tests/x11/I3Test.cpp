#include "../support/ChildProcess.h"
#include "../support/DesktopVersion.h"
#include "../support/LayoutShortcuts.h"
#include "../support/Printers.h"
#include "../support/StockShortcuts.h"
#include "TestClient.h"
#include "TestHome.h"
#include "XvfbSession.h"
#include "model/StockCommands.h"
#include "placement/TargetRules.h"
#include "platform/i3ipc/I3IpcClient.h"
#include "platform/i3ipc/I3IpcReplies.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <iterator>
#include <memory>
#include <thread>

namespace panemark {
namespace {

constexpr xcb_keycode_t keyLeft = 113;
constexpr std::uint16_t ctrlAltSuper = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
const char* const stockKeys[] = {"1", "2", "3", "Left", "Right", "Up", "Down"};

// The real program under i3 on Xvfb, with two fake outputs: windows and outputs go through i3's
// IPC, the keys are X11 grabs pressed with XTest.
class I3Test : public ::testing::Test {
protected:
    // `i3Running` false: the display is there, i3 starts later (startI3).
    explicit I3Test(bool i3Running = true)
        : session{2304, 800,
                  i3Running ? XvfbSession::WindowManager::i3 : XvfbSession::WindowManager::none} {}

    void SetUp() override {
        ASSERT_TRUE(session.ready()) << session.problem();
        ASSERT_TRUE(client.connected());
        // The session a real i3 login gives.
        setenv("XDG_CURRENT_DESKTOP", "i3", 1);
        setenv("XDG_SESSION_TYPE", "x11", 1);
        if (!client.rootText("I3_SOCKET_PATH").empty()) {
            connectToI3();
        }
    }

    void connectToI3() {
        const std::string socket = client.rootText("I3_SOCKET_PATH");
        ASSERT_FALSE(socket.empty());
        ipc = std::make_unique<I3IpcClient>(socket);
        setenv("I3SOCK", socket.c_str(), 1);
    }

    // Starts i3 on a display that had none, as a login does that starts programs side by side.
    void startI3() {
        session.spawn({"i3", "-c", I3_TEST_CONFIG}, (home / "i3.log").string());
        ASSERT_TRUE(
            ChildProcess::waitFor([&] { return !client.rootText("I3_SOCKET_PATH").empty(); }, 15));
        connectToI3();
    }

    // `panemark status`'s output, once it holds `text`, within 15 s; false otherwise.
    bool statusSays(const std::string& text) {
        return ChildProcess::waitFor(
            [&] {
                const pid_t pid =
                    session.spawn({PANEMARK_PROGRAM, "status"}, (home / "status.txt").string());
                XvfbSession::waitForExit(pid, 10);
                std::ifstream stream(home / "status.txt");
                lastStatus.assign(std::istreambuf_iterator<char>(stream),
                                  std::istreambuf_iterator<char>());
                return lastStatus.find(text) != std::string::npos;
            },
            15);
    }
    void TearDown() override {
        for (const char* variable : {"I3SOCK", "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE"}) {
            unsetenv(variable);
        }
    }

    std::string ask(std::uint32_t type) {
        Result<std::string> reply = ipc->request(type, "", 5);
        return reply ? reply.value() : std::string();
    }

    std::optional<I3IpcReplies::Window> focused() {
        const auto window =
            I3IpcReplies::focusedWindow(ask(I3IpcCodec::getTree), I3IpcReplies::Dialect::i3);
        return window ? window.value() : std::nullopt;
    }

    // At most 5 s, however slow each look at the tree is on a busy machine.
    std::optional<Rect> waitForFrame(const Rect& expected) {
        std::optional<Rect> seen;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            const auto window = focused();
            seen = window ? std::optional<Rect>(window->frame) : std::nullopt;
            if (seen == expected) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return seen;
    }

    // The outputs once i3bar has docked on both.
    Result<std::vector<I3IpcReplies::Output>> dockedOutputs() {
        auto outputs =
            I3IpcReplies::outputs(ask(I3IpcCodec::getOutputs), ask(I3IpcCodec::getWorkspaces));
        for (int attempt = 0;
             attempt < 500 && !(outputs && outputs.value().size() == 2u &&
                                outputs.value()[0].usable.y > 0 && outputs.value()[1].usable.y > 0);
             ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            outputs =
                I3IpcReplies::outputs(ask(I3IpcCodec::getOutputs), ask(I3IpcCodec::getWorkspaces));
        }
        return outputs;
    }

    void startPanemark() {
        session.spawn({PANEMARK_PROGRAM}, (home / "panemark.log").string());
        for (int i = 0; i < 500 && !client.isGrabbedElsewhere(keyLeft, ctrlAltSuper); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(client.isGrabbedElsewhere(keyLeft, ctrlAltSuper));
    }

    // A window of the test's own, focused, and Panemark without animations: each frame is final
    // the moment it shows.
    void startPanemarkWithAFocusedWindow() {
        std::ofstream(home / "Panemark" / "Panemark.conf", std::ios::app)
            << "Panemark.animateWindows=false\n";
        const xcb_window_t window = client.createWindow(100, 100, 500, 400);
        ASSERT_TRUE(client.activate(window));
        startPanemark();
    }

    // First, so it goes last: after the session has stopped every program it started.
    TestHome homeFolder{"i3"};
    XvfbSession session;
    TestClient client;
    std::unique_ptr<I3IpcClient> ipc;
    const std::filesystem::path& home = homeFolder.path();
    std::string lastStatus;
};

TEST_F(I3Test, StockShortcutsLandTheOuterFrameExactlyOnBothOutputsFromATiledWindow) {
    ASSERT_NO_FATAL_FAILURE(startPanemarkWithAFocusedWindow());
    const std::optional<I3IpcReplies::Window> tiled = focused();
    ASSERT_TRUE(tiled);
    EXPECT_FALSE(tiled->floating);

    const auto outputs = dockedOutputs();
    ASSERT_TRUE(outputs && outputs.value().size() == 2u);
    ASSERT_GT(outputs.value()[1].usable.y, 0) << "i3bar never docked";
    const std::vector<ZoneCommand> stock = stockCommands();
    for (const I3IpcReplies::Output& output : outputs.value()) {
        if (output.frame.x > 0) {
            ipc->request(I3IpcCodec::runCommand,
                         "[con_id=" + std::to_string(tiled->id) + "] move absolute position " +
                             std::to_string(static_cast<int>(output.frame.x) + 200) + " px 100 px",
                         5);
        }
        Rect expected = focused()->frame;
        ASSERT_GE(expected.x, output.frame.x) << output.name;
        for (std::size_t i = 0; i < std::size(stockKeys); ++i) {
            expected =
                TargetRules::ruleFor(stock[i], 0)(output.usable, expected).value_or(expected);
            ASSERT_TRUE(
                session.run({"xdotool", "key", std::string("ctrl+alt+super+") + stockKeys[i]}));
            EXPECT_EQ(waitForFrame(expected), expected)
                << output.name << ", " << stock[i].displayName();
        }
        EXPECT_TRUE(focused()->floating);
    }
}

TEST_F(I3Test, AShortcutHeldDownRunsItsCommandOnce) {
    ASSERT_NO_FATAL_FAILURE(startPanemarkWithAFocusedWindow());
    const auto outputs = dockedOutputs();
    ASSERT_TRUE(outputs && !outputs.value().empty());
    const HeldUp frames = heldUpFrames(outputs.value()[0].usable, focused()->frame);
    ASSERT_NE(frames.once, frames.twice);
    ASSERT_TRUE(session.run({"xdotool", "key", "ctrl+alt+super+Left"}));
    ASSERT_EQ(waitForFrame(frames.leftHalf), frames.leftHalf);
    // The X server repeats a held key: a second run would widen the window again.
    ASSERT_TRUE(session.run(
        {"xdotool", "keydown", "ctrl+alt+super+Up", "sleep", "1.5", "keyup", "ctrl+alt+super+Up"}));
    EXPECT_EQ(waitForFrame(frames.once), frames.once);
}

// What the keys of the stock shortcuts and the US Z key type on AZERTY, QWERTZ and Russian,
// and the key printed Z there, as xdotool names them (it presses the key that types them).
struct TypedOn {
    const char* layout;
    std::vector<std::string> stock;
    const char* usZ;
    const char* printedZ;
};

TEST_F(I3Test, ShortcutsStayOnTheirPhysicalKeysUnderOtherLayoutsSwitchedWhileRunning) {
    const std::vector<std::string> arrows{"Left", "Right", "Up", "Down"};
    const auto with = [&](std::vector<std::string> digits) {
        digits.insert(digits.end(), arrows.begin(), arrows.end());
        return digits;
    };
    const std::vector<TypedOn> layouts{
        {"fr", with({"ampersand", "eacute", "quotedbl"}), "w", "z"},
        {"de", with({"1", "2", "3"}), "y", "z"},
        {"ru,us", with({"1", "2", "3"}), "Cyrillic_ya", nullptr},
    };
    ASSERT_TRUE(session.run({"setxkbmap", "-layout", "fr"}));
    ASSERT_NO_FATAL_FAILURE(startPanemarkWithAFocusedWindow());
    const auto outputs = dockedOutputs();
    ASSERT_TRUE(outputs && !outputs.value().empty());
    const Rect usable = outputs.value()[0].usable;
    const auto press = [&](const std::string& key) {
        return session.run({"xdotool", "key", "ctrl+alt+super+" + key});
    };
    const std::vector<ZoneCommand> stock = stockCommands();
    Rect expected = focused()->frame;
    for (std::size_t i = 0; i < stock.size() && i < layouts[0].stock.size(); ++i) {
        expected = TargetRules::ruleFor(stock[i], 0)(usable, expected).value_or(expected);
        ASSERT_TRUE(press(layouts[0].stock[i]));
        EXPECT_EQ(waitForFrame(expected), expected) << "fr, " << stock[i].displayName();
    }
    for (const auto& command : letterProfileCommands(PANEMARK_PROGRAM, home)) {
        ASSERT_TRUE(session.run(command)) << command[2];
    }
    const Rect leftHalf{usable.x, usable.y, usable.width / 2, usable.height};
    for (const TypedOn& typed : layouts) {
        ASSERT_TRUE(session.run({"setxkbmap", "-layout", typed.layout}));
        ASSERT_TRUE(press("Left"));
        ASSERT_EQ(waitForFrame(leftHalf), leftHalf) << typed.layout;
        if (typed.printedZ) {
            ASSERT_TRUE(press(typed.printedZ));
            std::this_thread::sleep_for(std::chrono::milliseconds(300)); // time for a wrong move
            EXPECT_EQ(focused()->frame, leftHalf)
                << "the key printed Z ran ⌃⌥⌘Z on " << typed.layout;
        }
        ASSERT_TRUE(press(typed.usZ));
        EXPECT_EQ(waitForFrame(usable), usable) << "the US Z key did nothing on " << typed.layout;
    }
}

TEST_F(I3Test, StatusNamesI3) {
    startPanemark();
    std::FILE* pipe = ::popen(PANEMARK_PROGRAM " status", "r");
    std::string text;
    for (char buffer[512]; pipe && std::fgets(buffer, sizeof buffer, pipe);) {
        text += buffer;
    }
    ASSERT_TRUE(pipe);
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_NE(text.find("desktop: i3 (" + desktopVersion("i3 --version")), std::string::npos)
        << text;
}

class I3StartTest : public I3Test {
protected:
    I3StartTest() : I3Test(false) {}
};

TEST_F(I3StartTest, StartedBeforeI3ItWaitsWithoutSpinningAndArmsOnceI3Starts) {
    std::ofstream(home / "Panemark" / "Panemark.conf", std::ios::app)
        << "Panemark.animateWindows=false\n";
    const pid_t panemark = session.spawn({PANEMARK_PROGRAM}, (home / "panemark.log").string());
    ASSERT_TRUE(statusSays("waiting for the desktop")) << lastStatus;
    const std::optional<double> waiting = ChildProcess::cpuSecondsOver(panemark, 3);
    ASSERT_TRUE(waiting);
    std::cout << "CPU time over 3 s before i3: " << *waiting << " s\n";
    EXPECT_LT(*waiting, ChildProcess::idleCpuSecondsOver3s);

    ASSERT_NO_FATAL_FAILURE(startI3());
    EXPECT_TRUE(statusSays("desktop: i3 (")) << lastStatus;
    const xcb_window_t window = client.createWindow(100, 100, 500, 400);
    ASSERT_TRUE(client.activate(window));
    const auto outputs = dockedOutputs();
    ASSERT_TRUE(outputs && !outputs.value().empty());
    const Rect expected =
        TargetRules::ruleFor(stockCommands()[3], 0)(outputs.value()[0].usable, focused()->frame)
            .value();
    EXPECT_TRUE(ChildProcess::waitFor(
        [&] {
            return session.run({"xdotool", "key", "ctrl+alt+super+Left"}) &&
                   waitForFrame(expected) == expected;
        },
        20));
}

} // namespace
} // namespace panemark
