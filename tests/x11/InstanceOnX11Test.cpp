#include "TestClient.h"
#include "TestHome.h"
#include "XvfbSession.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace panemark {
namespace {

constexpr xcb_keycode_t keyLeft = 113;
constexpr std::uint16_t ctrlAltSuper = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

// The one-instance rule and the instance socket, with the real program on a real display.
class InstanceOnX11Test : public ::testing::Test {
protected:
    struct Finished {
        int status = -1; // exit status, or -1 when it did not end in time
        std::string output;
    };

    void SetUp() override { ASSERT_TRUE(session.ready()) << session.problem(); }

    pid_t start(const std::string& name) {
        return session.spawn({PANEMARK_PROGRAM}, (runtime / (name + ".log")).string());
    }

    std::string output(const std::string& name) const {
        std::ifstream stream(runtime / (name + ".log"));
        std::stringstream text;
        text << stream.rdbuf();
        return text.str();
    }

    Finished run(const std::vector<std::string>& args) {
        std::vector<std::string> argv{PANEMARK_PROGRAM};
        argv.insert(argv.end(), args.begin(), args.end());
        const pid_t pid = session.spawn(argv, (runtime / "cli.log").string());
        const std::optional<int> status = XvfbSession::waitForExit(pid, 10);
        return {status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1, output("cli")};
    }

