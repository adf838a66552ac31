// From a key press to the window's frame confirmed by the compositor, on a headless sway and on
// i3 (Xvfb, two fake outputs): Panemark, beside the way people do it today, a key binding in
// the compositor's configuration that runs swaymsg or i3-msg with the same placement.
// Figures only: nothing here fails on timing.
#include "../tests/support/DesktopVersion.h"
#include "../tests/sway/SwaySession.h"
#include "../tests/x11/TestClient.h"
#include "../tests/x11/XvfbSession.h"
#include "ResidentKeyboard.h"
#include "XTestKeyboard.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xtest.h>

using namespace panemark;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int presses = 40;

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Figures {
    double median = 0;
    double p95 = 0;
    int missed = 0;
};

Figures summarize(std::vector<double> times, int missed) {
    if (times.empty()) {
        return {0, 0, missed};
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 95 / 100], missed};
}

// Polls the compositor's tree until the focused window's outer frame is `frame`, with a pause
// between looks: a compositor answers one client at a time, and asking without a pause would
// slow down whoever is being measured.
bool waitForFrame(I3IpcClient& ipc, I3IpcReplies::Dialect dialect, const Rect& frame) {
    const auto until = Clock::now() + std::chrono::seconds(1);
    while (Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::microseconds(250));
        const Result<std::string> tree = ipc.request(I3IpcCodec::getTree, "", 1);
        if (tree) {
            const auto focused = I3IpcReplies::focusedWindow(tree.value(), dialect);
            if (focused && focused.value() && focused.value()->frame == frame) {
                return true;
            }
        }
    }
    return false;
}

std::string placement(const Rect& frame) {
    const auto px = [](double value) { return std::to_string(static_cast<int>(value)); };
    return "floating enable, resize set " + px(frame.width) + " px " + px(frame.height) +
           " px, move absolute position " + px(frame.x) + " px " + px(frame.y) + " px";
}

// Left and right halves of an output's usable area.
std::pair<Rect, Rect> halves(const Rect& usable) {
    const double half = usable.width / 2;
    return {{usable.x, usable.y, half, usable.height},
            {usable.x + half, usable.y, usable.width - half, usable.height}};
}

void print(const char* who, const Figures& figures) {
    std::printf("%-48s median %7.3f ms   p95 %7.3f ms   (%d presses, %d missed)\n", who,
                figures.median, figures.p95, presses, figures.missed);
}

// ------------------------------------------------------------------------------------- sway

Figures measureSway(SwaySession& sway, I3IpcClient& ipc, const std::pair<Rect, Rect>& targets) {
    ResidentKeyboard keyboard(VIRTUAL_KEYBOARD, {{"WAYLAND_DISPLAY", sway.waylandDisplay()}});
    const auto pressed = keyboard.timeHalves(presses, [&](bool left) {
        return waitForFrame(ipc, I3IpcReplies::Dialect::sway,
                            left ? targets.first : targets.second);
    });
    return summarize(pressed.milliseconds, pressed.missed);
}

