#include "../support/ChildProcess.h"
#include "../support/DesktopVersion.h"
#include "../support/LayoutShortcuts.h"
#include "../support/MaximizeProfile.h"
#include "../support/Printers.h"
#include "../support/StockShortcuts.h"
#include "SwaySession.h"
#include "model/StockCommands.h"
#include "placement/TargetRules.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <nlohmann/json.hpp>
#include <thread>
#include <tuple>

namespace panemark {
namespace {

class SwayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.ready()) << session.problem();
        panemark = session.spawn({panemarkProgram}, (session.home() / "panemark.log").string());
        ASSERT_TRUE(waitForStatus()) << "panemark did not answer";
    }

    // `panemark status` as the session's user: true once the program answers.
    bool waitForStatus() {
        for (int attempt = 0; attempt < 300; ++attempt) {
            const auto [status, output] = session.run({panemarkProgram, "status"});
            if (status == 0) {
                lastStatus = output;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Starts Panemark again with these lines in its preferences.
    void restartWith(const std::string& preferences) {
        ASSERT_EQ(session.run({panemarkProgram, "quit"}).first, 0);
        ASSERT_GE(ChildProcess::finish(panemark, 10), 0);
        std::ofstream(session.home() / "Panemark" / "Panemark.conf")
            << "[General]\nPanemark.showSplashAtLaunch=false\n"
            << preferences;
        panemark = session.spawn({panemarkProgram}, (session.home() / "panemark.log").string());
        ASSERT_TRUE(waitForStatus()) << "panemark did not answer";
    }

    // A terminal, tiled on the focused output, focused.
    std::int64_t openTerminal() {
        session.spawn({"foot", "-e", "sleep", "600"});
        std::optional<I3IpcReplies::Window> window;
        for (int attempt = 0; attempt < 500 && !window; ++attempt) {
            window = session.focusedWindow();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return window ? window->id : -1;
    }

    // The outputs from left to right: sway 1.12 lists the one made last first.
    Result<std::vector<I3IpcReplies::Output>> outputsLeftToRight() {
        auto outputs = I3IpcReplies::outputs(session.ask(I3IpcCodec::getOutputs),
                                             session.ask(I3IpcCodec::getWorkspaces));
        if (outputs) {
            std::vector<I3IpcReplies::Output> sorted = outputs.value();
            std::stable_sort(sorted.begin(), sorted.end(),
                             [](const auto& a, const auto& b) { return a.frame.x < b.frame.x; });
            return sorted;
        }
        return outputs;
    }

    // The first output that is as wanted, within 10 s.
    template <class Wanted> std::optional<I3IpcReplies::Output> waitForOutput(Wanted wanted) {
        std::optional<I3IpcReplies::Output> found;
        ChildProcess::waitFor(
            [&] {
                const auto outputs = outputsLeftToRight();
                for (const I3IpcReplies::Output& output :
                     outputs ? outputs.value() : std::vector<I3IpcReplies::Output>{}) {
                    if (wanted(output)) {
                        found = output;
                        return true;
                    }
                }
                return false;
            },
            10);
        return found;
    }

    // Each stock shortcut pressed in turn on each output, the window moved there first: it lands
    // where the placement rules put it over that output's usable area as sway reports it (its
    // bar's height depends on the fonts installed), each starting from where the previous one
    // left it.
    void expectStockShortcutsOnEachOutput(std::int64_t terminal) {
        const auto outputs = outputsLeftToRight();
        ASSERT_TRUE(outputs && outputs.value().size() == 2u);
        const std::vector<ZoneCommand> stock = stockCommands();
        for (const I3IpcReplies::Output& output : outputs.value()) {
            if (output.frame.x > 0) {
                session.ask(I3IpcCodec::runCommand,
                            "[con_id=" + std::to_string(terminal) + "] move absolute position " +
                                std::to_string(static_cast<int>(output.frame.x) + 200) +
                                " px 100 px");
            }
            // On this output before the keys (sway applies a move in a transaction of its own).
            ASSERT_TRUE(ChildProcess::waitFor(
                [&] { return session.focusedWindow()->frame.x >= output.frame.x; }, 5))
                << output.name;
            Rect expected = session.focusedWindow()->frame;
            for (std::size_t i = 0; i < std::size(stockKeys); ++i) {
                expected =
                    TargetRules::ruleFor(stock[i], 0)(output.usable, expected).value_or(expected);
                ASSERT_TRUE(session.press(stockKeys[i], hyper));
                EXPECT_EQ(session.waitForFrame(expected), expected)
                    << output.name << ", " << stock[i].displayName();
            }
            EXPECT_TRUE(session.focusedWindow()->floating);
        }
    }

    // The palette's frame as sway has it, once it shows.
    std::optional<Rect> paletteFrame() {
        const nlohmann::json tree =
            nlohmann::json::parse(session.ask(I3IpcCodec::getTree), nullptr, false);
        std::optional<Rect> found;
        std::function<void(const nlohmann::json&)> visit = [&](const nlohmann::json& node) {
            if (!node.is_object() || found) {
                return;
            }
            if (node.value("name", nlohmann::json()).is_string() &&
                node["name"] == "Panemark Palette" && node.contains("rect")) {
                const nlohmann::json& r = node["rect"];
                found = Rect{r.value("x", 0.0), r.value("y", 0.0), r.value("width", 0.0),
                             r.value("height", 0.0)};
                return;
            }
            for (const char* children : {"nodes", "floating_nodes"}) {
                if (node.contains(children)) {
                    for (const nlohmann::json& child : node[children]) {
                        visit(child);
                    }
                }
            }
        };
        visit(tree);
        return found;
    }

    // Presses a shortcut until the focused window's frame is `frame`: Panemark binds its
    // shortcuts again once it hears sway read its configuration, a moment after the reload
    // answered. The command must land the same however often it runs.
    bool pressUntilFrame(unsigned evdevCode, const Rect& frame) {
        return ChildProcess::waitFor(
            [&] {
                return session.press(evdevCode, hyper) && session.waitForFrame(frame, 2) == frame;
            },
            15);
    }

    std::string panemarkLog() const {
        std::ifstream file(session.home() / "panemark.log");
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    SwaySession session;
    const std::string panemarkProgram = session.program(PANEMARK_PROGRAM_PATH);
    pid_t panemark = -1;
    std::string lastStatus;
};

TEST_F(SwayTest, StockShortcutsLandTheOuterFrameExactlyOnBothOutputsFromATiledWindow) {
    EXPECT_NE(lastStatus.find("desktop: sway (" + desktopVersion("sway --version")),
              std::string::npos)
        << lastStatus;
    const std::int64_t terminal = openTerminal();
    ASSERT_GT(terminal, 0);
    ASSERT_FALSE(session.focusedWindow()->floating);
    expectStockShortcutsOnEachOutput(terminal);
}

TEST_F(SwayTest, ScalesChangedWhileItRuns2And15TheStockShortcutsLandExactlyOnEachOutput) {
    const std::int64_t terminal = openTerminal();
    ASSERT_GT(terminal, 0);
    // The first output at twice the scale (640 × 400 points), the second at one and a half
    // (683 × 512), beside it.
    session.ask(I3IpcCodec::runCommand, "output HEADLESS-1 scale 2");
    session.ask(I3IpcCodec::runCommand, "output HEADLESS-2 scale 1.5 position 640 0");
    ASSERT_TRUE(waitForOutput([](const I3IpcReplies::Output& output) {
        return output.frame.x == 640 && output.frame.width < 1024;
    }));
    ASSERT_TRUE(waitForOutput([](const I3IpcReplies::Output& output) {
        return output.frame.x == 0 && output.frame.width == 640 && output.usable.y > 0;
    }));
    expectStockShortcutsOnEachOutput(terminal);
}

TEST_F(SwayTest, ShortcutsStayOnTheirPhysicalKeysWhateverTheKeyboardsLayout) {
    const std::int64_t terminal = openTerminal();
    ASSERT_GT(terminal, 0);
    const auto outputs = outputsLeftToRight();
    ASSERT_TRUE(outputs && !outputs.value().empty());
    const Rect usable = outputs.value()[0].usable;
    // The digits of the stock shortcuts are shifted on AZERTY; their keys run them unshifted.
    session.setKeyboardLayout("fr");
    const std::vector<ZoneCommand> stock = stockCommands();
    Rect expected = session.focusedWindow()->frame;
    for (std::size_t i = 0; i < std::size(stockKeys); ++i) {
        expected = TargetRules::ruleFor(stock[i], 0)(usable, expected).value_or(expected);
        ASSERT_TRUE(session.press(stockKeys[i], hyper));
        EXPECT_EQ(session.waitForFrame(expected), expected) << "fr, " << stock[i].displayName();
    }
    for (const auto& command : letterProfileCommands(panemarkProgram, session.home())) {
        ASSERT_EQ(session.run(command).first, 0) << command[2];
    }
    const Rect leftHalf{usable.x, usable.y, usable.width / 2, usable.height};
    // AZERTY, QWERTZ, and Russian active beside US.
    for (const auto& [layouts, active, shown] :
         {std::tuple{"fr", 0u, "fr"}, std::tuple{"de", 0u, "de"}, std::tuple{"us,ru", 1u, "ru"}}) {
        session.setKeyboardLayout(layouts, active);
        ASSERT_TRUE(session.press(105, hyper));
        ASSERT_EQ(session.waitForFrame(leftHalf), leftHalf) << shown;
        if (keyPrintedZ(shown) != usZKey) {
            ASSERT_TRUE(session.press(keyPrintedZ(shown), hyper));
            std::this_thread::sleep_for(std::chrono::milliseconds(300)); // time for a wrong move
            EXPECT_EQ(session.focusedWindow()->frame, leftHalf)
                << "the key printed Z ran ⌃⌥⌘Z on " << shown;
        }
        ASSERT_TRUE(session.press(usZKey, hyper));
        EXPECT_EQ(session.waitForFrame(usable), usable) << "the US Z key did nothing on " << shown;
    }
}

TEST_F(SwayTest, AShortcutHeldDownRunsItsCommandOnce) {
    ASSERT_GT(openTerminal(), 0);
    const auto outputs = outputsLeftToRight();
    ASSERT_TRUE(outputs && !outputs.value().empty());
    const HeldUp frames = heldUpFrames(outputs.value()[0].usable, session.focusedWindow()->frame);
    ASSERT_NE(frames.once, frames.twice);
    ASSERT_TRUE(session.press(105, hyper));
    ASSERT_EQ(session.waitForFrame(frames.leftHalf), frames.leftHalf);
    ASSERT_TRUE(session.press(103, heldHyper()));
    EXPECT_EQ(session.waitForFrame(frames.once), frames.once);
}

TEST_F(SwayTest, AnOutputAddedOrRemovedWhileItRunsIsFollowedAndPlacedOnExactly) {
    const std::int64_t terminal = openTerminal();
    ASSERT_GT(terminal, 0);
    // Its screens follow sway's output events.
    const auto statusSays = [&](const std::string& text) {
        return ChildProcess::waitFor(
            [&] { return waitForStatus() && lastStatus.find(text) != std::string::npos; }, 10);
    };
    ASSERT_TRUE(statusSays("hardware: 2 external displays")) << lastStatus;
    const std::string created = session.ask(I3IpcCodec::runCommand, "create_output");
    ASSERT_NE(created.find("\"success\": true"), std::string::npos) << created;
    const std::optional<I3IpcReplies::Output> added =
        waitForOutput([](const I3IpcReplies::Output& output) {
            return output.name != "HEADLESS-1" && output.name != "HEADLESS-2";
        });
    ASSERT_TRUE(added);
    session.ask(I3IpcCodec::runCommand, "output " + added->name + " mode 800x600 position 2304 0");
    EXPECT_TRUE(statusSays("hardware: 3 external displays")) << lastStatus << panemarkLog();

    // A window moved there is placed on it exactly, bar and all.
    session.ask(I3IpcCodec::runCommand, "[con_id=" + std::to_string(terminal) +
                                            "] move to output " + added->name + ", focus output " +
                                            added->name);
    const std::optional<I3IpcReplies::Output> ready =
        waitForOutput([&](const I3IpcReplies::Output& output) {
            return output.name == added->name && output.frame.x == 2304 && output.usable.y > 0;
        });
    ASSERT_TRUE(ready);
    ASSERT_TRUE(ChildProcess::waitFor(
        [&] {
            const auto focused = session.focusedWindow();
            return focused && focused->id == terminal && focused->frame.x >= 2304;
        },
        10));
    const Rect leftHalf =
        TargetRules::ruleFor(stockCommands()[3], 0)(ready->usable, session.focusedWindow()->frame)
            .value();
    ASSERT_TRUE(session.press(105, hyper));
    EXPECT_EQ(session.waitForFrame(leftHalf), leftHalf);

    // Unplugged (sway 1.8 and later can unplug a headless output), it is gone from them again.
    const std::string unplugged =
        session.ask(I3IpcCodec::runCommand, "output " + added->name + " unplug");
    if (unplugged.find("\"success\": true") != std::string::npos) {
        EXPECT_TRUE(statusSays("hardware: 2 external displays")) << lastStatus << panemarkLog();
    }
}

TEST_F(SwayTest, StartingLeavesTheUsersFloatingWindowWhereItWas) {
    ASSERT_EQ(session.run({panemarkProgram, "quit"}).first, 0);
    ASSERT_GE(ChildProcess::finish(panemark, 10), 0);
    const std::int64_t terminal = openTerminal();
    ASSERT_GT(terminal, 0);
    session.ask(I3IpcCodec::runCommand, "[con_id=" + std::to_string(terminal) +
                                            "] floating enable, resize set 700 px 500 px, "
                                            "move absolute position 100 px 100 px");
    session.ask(I3IpcCodec::runCommand, "seat seat0 cursor set 900 500");
    // Floated, the terminal may still draw a frame or two at its tiled size, which sway then
    // follows: the window counts as placed once its frame has stayed the same for a while.
    Rect settled{};
    int unchanged = 0;
    ASSERT_TRUE(ChildProcess::waitFor(
        [&] {
            const auto focused = session.focusedWindow();
            if (!focused || !focused->floating || focused->frame.x != 100) {
                unchanged = 0;
                return false;
            }
            unchanged = focused->frame == settled ? unchanged + 1 : 0;
            settled = focused->frame;
            return unchanged >= 30;
        },
        30));
    const Rect before = session.focusedWindow()->frame;
    // Its rules for its own windows are given before the program answers: a command of them
    // that reached the focused window would have moved it by then.
    panemark = session.spawn({panemarkProgram}, (session.home() / "panemark.log").string());
    ASSERT_TRUE(waitForStatus());
    EXPECT_EQ(session.focusedWindow()->frame, before);
    EXPECT_EQ(panemarkLog().find("refused \"for_window"), std::string::npos) << panemarkLog();
}

TEST_F(SwayTest, AProfileSwitchRebindsAndQuittingLeavesNoBindingBehind) {
    const std::int64_t terminal = openTerminal();
    ASSERT_GT(terminal, 0);
    ASSERT_NO_FATAL_FAILURE(switchToMaximizeProfile(session, panemarkProgram));
    const auto outputs = outputsLeftToRight();
    ASSERT_TRUE(outputs && !outputs.value().empty());
    const Rect usable = outputs.value().front().usable;
    ASSERT_TRUE(session.press(50, hyper)); // M
    EXPECT_EQ(session.waitForFrame(usable), usable);
    // The default profile's ⌃⌥⌘← is gone with it: the window stays.
    ASSERT_TRUE(session.press(105, hyper));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // time enough for a wrong move
    EXPECT_EQ(session.focusedWindow()->frame, usable);

    // Quitting unbinds: a binding left behind would still swallow the keys as `nop`.
    ASSERT_EQ(session.run({panemarkProgram, "quit"}).first, 0);
    const std::string reply = session.ask(I3IpcCodec::runCommand, "unbindcode Mod4+Mod1+Ctrl+58");
    EXPECT_NE(reply.find("\"success\": false"), std::string::npos) << reply;
}

TEST_F(SwayTest, ThePaletteOpensOverThePointerInsideTheOutputsUsableArea) {
    const auto outputs = outputsLeftToRight();
    ASSERT_TRUE(outputs && !outputs.value().empty());
    const Rect area = outputs.value().front().usable;
    ASSERT_GT(area.y, 0) << "no bar along the top of the first output";
    // In the corner by the bar: sway puts the palette over the pointer, held on the output,
    // which lays it over the bar; Panemark moves it below.
    const int x = static_cast<int>(area.x) + 10;
    const int y = static_cast<int>(area.y) + 5;
    session.ask(I3IpcCodec::runCommand,
                "seat seat0 cursor set " + std::to_string(x) + " " + std::to_string(y));
    ASSERT_EQ(session.run({panemarkProgram, "palette"}).first, 0);
    std::optional<Rect> frame;
    const auto placed = [&] {
        frame = paletteFrame();
        return frame && frame->width > 0 && frame->x >= area.x && frame->y >= area.y &&
               frame->x + frame->width <= area.x + area.width &&
               frame->y + frame->height <= area.y + area.height && frame->x <= x &&
               x < frame->x + frame->width && frame->y <= y && y < frame->y + frame->height;
    };
    EXPECT_TRUE(ChildProcess::waitFor(placed, 5))
        << (frame ? testing::PrintToString(*frame) : "no palette") << "\n"
        << panemarkLog();
}

TEST_F(SwayTest, ThePaletteGrownAtTheBottomOfTheOutputIsMovedBackInside) {
    // An empty profile active: the palette opens short.
    ASSERT_EQ(session.run({panemarkProgram, "profile", "create", "Work", "--from", "empty"}).first,
              0);
    ASSERT_EQ(session.run({panemarkProgram, "profile", "activate", "Work"}).first, 0);
    const auto outputs = outputsLeftToRight();
    ASSERT_TRUE(outputs && !outputs.value().empty());
    const Rect area = outputs.value().front().usable;
    const int x = static_cast<int>(area.x) + 10;
    const int y = static_cast<int>(area.y + area.height) - 5;
    session.ask(I3IpcCodec::runCommand,
                "seat seat0 cursor set " + std::to_string(x) + " " + std::to_string(y));
    ASSERT_EQ(session.run({panemarkProgram, "palette"}).first, 0);
    std::optional<Rect> opened;
    ASSERT_TRUE(ChildProcess::waitFor(
        [&] {
            opened = paletteFrame();
            return opened && opened->height > 0 &&
                   opened->y + opened->height == area.y + area.height;
        },
        5))
        << (opened ? testing::PrintToString(*opened) : "no palette");
    // The stock profile active while it is open: the palette grows, and sway, which holds a
    // floating window by its top-left corner, would let it run off the bottom.
    ASSERT_EQ(session.run({panemarkProgram, "profile", "activate", "Default"}).first, 0);
    std::optional<Rect> grown;
    EXPECT_TRUE(ChildProcess::waitFor(
        [&] {
            grown = paletteFrame();
            return grown && grown->height > opened->height &&
                   grown->y + grown->height <= area.y + area.height && grown->y >= area.y;
        },
        5))
        << testing::PrintToString(*opened) << " became "
        << (grown ? testing::PrintToString(*grown) : "no palette") << "\n"
        << panemarkLog();
}

TEST_F(SwayTest, ThePaletteOpensWithoutTakingTheFocusFromTheWindowItWillMove) {
    const std::int64_t terminal = openTerminal();
    ASSERT_GT(terminal, 0);
    ASSERT_EQ(session.run({panemarkProgram, "palette"}).first, 0);
    // The palette is a window of its own here, floating, never focused.
    bool shown = false;
    for (int attempt = 0; attempt < 300 && !shown; ++attempt) {
        shown = session.ask(I3IpcCodec::getTree).find("\"Panemark Palette\"") != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(shown);
    EXPECT_EQ(session.focusedWindow()->id, terminal);
    // Shortcuts still reach the terminal while it is open.
    ASSERT_TRUE(session.press(105, hyper));
    const auto outputs = outputsLeftToRight();
    ASSERT_TRUE(outputs && !outputs.value().empty());
    const Rect usable = outputs.value().front().usable;
    const Rect leftHalf{usable.x, usable.y, usable.width / 2, usable.height};
    EXPECT_EQ(session.waitForFrame(leftHalf), leftHalf);
}

TEST_F(SwayTest, AfterConfigReloadsEveryShortcutWorksAndOneTheConfigNowBindsIsTheUsers) {
    ASSERT_GT(openTerminal(), 0);
    const auto outputs = outputsLeftToRight();
    ASSERT_TRUE(outputs && !outputs.value().empty());
    const Rect usable = outputs.value().front().usable;
    const std::vector<ZoneCommand> stock = stockCommands();
    const Rect start = session.focusedWindow()->frame;
    const Rect leftHalf = TargetRules::ruleFor(stock[3], 0)(usable, start).value();
    const Rect rightHalf = TargetRules::ruleFor(stock[4], 0)(usable, leftHalf).value();
    // Two reloads in a row, as a user who edits the configuration twice does.
    for (int reload = 1; reload <= 2; ++reload) {
        const std::string reply = session.reloadConfig();
        ASSERT_NE(reply.find("\"success\": true"), std::string::npos) << reply;
        EXPECT_TRUE(pressUntilFrame(105, leftHalf)) << "after reload " << reload << "\n"
                                                    << panemarkLog();
        EXPECT_TRUE(pressUntilFrame(106, rightHalf)) << "after reload " << reload;
    }

    // The configuration binds ⌃⌥⌘← itself now: that combination is the user's, said to be held
    // elsewhere, and the others still work.
    const std::string reply = session.reloadConfig("bindcode Mod4+Mod1+Ctrl+113 nop user-left\n");
    ASSERT_NE(reply.find("\"success\": true"), std::string::npos) << reply;
    const Rect leftThird = TargetRules::ruleFor(stock[0], 0)(usable, rightHalf).value();
    EXPECT_TRUE(pressUntilFrame(2, leftThird)) << panemarkLog(); // ⌃⌥⌘1
    ASSERT_TRUE(waitForStatus());
    EXPECT_NE(lastStatus.find(stock[3].displayName() + "\t(held by another program)"),
              std::string::npos)
        << lastStatus;
    EXPECT_NE(panemarkLog().find("is bound in sway's configuration"), std::string::npos)
        << panemarkLog();
    ASSERT_TRUE(session.press(105, hyper));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // time enough for a wrong move
    EXPECT_EQ(session.focusedWindow()->frame, leftThird);
}

TEST_F(SwayTest, StartedBeforeSwaysIpcListensItWaitsWithoutSpinningAndArmsOnceItDoes) {
    ASSERT_EQ(session.run({panemarkProgram, "quit"}).first, 0);
    ASSERT_GE(ChildProcess::finish(panemark, 10), 0);
    // Started at login before sway listens: nothing answers at the socket's path yet.
    const std::filesystem::path late =
        std::filesystem::path(session.socketPath()).parent_path() / "sway-ipc.late.sock";
    panemark = session.spawn(
        {"env", "SWAYSOCK=" + late.string(), "I3SOCK=" + late.string(), panemarkProgram},
        (session.home() / "panemark.log").string());
    ASSERT_TRUE(waitForStatus()) << panemarkLog();
    EXPECT_NE(lastStatus.find("waiting for the desktop: sway does not answer at " + late.string()),
              std::string::npos)
        << lastStatus;
    // Waiting costs next to nothing: it sleeps between its tries.
    const std::optional<double> waiting = ChildProcess::cpuSecondsOver(panemark, 3);
    ASSERT_TRUE(waiting);
    std::cout << "CPU time while waiting 3 s for sway: " << *waiting << " s\n";
    EXPECT_LT(*waiting, ChildProcess::idleCpuSecondsOver3s);

    // sway listens there now: Panemark arms by itself.
    std::filesystem::create_symlink(session.socketPath(), late);
    EXPECT_TRUE(ChildProcess::waitFor(
        [&] { return waitForStatus() && lastStatus.find("desktop: sway (") != std::string::npos; },
        15))
        << lastStatus;
    ASSERT_GT(openTerminal(), 0);
    const auto outputs = outputsLeftToRight();
    ASSERT_TRUE(outputs && !outputs.value().empty());
    const Rect leftHalf = TargetRules::ruleFor(stockCommands()[3], 0)(
                              outputs.value().front().usable, session.focusedWindow()->frame)
                              .value();
    EXPECT_TRUE(pressUntilFrame(105, leftHalf)) << panemarkLog();
}

TEST_F(SwayTest, AnOutputUnpluggedMidAnimationLeavesTheWindowInsideARemainingOne) {
    ASSERT_NO_FATAL_FAILURE(
        restartWith("Panemark.animateWindows=true\nPanemark.animationDuration=0.4\n"));
    const std::int64_t terminal = openTerminal();
    ASSERT_GT(terminal, 0);
    const std::string created = session.ask(I3IpcCodec::runCommand, "create_output");
    ASSERT_NE(created.find("\"success\": true"), std::string::npos) << created;
    const std::optional<I3IpcReplies::Output> added =
        waitForOutput([](const I3IpcReplies::Output& output) {
            return output.name != "HEADLESS-1" && output.name != "HEADLESS-2";
        });
    ASSERT_TRUE(added);
    session.ask(I3IpcCodec::runCommand, "output " + added->name + " mode 800x600 position 2304 0");
    session.ask(I3IpcCodec::runCommand, "[con_id=" + std::to_string(terminal) +
                                            "] floating enable, move to output " + added->name +
                                            ", focus output " + added->name);
    const std::optional<I3IpcReplies::Output> ready =
        waitForOutput([&](const I3IpcReplies::Output& output) {
            return output.name == added->name && output.frame.x == 2304 && output.usable.y > 0;
        });
    ASSERT_TRUE(ready);
    ASSERT_TRUE(ChildProcess::waitFor(
        [&] {
            const auto focused = session.focusedWindow();
            return focused && focused->id == terminal && focused->frame.x >= 2304;
        },
        10));
    // Pressed until the output can be unplugged while the window is on its way: neither where
    // it started nor at its target.
    bool unpluggedMidway = false;
    for (int attempt = 0; attempt < 10 && !unpluggedMidway; ++attempt) {
        const Rect start = session.focusedWindow()->frame;
        const ZoneCommand command = stockCommands()[attempt % 2 == 0 ? 3 : 4];
        const Rect target = TargetRules::ruleFor(command, 0)(ready->usable, start).value_or(start);
        ASSERT_TRUE(session.press(attempt % 2 == 0 ? 105 : 106, hyper));
        unpluggedMidway = ChildProcess::waitFor(
            [&] {
                const auto focused = session.focusedWindow();
                return focused && focused->frame != start && focused->frame != target;
            },
            0.4);
        if (!unpluggedMidway) {
            session.waitForFrame(target, 2);
            continue;
        }
        const std::string unplugged =
            session.ask(I3IpcCodec::runCommand, "output " + added->name + " unplug");
        if (unplugged.find("\"success\": true") == std::string::npos) {
            GTEST_SKIP() << "this sway cannot unplug an output: " << unplugged;
        }
    }
    ASSERT_TRUE(unpluggedMidway) << "no press was caught on its way";
    // It comes to rest inside the usable area of an output that is still there.
    const auto insideARemainingOutput = [&] {
        const auto focused = session.focusedWindow();
        const auto outputs = outputsLeftToRight();
        if (!focused || !outputs) {
            return false;
        }
        const Rect& f = focused->frame;
        return std::any_of(outputs.value().begin(), outputs.value().end(), [&](const auto& o) {
            return o.name != added->name && f.x >= o.usable.x && f.y >= o.usable.y &&
                   f.x + f.width <= o.usable.x + o.usable.width &&
                   f.y + f.height <= o.usable.y + o.usable.height;
        });
    };
    EXPECT_TRUE(ChildProcess::waitFor(insideARemainingOutput, 10))
        << testing::PrintToString(session.focusedWindow()->frame) << "\n"
        << panemarkLog();
    std::this_thread::sleep_for(std::chrono::milliseconds(600)); // the animation's time, over
    EXPECT_TRUE(insideARemainingOutput()) << testing::PrintToString(session.focusedWindow()->frame);
}

} // namespace
} // namespace panemark
