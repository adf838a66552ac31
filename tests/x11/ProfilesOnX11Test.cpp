#include "TestClient.h"
#include "TestHome.h"
#include "XvfbSession.h"
#include "json/CommandListFile.h"
#include "model/StockCommands.h"
#include "profiles/ProfileFileStore.h"
#include "profiles/ProfileJson.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace panemark {
namespace {

constexpr xcb_keycode_t keyLeft = 113;
constexpr std::uint16_t ctrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr std::uint16_t ctrlAltSuper = ctrlAlt | XCB_MOD_MASK_4;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream stream(path);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

// Profiles with the real program on a real display, driven from its command line.
class ProfilesOnX11Test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(session.ready()) << session.problem(); }

    int run(std::vector<std::string> args) {
        std::vector<std::string> argv{PANEMARK_PROGRAM};
        argv.insert(argv.end(), args.begin(), args.end());
        if (args[0].starts_with("profile") || args[0] == "auto-switch") {
            argv.insert(argv.end(), {"--data-dir", data.string()});
        }
        const pid_t pid = session.spawn(argv, (home / "cli.log").string());
        const std::optional<int> status = XvfbSession::waitForExit(pid, 10);
        return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
    }

    pid_t startPanemark() {
        const pid_t pid = session.spawn({PANEMARK_PROGRAM, "--data-dir", data.string()},
                                        (home / "app.log").string());
        for (int i = 0; i < 500 && run({"status"}) != 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return pid;
    }

    bool waitForGrab(xcb_keycode_t key, std::uint16_t modifiers, bool grabbed) {
        for (int i = 0; i < 300; ++i) {
            if (client.isGrabbedElsewhere(key, modifiers) == grabbed) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // First, so it goes last: after the session has stopped every program it started.
    TestHome homeFolder{"profiles"};
    XvfbSession session;
    TestClient client;
    const std::filesystem::path& home = homeFolder.path();
    std::filesystem::path data = home / "data";
};

TEST_F(ProfilesOnX11Test, ActivatingAProfileOnTheRunningProgramSwapsItsShortcuts) {
    // "Laptop" has the left half on ⌃⌥← instead of ⌃⌥⌘←.
    ASSERT_EQ(run({"profile", "create", "Laptop", "--from", "empty"}), 0);
    ZoneCommand leftHalf = stockCommands()[3];
    leftHalf.shortcut = Shortcut{123, Shortcut::controlMask | Shortcut::optionMask};
    std::ofstream(home / "laptop.json") << CommandListFile::format({leftHalf});
    ASSERT_EQ(run({"profile", "set-commands", "Laptop", (home / "laptop.json").string()}), 0);

    const xcb_window_t window = client.createWindow(700, 300, 400, 300);
    startPanemark();
    ASSERT_TRUE(waitForGrab(keyLeft, ctrlAltSuper, true));
    ASSERT_EQ(run({"profile", "activate", "Laptop"}), 0) << readFile(home / "cli.log");
    EXPECT_TRUE(waitForGrab(keyLeft, ctrlAlt, true));
    EXPECT_TRUE(waitForGrab(keyLeft, ctrlAltSuper, false));

    ASSERT_TRUE(session.run({"xdotool", "key", "ctrl+alt+super+Left"}));
    const std::vector<xcb_keycode_t> heard = client.keyPresses(window, 0.3);
    EXPECT_NE(std::find(heard.begin(), heard.end(), keyLeft), heard.end()); // no longer bound
    ASSERT_TRUE(session.run({"xdotool", "key", "ctrl+alt+Left"}));
    EXPECT_EQ(client.waitForFrame(window, {0, 0, 1280, 1440}), (Rect{0, 0, 1280, 1440}));

    // The running program wrote it: the next start comes up with Laptop.
    ASSERT_EQ(run({"quit"}), 0);
    startPanemark();
    EXPECT_TRUE(waitForGrab(keyLeft, ctrlAlt, true));
}

TEST_F(ProfilesOnX11Test, AChangedShortcutSwapsOneGrabAndTheRestAreNeverLetGo) {
    startPanemark();
    ASSERT_TRUE(waitForGrab(keyLeft, ctrlAltSuper, true));
    constexpr xcb_keycode_t keyRight = 114;
    std::vector<ZoneCommand> commands = stockCommands();
    commands[3].shortcut = Shortcut{123, Shortcut::controlMask | Shortcut::optionMask}; // ⌃⌥←
    commands[0].name = "Renamed too";
    std::ofstream(home / "changed.json") << CommandListFile::format(commands);
    const pid_t change =
        session.spawn({PANEMARK_PROGRAM, "profile", "set-commands", "Default",
                       (home / "changed.json").string(), "--data-dir", data.string()},
                      (home / "cli.log").string());
    // While the change is made, ⌃⌥⌘→, bound before and after, is held every time we look.
    bool everFree = false;
    std::optional<int> done;
    while (!(done = XvfbSession::waitForExit(change, 0))) {
        everFree = everFree || !client.isGrabbedElsewhere(keyRight, ctrlAltSuper);
    }
    ASSERT_TRUE(WIFEXITED(*done) && WEXITSTATUS(*done) == 0) << readFile(home / "cli.log");
    EXPECT_FALSE(everFree);
    EXPECT_TRUE(waitForGrab(keyLeft, ctrlAlt, true));
    EXPECT_TRUE(waitForGrab(keyLeft, ctrlAltSuper, false));
    EXPECT_TRUE(client.isGrabbedElsewhere(keyRight, ctrlAltSuper));
}

TEST_F(ProfilesOnX11Test, KilledAtAnyMomentItLeavesOnlyWholeFiles) {
    ASSERT_EQ(run({"profile", "create", "Work"}), 0);
    std::mt19937 random(7);
    const std::string loop = std::string("while true; do ") + PANEMARK_PROGRAM +
                             " profile activate Work --data-dir " + data.string() + "; " +
                             PANEMARK_PROGRAM + " profile rename Default Default --data-dir " +
                             data.string() + "; " + PANEMARK_PROGRAM +
                             " profile activate Default --data-dir " + data.string() + "; done";
    for (int round = 0; round < 200; ++round) {
        const pid_t panemark = session.spawn({PANEMARK_PROGRAM, "--data-dir", data.string()});
        const pid_t edits = session.spawn({"sh", "-c", loop});
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 120));
        kill(panemark, SIGKILL);
        kill(edits, SIGKILL);
        XvfbSession::waitForExit(panemark, 5);
        XvfbSession::waitForExit(edits, 5);

        const std::optional<ProfileIndex> index = ProfileFileStore(data.string()).loadIndex();
        ASSERT_TRUE(index) << "round " << round << ": " << readFile(data / "profiles.json");
        for (const Uuid& id : index->order) {
            const auto path = data / "Profiles" / (id.toString() + ".json");
            ASSERT_TRUE(std::filesystem::exists(path)) << "round " << round;
        }
        for (const auto& entry : std::filesystem::directory_iterator(data / "Profiles")) {
            // A write cut short leaves its temporary file beside the real one, never in place.
            if (entry.path().extension() != ".json") {
                continue;
            }
            const Result<ProfileFile> file = ProfileJson::decodeFile(readFile(entry.path()));
            ASSERT_TRUE(file) << "round " << round << ": " << entry.path() << ": " << file.error();
        }
    }
}

} // namespace
} // namespace panemark