void benchSway() {
    SwaySession sway;
    if (!sway.ready()) {
        std::printf("sway: %s\n", sway.problem().c_str());
        return;
    }
    std::ofstream(sway.home() / "Panemark" / "Panemark.conf", std::ios::app)
        << "Panemark.animateWindows=false\n";
    I3IpcClient ipc(sway.socketPath());
    sway.spawn({"foot", "-e", "sleep", "600"});
    std::optional<I3IpcReplies::Window> window;
    while (!(window = sway.focusedWindow())) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The halves of the window's own output: sway lists its outputs in an order of its own
    // (newer versions put the one at the origin last).
    const auto outputs = I3IpcReplies::outputs(sway.ask(I3IpcCodec::getOutputs),
                                               sway.ask(I3IpcCodec::getWorkspaces));
    const auto holdsWindow = [&](const I3IpcReplies::Output& output) {
        const Rect& screen = output.frame;
        const double x = window->frame.midX();
        const double y = window->frame.midY();
        return x >= screen.minX() && x < screen.maxX() && y >= screen.minY() && y < screen.maxY();
    };
    const auto output = std::find_if(outputs.value().begin(), outputs.value().end(), holdsWindow);
    const auto targets =
        halves((output != outputs.value().end() ? *output : outputs.value().front()).usable);

    const std::string program = sway.program(PANEMARK_PROGRAM);
    sway.spawn({program}, (sway.home() / "panemark.log").string());
    while (sway.run({program, "status"}).first != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::fprintf(stderr, "sway: measuring panemark\n");
    const Figures panemark = measureSway(sway, ipc, targets);
    sway.run({program, "quit"});

    // What people bind today: the compositor runs swaymsg with a fixed placement.
    // The whole command in double quotes: a binding's commands are split at commas otherwise.
    sway.ask(I3IpcCodec::runCommand,
             "bindcode Mod4+Mod1+Ctrl+113 exec \"swaymsg '" + placement(targets.first) + "'\"");
    sway.ask(I3IpcCodec::runCommand,
             "bindcode Mod4+Mod1+Ctrl+114 exec \"swaymsg '" + placement(targets.second) + "'\"");
    std::fprintf(stderr, "sway: measuring swaymsg\n");
    const Figures swaymsg = measureSway(sway, ipc, targets);

    std::printf("Key press to the frame confirmed, headless sway %s (1280 × 800 output)\n",
                desktopVersion("sway --version").c_str());
    print("panemark (animation off)", panemark);
    print("bindsym … exec swaymsg (what people do)", swaymsg);
    std::printf("%-48s %.1f× faster\n\n", "panemark against swaymsg",
                panemark.median > 0 ? swaymsg.median / panemark.median : 0);
}

// --------------------------------------------------------------------------------------- i3

Figures measureI3(I3IpcClient& ipc, const std::pair<Rect, Rect>& targets) {
    XTestKeyboard keyboard;
    std::vector<double> times;
    int missed = 0;
    for (int i = 0; i < presses; ++i) {
        const bool left = i % 2 == 0;
        const auto start = Clock::now();
        keyboard.chord(left ? 113 : 114);
        if (waitForFrame(ipc, I3IpcReplies::Dialect::i3, left ? targets.first : targets.second)) {
            times.push_back(milliseconds(Clock::now() - start));
        } else {
            ++missed;
        }
    }
    return summarize(times, missed);
}

// i3 takes bindings only from its configuration: each variant gets an i3 of its own.
Figures benchI3Variant(bool withPanemark, std::pair<Rect, Rect>* targetsOut) {
    const std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("panemark-bench-i3-" + std::to_string(getpid()));
    XvfbSession session(2304, 800, XvfbSession::WindowManager::none);
    if (!session.ready()) {
        return {};
    }
    // The usable area is 1280 × 780 below a 20-pixel bar, as the tests find it.
    const std::pair<Rect, Rect> targets = halves({0, 20, 1280, 780});
    *targetsOut = targets;
    {
        std::ifstream base(I3_TEST_CONFIG);
        std::ofstream out(config);
        out << base.rdbuf();
        if (!withPanemark) {
            out << "bindcode Mod4+Mod1+Control+113 exec \"i3-msg '" << placement(targets.first)
                << "'\"\nbindcode Mod4+Mod1+Control+114 exec \"i3-msg '"
                << placement(targets.second) << "'\"\n";
        }
    }
    session.spawn({"i3", "-c", config.string()});
    TestClient client;
    std::string socket;
    for (int i = 0; i < 500 && socket.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        socket = client.rootText("I3_SOCKET_PATH");
    }
    I3IpcClient ipc(socket);
    const xcb_window_t window = client.createWindow(100, 100, 500, 400);
    client.activate(window);
    if (withPanemark) {
        setenv("I3SOCK", socket.c_str(), 1);
        setenv("XDG_CURRENT_DESKTOP", "i3", 1);
        session.spawn({PANEMARK_PROGRAM});
        for (int i = 0; i < 500 && !client.isGrabbedElsewhere(
                                       113, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4);
             ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // i3bar docks
    std::fprintf(stderr, "i3: measuring %s\n", withPanemark ? "panemark" : "i3-msg");
    const Figures figures = measureI3(ipc, targets);
    std::filesystem::remove(config);
    return figures;
}

void benchI3() {
    std::pair<Rect, Rect> targets;
    const Figures panemark = benchI3Variant(true, &targets);
    const Figures i3msg = benchI3Variant(false, &targets);
    std::printf("Key press to the frame confirmed, i3 %s on Xvfb (1280 × 800 output)\n",
                desktopVersion("i3 --version").c_str());
    print("panemark (animation off)", panemark);
    print("bindcode … exec i3-msg (what people do)", i3msg);
    std::printf("%-48s %.1f× faster\n", "panemark against i3-msg",
                panemark.median > 0 ? i3msg.median / panemark.median : 0);
}

} // namespace

int main() {
    // The program's settings: a home of its own, no splash, no animation.
    const std::filesystem::path home = std::filesystem::temp_directory_path() /
                                       ("panemark-bench-home-" + std::to_string(getpid()));
    std::filesystem::create_directories(home / "Panemark");
    std::ofstream(home / "Panemark" / "Panemark.conf")
        << "[General]\nPanemark.showSplashAtLaunch=false\nPanemark.animateWindows=false\n";
    for (const char* variable : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        setenv(variable, home.c_str(), 1);
    }
    std::filesystem::permissions(home, std::filesystem::perms::owner_all);
    benchSway();
    benchI3();
    std::filesystem::remove_all(home);
}
