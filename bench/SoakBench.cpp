// A long day in a few minutes, on X11 (Xvfb + openbox) and on sway: 20 000 key presses, a
// profile switch every 20 presses (1 000) and a monitor change every 100 (200), with the
// running program's resident memory, open descriptors and live timers read every 1 000
// presses after a warm-up. Figures only: nothing here fails.
#include "../tests/support/ChildProcess.h"
#include "../tests/sway/SwaySession.h"
#include "../tests/x11/TestClient.h"
#include "../tests/x11/XvfbSession.h"
#include "ProcessFigures.h"
#include "ResidentKeyboard.h"
#include "XTestKeyboard.h"
#include "control/InstanceClient.h"
#include "control/InstanceProtocol.h"
#include "model/StockCommands.h"
#include "placement/TargetRules.h"
#include "platform/i3ipc/I3IpcReplies.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace panemark;

namespace {

const int presses = std::getenv("PANEMARK_SOAK_PRESSES")
                        ? std::max(3000, std::atoi(std::getenv("PANEMARK_SOAK_PRESSES")))
                        : 20000;
constexpr int warmUp = 2000;
constexpr int pressesPerSwitch = 20;
constexpr int pressesPerMonitorChange = 100;
constexpr int sampleEvery = 1000;

// What the program holds at one moment.
struct Sample {
    long residentKiB = 0;
    long descriptors = 0;
    long timers = -1;
};

long kibibytes(const std::string& field) {
    try {
        return std::stol(field);
    } catch (...) {
        return 0;
    }
}

long openDescriptors(pid_t pid) {
    long count = 0;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        (void)entry;
        ++count;
    }
    return count;
}

// What the day does to the program, however it is driven.
struct Day {
    std::function<bool(bool toLeft)> pressAndLand; // whether the press landed in time
    std::function<void(int switchNumber)> switchProfile;
    std::function<void(int changeNumber)> changeMonitors;
    std::function<long()> liveTimers;
    pid_t program = -1;
};