namespace panemark {
namespace {

// Docking simulated with RandR monitors: R comes and goes beside L.
class AutoSwitchOnX11Test : public ProfilesOnX11Test {
protected:
    std::string output(std::vector<std::string> args) {
        run(std::move(args));
        return readFile(home / "cli.log");
    }

    // The name marked active in `panemark profiles`, waiting up to two seconds for `expected`.
    std::string activeProfile(const std::string& expected) {
        std::string active;
        for (int i = 0; i < 40; ++i) {
            std::istringstream lines(output({"profiles"}));
            for (std::string line; std::getline(lines, line);) {
                std::vector<std::string> fields;
                std::istringstream columns(line);
                for (std::string field; std::getline(columns, field, '\t');) {
                    fields.push_back(field);
                }
                if (fields.size() > 2 && fields[1] == "*") {
                    active = fields[2];
                }
            }
            if (active == expected) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return active;
    }

    bool setMonitors(bool docked) {
        if (docked) {
            return session.splitIntoTwoMonitors();
        }
        return session.run({"xrandr", "--delmonitor", "R"}) &&
               session.run({"xrandr", "--delmonitor", "L"});
    }

    // R's display UUID as `panemark hardware` reports it.
    std::string deskUuid() {
        EXPECT_TRUE(setMonitors(true));
        const std::string listing = output({"hardware"});
        EXPECT_TRUE(setMonitors(false));
        std::istringstream lines(listing);
        for (std::string line; std::getline(lines, line);) {
            if (line.size() >= 40 && line.substr(line.size() - 2) == "\tR") {
                return line.substr(2, 36);
            }
        }
        ADD_FAILURE() << listing;
        return "";
    }
};

TEST_F(AutoSwitchOnX11Test, DockingAndUndockingSwitchWithNoUserAction) {
    const std::string uuid = deskUuid();
    ASSERT_EQ(run({"profile", "create", "Desk", "--from", "empty"}), 0);
    ZoneCommand leftHalf = stockCommands()[3];
    leftHalf.shortcut = Shortcut{123, Shortcut::controlMask | Shortcut::optionMask}; // ⌃⌥←
    std::ofstream(home / "desk.json") << CommandListFile::format({leftHalf});
    ASSERT_EQ(run({"profile", "set-commands", "Desk", (home / "desk.json").string()}), 0);
    ASSERT_EQ(run({"profile", "trigger", "Desk", "--display", uuid}), 0)
        << readFile(home / "cli.log");

    const xcb_window_t window = client.createWindow(700, 300, 400, 300);
    startPanemark();
    EXPECT_EQ(activeProfile("Default"), "Default");
    ASSERT_TRUE(setMonitors(true));
    EXPECT_EQ(activeProfile("Desk"), "Desk");
    ASSERT_TRUE(waitForGrab(keyLeft, ctrlAlt, true));
    ASSERT_TRUE(session.run({"xdotool", "key", "ctrl+alt+Left"}));
    EXPECT_EQ(client.waitForFrame(window, {0, 0, 640, 1440}), (Rect{0, 0, 640, 1440}));

    ASSERT_TRUE(setMonitors(false)); // nothing else fits: Desk stays
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_EQ(activeProfile("Desk"), "Desk");

    ASSERT_EQ(run({"auto-switch", "off"}), 0);
    ASSERT_EQ(run({"profile", "activate", "Default"}), 0);
    ASSERT_TRUE(setMonitors(true));
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_EQ(activeProfile("Default"), "Default");
}

} // namespace
} // namespace panemark