    // Waits until the program answers on its socket.
    bool waitUntilServing() {
        for (int i = 0; i < 500; ++i) {
            if (run({"status"}).status == 0) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // First, so it goes last: after the session has stopped every program it started.
    TestHome home{"instance"};
    const std::filesystem::path& runtime = home.path();
    XvfbSession session;
    TestClient client;
};

TEST_F(InstanceOnX11Test, StatusNamesTheRunningProgramAndQuitEndsIt) {
    const pid_t pid = start("resident");
    ASSERT_TRUE(waitUntilServing()) << output("resident");
    const Finished status = run({"status"});
    EXPECT_EQ(status.output.rfind("Panemark ", 0), 0u) << status.output;
    EXPECT_NE(status.output.find(" is running\npid: " + std::to_string(pid) +
                                 "\ndisplay: " + session.display() +
                                 "\ndesktop: x11 (Openbox)\nkeyboard layout: any (bound by key "
                                 "position)\nprofile: Default ("),
              std::string::npos)
        << status.output;
    EXPECT_NE(status.output.find(")\nauto-switch: on\nhardware: 1 external display, "),
              std::string::npos)
        << status.output;
    EXPECT_NE(status.output.find("\n  display "), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("\nshortcuts: 7\n  ⌃⌥⌘1\tLeft third\n"), std::string::npos)
        << status.output;

    const Finished quit = run({"quit"});
    EXPECT_EQ(quit.status, 0);
    EXPECT_EQ(quit.output, "Panemark has quit\n");
    const std::optional<int> ended = XvfbSession::waitForExit(pid, 1);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(WIFEXITED(*ended) && WEXITSTATUS(*ended) == 0);
    EXPECT_FALSE(client.isGrabbedElsewhere(keyLeft, ctrlAltSuper));
    EXPECT_EQ(run({"status"}).status, 3);
}

TEST_F(InstanceOnX11Test, OfTwoStartedAtOnceExactlyOneKeepsRunning) {
    for (int round = 0; round < 20; ++round) {
        const pid_t first = start("first");
        const pid_t second = start("second");
        // The loser ends at once, saying so; the winner serves.
        std::optional<int> firstEnded;
        std::optional<int> secondEnded;
        for (int i = 0; i < 500 && !firstEnded && !secondEnded; ++i) {
            firstEnded = XvfbSession::waitForExit(first, 0);
            secondEnded = XvfbSession::waitForExit(second, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_NE(firstEnded.has_value(), secondEnded.has_value()) << "round " << round;
        const std::optional<int> loser = firstEnded ? firstEnded : secondEnded;
        const pid_t winner = firstEnded ? second : first;
        EXPECT_TRUE(WIFEXITED(*loser) && WEXITSTATUS(*loser) == 0);
        EXPECT_EQ(output(firstEnded ? "first" : "second"), "Panemark is already running\n");
        ASSERT_TRUE(waitUntilServing()) << "round " << round;
        EXPECT_NE(run({"status"}).output.find("pid: " + std::to_string(winner) + "\n"),
                  std::string::npos);
        ASSERT_EQ(run({"quit"}).status, 0);
        ASSERT_TRUE(XvfbSession::waitForExit(winner, 20)) << "round " << round;
    }
}

TEST_F(InstanceOnX11Test, WhatAKilledInstanceLeftBehindDoesNotBlockTheNext) {
    const pid_t killed = start("killed");
    ASSERT_TRUE(waitUntilServing());
    ASSERT_EQ(kill(killed, SIGKILL), 0);
    ASSERT_TRUE(XvfbSession::waitForExit(killed, 2));
    const pid_t next = start("next");
    ASSERT_TRUE(waitUntilServing()) << output("next");
    EXPECT_NE(run({"status"}).output.find("pid: " + std::to_string(next) + "\n"),
              std::string::npos);
    EXPECT_EQ(output("next").find("already running"), std::string::npos) << output("next");
    EXPECT_EQ(output("next").find("panemark: "), std::string::npos) << output("next");
}

TEST_F(InstanceOnX11Test, TheCommandLineReachesTheProgramThatHoldsTheDataFolderFromAnywhere) {
    const pid_t pid = start("resident");
    ASSERT_TRUE(waitUntilServing()) << output("resident");
    const std::filesystem::path data = runtime / "Panemark";
    const std::filesystem::path link = runtime / "linked";
    std::filesystem::create_directory_symlink(data, link);
    // Another display, the folder spelled through a link with a trailing slash.
    auto elsewhere = [&](std::vector<std::string> args) {
        std::vector<std::string> argv{"env", "DISPLAY=:4242", PANEMARK_PROGRAM};
        argv.insert(argv.end(), args.begin(), args.end());
        argv.insert(argv.end(), {"--data-dir", link.string() + "/"});
        const pid_t cli = session.spawn(argv, (runtime / "elsewhere.log").string());
        const std::optional<int> status = XvfbSession::waitForExit(cli, 20);
        return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
    };
    EXPECT_EQ(elsewhere({"profile", "create", "Remote"}), 0) << output("elsewhere");
    EXPECT_EQ(elsewhere({"profile", "activate", "Remote"}), 0) << output("elsewhere");
    EXPECT_NE(run({"status"}).output.find("profile: Remote ("), std::string::npos);

    ASSERT_EQ(run({"quit"}).status, 0);
    ASSERT_TRUE(XvfbSession::waitForExit(pid, 20));
    const Finished listed = run({"profiles"});
    EXPECT_NE(listed.output.find("*\tRemote"), std::string::npos) << listed.output;
    EXPECT_FALSE(std::filesystem::exists(data / "instance.json")); // gone with its program
}

TEST_F(InstanceOnX11Test, ASecondProgramOnAnotherDisplayLeavesTheHeldDataFolderAlone) {
    const pid_t first = start("first");
    ASSERT_TRUE(waitUntilServing()) << output("first");
    XvfbSession other(800, 600, XvfbSession::WindowManager::none);
    ASSERT_TRUE(other.ready()) << other.problem();
    const pid_t second = other.spawn({PANEMARK_PROGRAM}, (runtime / "second.log").string());
    const std::optional<int> ended = XvfbSession::waitForExit(second, 20);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(WIFEXITED(*ended) && WEXITSTATUS(*ended) == 1);
    EXPECT_NE(output("second").find("panemark: Panemark is already running with the data folder " +
                                    (runtime / "Panemark").string() + " (pid " +
                                    std::to_string(first) + ", display " + session.display() + ")"),
              std::string::npos)
        << output("second");
}

TEST_F(InstanceOnX11Test, TheBackendIsChosenWhenTheProgramStarts) {
    const pid_t simulated =
        session.spawn({PANEMARK_PROGRAM, "--backend", "sim"}, (runtime / "sim.log").string());
    ASSERT_TRUE(waitUntilServing()) << output("sim");
    const Finished status = run({"status"});
    EXPECT_NE(status.output.find("\ndesktop: sim (a simulated desktop)\n"), std::string::npos)
        << status.output;
    EXPECT_NE(run({"status", "--json"}).output.find(R"x("desktop":"sim (a simulated desktop)")x"),
              std::string::npos);
    EXPECT_FALSE(client.isGrabbedElsewhere(keyLeft, ctrlAltSuper)); // no X11 keys: simulated
    ASSERT_EQ(run({"quit"}).status, 0);
    ASSERT_TRUE(XvfbSession::waitForExit(simulated, 20));

    // A Wayland session no backend serves: said, and exit 1, never a silent no-op.
    const Finished wayland = run({"--backend", "wayland-please"});
    EXPECT_EQ(wayland.status, 1);
    EXPECT_NE(wayland.output.find("there is no backend \"wayland-please\""), std::string::npos)
        << wayland.output;
}

TEST_F(InstanceOnX11Test, ASocketThatCannotBeMadeIsAnErrorWithItsReason) {
    // Longer than a Unix socket's address can be.
    const std::filesystem::path deep = runtime / std::string(120, 'd');
    std::filesystem::create_directories(deep);
    std::filesystem::permissions(deep, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", deep.c_str(), 1);
    const Finished tooLong = run({});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_EQ(tooLong.output.rfind("panemark: cannot listen on " + deep.string(), 0), 0u)
        << tooLong.output;

    setenv("XDG_RUNTIME_DIR", (runtime / "missing" / "folder").c_str(), 1);
    const Finished noFolder = run({});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.output.find("panemark: cannot create the lock file "), std::string::npos)
        << noFolder.output;
}

} // namespace
} // namespace panemark
