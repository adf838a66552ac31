// From a key press to the placed window, on Xvfb + openbox, in one run:
//  (a) panemark, animation off; (b) the floor, a bare xcb program that grabs the key and sends
//  one _NET_MOVERESIZE_WINDOW; (c) sxhkd running xdotool, the way people do this today.
// Then panemark's CPU time while idle for 30 s after start, and its resident memory.
// Figures only: nothing here fails on timing.
#include "../tests/x11/TestClient.h"
#include "../tests/x11/XvfbSession.h"
#include "FrameWatcher.h"
#include "ProcessFigures.h"
#include "XTestKeyboard.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xtest.h>

using namespace panemark;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int presses = 200;
const int idleSeconds =
    std::getenv("BENCH_IDLE_SECONDS") ? std::atoi(std::getenv("BENCH_IDLE_SECONDS")) : 30;
constexpr xcb_keycode_t keyLeft = 113, keyRight = 114;
constexpr std::uint16_t ctrlAltSuper = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Waits for ConfigureNotify events of a client's frame window.

// The floor: grabs ⌃⌥⌘← and ⌃⌥⌘→ and answers each with one precomputed _NET_MOVERESIZE_WINDOW.
class BareGrabber {
public:
    BareGrabber(xcb_window_t window, const Rect (&clientTargets)[2]) : window_(window) {
        connection_ = xcb_connect(nullptr, nullptr);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const char name[] = "_NET_MOVERESIZE_WINDOW";
        auto* atom = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, sizeof(name) - 1, name), nullptr);
        moveResize_ = atom->atom;
        free(atom);
        for (int i = 0; i < 2; ++i) {
            targets_[i] = clientTargets[i];
        }
        for (xcb_keycode_t key : {keyLeft, keyRight}) {
            xcb_grab_key(connection_, 1, root_, ctrlAltSuper, key, XCB_GRAB_MODE_ASYNC,
                         XCB_GRAB_MODE_ASYNC);
        }
        xcb_aux_sync();
        thread_ = std::thread([this] { serve(); });
    }
    ~BareGrabber() {
        running_ = false;
        thread_.join();
        xcb_disconnect(connection_);
    }

private:
    void xcb_aux_sync() {
        free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    void serve() {
        while (running_) {
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (!event) {
                std::this_thread::sleep_for(std::chrono::microseconds(50));
                continue;
            }
            if ((event->response_type & 0x7F) == XCB_KEY_PRESS) {
                const auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
                const Rect& t = targets_[press->detail == keyLeft ? 0 : 1];
                xcb_client_message_event_t message{};
                message.response_type = XCB_CLIENT_MESSAGE;
                message.format = 32;
                message.window = window_;
                message.type = moveResize_;
                const std::uint32_t data[5] = {
                    1u | 0xF00u | (2u << 12), static_cast<std::uint32_t>(t.x),
                    static_cast<std::uint32_t>(t.y), static_cast<std::uint32_t>(t.width),
                    static_cast<std::uint32_t>(t.height)};
                std::copy(std::begin(data), std::end(data), message.data.data32);
                xcb_send_event(connection_, 0, root_,
                               XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY |
                                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                               reinterpret_cast<const char*>(&message));
                xcb_flush(connection_);
            }
            free(event);
        }
    }
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_window_t window_;
    xcb_atom_t moveResize_ = 0;
    Rect targets_[2];
    std::atomic<bool> running_{true};
    std::thread thread_;
};

struct Figures {
    double median = 0;
    double p95 = 0;
    std::size_t count = 0;
};

// Presses ← and → in turn and times each to the frame reaching what that key produces.
Figures measure(XTestKeyboard& keyboard, FrameWatcher& watcher, TestClient& client,
                xcb_window_t window) {
    // The first two presses show where each key puts the window.
    Rect landing[2];
    for (int i = 0; i < 2; ++i) {
        keyboard.chord(i == 0 ? keyLeft : keyRight);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        landing[i] = client.outerFrame(window).value_or(Rect{});
    }
    std::vector<double> samples;
    for (int i = 0; i < presses; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(15)); // key presses come far apart
        watcher.drain();
        const auto start = Clock::now();
        keyboard.chord(i % 2 == 0 ? keyLeft : keyRight);
        if (auto arrived = watcher.waitFor(landing[i % 2])) {
            samples.push_back(milliseconds(*arrived - start));
        }
    }
    Figures figures;
    figures.count = samples.size();
    if (!samples.empty()) {
        std::sort(samples.begin(), samples.end());
        figures.median = samples[samples.size() / 2];
        figures.p95 = samples[std::min(samples.size() - 1, samples.size() * 95 / 100)];
    }
    return figures;
}