void live(const char* desktop, const Day& day) {
    std::printf("== soak on %s: %d presses, %d profile switches, %d monitor changes\n", desktop,
                presses, presses / pressesPerSwitch, presses / pressesPerMonitorChange);
    const auto sample = [&] {
        return Sample{kibibytes(residentMemory(day.program)), openDescriptors(day.program),
                      day.liveTimers()};
    };
    int missed = 0;
    Sample baseline;
    std::vector<Sample> samples;
    const auto started = std::chrono::steady_clock::now();
    for (int i = 1; i <= presses; ++i) {
        if (!day.pressAndLand(i % 2 == 1)) {
            if (++missed <= 3) {
                std::printf("press %d did not land\n", i);
            }
        }
        if (i % pressesPerSwitch == 0) {
            day.switchProfile(i / pressesPerSwitch);
        }
        if (i % pressesPerMonitorChange == 0) {
            day.changeMonitors(i / pressesPerMonitorChange);
        }
        if (i == warmUp) {
            baseline = sample();
            std::printf("after %5d presses (warm-up): resident %6ld KiB, %3ld descriptors, "
                        "%3ld timers\n",
                        i, baseline.residentKiB, baseline.descriptors, baseline.timers);
        } else if (i > warmUp && i % sampleEvery == 0) {
            const Sample now = sample();
            samples.push_back(now);
            std::printf("after %5d presses: resident %6ld KiB (%+5ld), %3ld descriptors (%+ld), "
                        "%3ld timers (%+ld)\n",
                        i, now.residentKiB, now.residentKiB - baseline.residentKiB, now.descriptors,
                        now.descriptors - baseline.descriptors, now.timers,
                        now.timers - baseline.timers);
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (samples.empty()) {
        return;
    }
    const Sample& last = samples.back();
    const long growth = last.residentKiB - baseline.residentKiB;
    const double perThousand =
        static_cast<double>(growth) / (static_cast<double>(presses - warmUp) / 1000);
    std::printf("%s: %d of %d presses landed in %.0f s; resident memory %+ld KiB after the "
                "warm-up (%+.1f KiB per 1000 presses; target at most +1024 KiB), descriptors "
                "%+ld, timers %+ld (target 0 and 0)\n",
                desktop, presses - missed, presses, seconds, growth, perThousand,
                last.descriptors - baseline.descriptors, last.timers - baseline.timers);
}

// The running program's live timers, from `status --json`, asked with the session's own
// environment; -1 when it does not say.
long timersFrom(const std::string& statusJson) {
    const nlohmann::json reply = nlohmann::json::parse(statusJson, nullptr, false);
    return reply.is_object() ? reply.value("liveTimers", -1L) : -1L;
}

// Where the stock ⌃⌥⌘← or ⌃⌥⌘→ puts a window on this usable area.
Rect halfOf(const Rect& usable, const Rect& frame, bool left) {
    return TargetRules::ruleFor(stockCommands()[left ? 3 : 4], 0)(usable, frame).value_or(frame);
}

bool waitUntil(const std::function<bool()>& condition, double seconds) {
    return ChildProcess::waitFor(condition, seconds);
}

void writeSettings(const std::filesystem::path& configHome) {
    std::filesystem::create_directories(configHome / "Panemark");
    std::ofstream(configHome / "Panemark" / "Panemark.conf")
        << "[General]\nPanemark.showSplashAtLaunch=false\nPanemark.animateWindows=false\n";
}

void soakX11(const std::filesystem::path& folder) {
    XvfbSession session(2560, 1440);
    if (!session.ready()) {
        std::printf("soak on X11: no Xvfb (%s)\n", session.problem().c_str());
        return;
    }
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    writeSettings(folder / "config");
    const std::string data = (folder / "x11-data").string();
    const std::string program = PANEMARK_PROGRAM;
    session.run({program, "profile", "create", "Other", "--data-dir", data});
    const pid_t panemark = session.spawn({program, "--data-dir", data});
    const InstanceAddress address = InstanceAddress::forThisSession().value();
    waitUntil([&] { return InstanceClient::isRunning(address); }, 10);
    TestClient client;
    const xcb_window_t window = client.createWindow(300, 300, 600, 400);
    std::this_thread::sleep_for(std::chrono::seconds(1)); // the grabs armed
    XTestKeyboard keyboard;
    bool split = false;
    Day day;
    day.program = panemark;
    day.pressAndLand = [&](bool toLeft) {
        const std::optional<Rect> frame = client.outerFrame(window);
        if (!frame) {
            return false;
        }
        // The halves of the monitor the window is on: the whole screen, or one of its halves.
        const double width = split ? 1280 : 2560;
        const double monitorX = split && frame->midX() >= 1280 ? 1280 : 0;
        const Rect expected = halfOf(Rect{monitorX, 0, width, 1440}, *frame, toLeft);
        keyboard.chord(toLeft ? 113 : 114);
        return waitUntil([&] { return client.outerFrame(window) == expected; }, 2);
    };
    day.switchProfile = [&](int n) {
        InstanceProtocol::Json request = InstanceProtocol::request("profile.activate");
        request["profile"] = n % 2 == 1 ? "Other" : "Default";
        request["dataDir"] = data;
        InstanceClient::ask(address, request);
    };
    day.changeMonitors = [&](int n) {
        split = n % 2 == 1;
        if (split) {
            session.splitIntoTwoMonitors();
        } else {
            session.run({"xrandr", "--delmonitor", "L"});
            session.run({"xrandr", "--delmonitor", "R"});
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // RandR's news delivered
    };
    day.liveTimers = [&] {
        const InstanceClient::Answer answer =
            InstanceClient::ask(address, InstanceProtocol::request("status"));
        return answer.outcome == InstanceClient::Answer::Outcome::replied
                   ? answer.reply.value("liveTimers", -1L)
                   : -1L;
    };
    live("X11 (openbox)", day);
    kill(panemark, SIGTERM);
    XvfbSession::waitForExit(panemark, 5);
}

void soakSway() {
    SwaySession session;
    if (!session.ready()) {
        std::printf("soak on sway: not run (%s)\n", session.problem().c_str());
        return;
    }
    const std::string program = session.program(PANEMARK_PROGRAM);
    session.run({program, "profile", "create", "Other"});
    const pid_t panemark = session.spawn({program}, (session.home() / "panemark.log").string());
    waitUntil([&] { return session.run({program, "status"}).first == 0; }, 15);
    session.spawn({"foot", "-e", "sleep", "3600"});
    waitUntil([&] { return session.focusedWindow().has_value(); }, 10);
    auto outputs = I3IpcReplies::outputs(session.ask(I3IpcCodec::getOutputs),
                                         session.ask(I3IpcCodec::getWorkspaces));
    if (!outputs || outputs.value().empty()) {
        std::printf("soak on sway: no outputs\n");
        return;
    }
    Rect usable = outputs.value().front().usable;
    for (const I3IpcReplies::Output& output : outputs.value()) {
        if (output.name == "HEADLESS-1") {
            usable = output.usable;
        }
    }
    ResidentKeyboard keyboard(VIRTUAL_KEYBOARD, {{"WAYLAND_DISPLAY", session.waylandDisplay()}});
    Day day;
    day.program = panemark;
    day.pressAndLand = [&](bool toLeft) {
        const auto focused = session.focusedWindow();
        if (!focused) {
            return false;
        }
        const Rect expected = halfOf(usable, focused->frame, toLeft);
        if (!keyboard.pressWithHyper(toLeft ? 105 : 106)) {
            return false;
        }
        return waitUntil(
            [&] {
                const auto focused = session.focusedWindow();
                return focused && focused->frame == expected;
            },
            2);
    };
    day.switchProfile = [&](int n) {
        session.run({program, "profile", "activate", n % 2 == 1 ? "Other" : "Default"});
    };
    // The second output goes and comes back; the window stays on the first.
    day.changeMonitors = [&](int n) {
        session.ask(I3IpcCodec::runCommand,
                    std::string("output HEADLESS-2 ") + (n % 2 == 1 ? "disable" : "enable"));
    };
    day.liveTimers = [&] { return timersFrom(session.run({program, "status", "--json"}).second); };
    const std::string name =
        "sway " + I3IpcReplies::version(session.ask(I3IpcCodec::getVersion)).value_or("?");
    live(name.c_str(), day);
    session.run({program, "quit"});
    ChildProcess::finish(panemark, 10);
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each line as it comes: the run is long
    const std::string only = argc > 1 ? argv[1] : "";
    const auto folder = std::filesystem::temp_directory_path() /
                        ("panemark-bench-soak-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    if (only.empty() || only == "x11") {
        soakX11(folder);
    }
    if (only.empty() || only == "sway") {
        soakSway();
    }
    std::filesystem::remove_all(folder);
    return 0;
}