void print(const char* what, const Figures& f) {
    std::printf("%-46s median %7.3f ms   p95 %7.3f ms   (%zu presses)\n", what, f.median, f.p95,
                f.count);
}

bool waitForGrab(TestClient& client) {
    for (int i = 0; i < 500; ++i) {
        if (client.isGrabbedElsewhere(keyLeft, ctrlAltSuper)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main() {
    XvfbSession session;
    if (!session.ready()) {
        std::fprintf(stderr, "bench_hotkey_latency: %s\n", session.problem().c_str());
        return 1;
    }
    const auto home =
        std::filesystem::temp_directory_path() / ("panemark-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(home / "Panemark");
    std::ofstream(home / "Panemark" / "Panemark.conf")
        << "[General]\nPanemark.animateWindows=false\nPanemark.showSplashAtLaunch=false\n";
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    setenv("XDG_DATA_HOME", home.c_str(), 1); // the stock commands in a profile of its own

    TestClient client;
    const xcb_window_t window = client.createWindow(600, 400, 500, 400);
    XTestKeyboard keyboard;
    FrameWatcher watcher(window);
    std::printf("Key press to placed window (Xvfb + openbox, 2560 × 1440)\n");

    Figures floor;
    {
        // The decorations add this much to the client size.
        const Rect outer = *client.outerFrame(window);
        xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
        auto* geometry = xcb_get_geometry_reply(probe, xcb_get_geometry(probe, window), nullptr);
        const double extraWidth = outer.width - geometry->width;
        const double extraHeight = outer.height - geometry->height;
        free(geometry);
        xcb_disconnect(probe);
        const Rect clientTargets[2] = {{0, 0, 1280 - extraWidth, 1440 - extraHeight},
                                       {1280, 0, 1280 - extraWidth, 1440 - extraHeight}};
        BareGrabber grabber(window, clientTargets);
        floor = measure(keyboard, watcher, client, window);
    }
    const pid_t panemark = session.spawn({PANEMARK_PROGRAM});
    if (!waitForGrab(client)) {
        std::fprintf(stderr, "bench_hotkey_latency: panemark did not start\n");
        return 1;
    }
    const Figures resident = measure(keyboard, watcher, client, window);
    stop(panemark);

    Figures sxhkd;
    const bool haveSxhkd = session.run({"sh", "-c", "command -v sxhkd"});
    if (haveSxhkd) {
        const auto rc = home / "sxhkdrc";
        std::ofstream(rc) << "ctrl + alt + super + Left\n"
                             "    xdotool getactivewindow windowsize 1278 1415 windowmove 0 0\n"
                             "ctrl + alt + super + Right\n"
                             "    xdotool getactivewindow windowsize 1278 1415 windowmove 1280 0\n";
        const pid_t daemon = session.spawn({"sxhkd", "-c", rc.string()});
        waitForGrab(client);
        sxhkd = measure(keyboard, watcher, client, window);
        stop(daemon);
    }
    print("panemark (animation off)", resident);
    print("bare xcb grab + _NET_MOVERESIZE_WINDOW (floor)", floor);
    if (haveSxhkd) {
        print("sxhkd + xdotool", sxhkd);
    } else {
        std::printf("%-46s not installed (apt-get install sxhkd)\n", "sxhkd + xdotool");
    }
    if (floor.median > 0) {
        std::printf("%-46s %.2f× the floor", "panemark median", resident.median / floor.median);
        if (haveSxhkd && resident.median > 0) {
            std::printf(", %.1f× faster than sxhkd + xdotool", sxhkd.median / resident.median);
        }
        std::printf("\n");
    }

    // Idle: a fresh panemark, left alone for 30 s once its keys are grabbed.
    const pid_t idle = session.spawn({PANEMARK_PROGRAM});
    waitForGrab(client);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double before = cpuSeconds(idle);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double after = cpuSeconds(idle);
    std::printf("\nIdle, armed: %.3f s of CPU time in %d s; resident memory %s\n", after - before,
                idleSeconds, residentMemory(idle).c_str());
    stop(idle);
    std::filesystem::remove_all(home);
    return 0;
}
