// The resident program with its tray icon in a tray host (trayer or stalonetray) on Xvfb + openbox:
// start to the shortcuts armed, a click on the icon to the palette mapped, idle CPU time and
// memory, and the same clicks and memory for a bare Qt tray program beside it. Figures only:
// nothing here fails on timing.
#include "../tests/support/TrayHost.h"
#include "../tests/x11/TestClient.h"
#include "../tests/x11/XvfbSession.h"
#include "ProcessFigures.h"
#include "control/InstanceClient.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>
#include <xcb/xtest.h>

using namespace panemark;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int starts = 10;
constexpr int clicks = 20;
const int idleSeconds =
    std::getenv("BENCH_IDLE_SECONDS") ? std::atoi(std::getenv("BENCH_IDLE_SECONDS")) : 30;
constexpr xcb_keycode_t keyEscape = 9;

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

// Pointer and keys through XTest, and what is mapped on the root.
class Desk {
public:
    Desk()
        : c_(xcb_connect(nullptr, nullptr)),
          root_(xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root) {}
    ~Desk() { xcb_disconnect(c_); }

    void click(int x, int y) {
        xcb_test_fake_input(c_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, x, y, 0);
        xcb_test_fake_input(c_, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(c_, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(c_);
    }
    void key(xcb_keycode_t key) {
        xcb_test_fake_input(c_, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(c_, XCB_KEY_RELEASE, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(c_);
    }
    // The palette: a viewable top-level window 290 pixels wide.
    bool paletteMapped() {
        bool found = false;
        auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr);
        if (!tree) {
            return false;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
            auto* attributes = xcb_get_window_attributes_reply(
                c_, xcb_get_window_attributes(c_, children[i]), nullptr);
            auto* geometry = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, children[i]), nullptr);
            found = attributes && geometry && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                    attributes->override_redirect && geometry->width == 290;
            free(attributes);
            free(geometry);
        }
        free(tree);
        return found;
    }

private:
    xcb_connection_t* c_;
    xcb_window_t root_;
};

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    XvfbSession::waitForExit(pid, 5);
}

// Clicks the icon of a program just started, waits for its popup each time and closes it with
// Escape; the median time from click to popup mapped, in milliseconds.
double clickToPopup(Desk& desk) {
    std::this_thread::sleep_for(std::chrono::seconds(1)); // the icon is embedded by now
    std::vector<double> opened;
    for (int i = 0; i < clicks; ++i) {
        const auto start = Clock::now();
        desk.click(1268, 12); // the icon, rightmost in the tray
        while (!desk.paletteMapped() && Clock::now() - start < std::chrono::seconds(2)) {
        }
        opened.push_back(milliseconds(Clock::now() - start));
        desk.key(keyEscape);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return median(opened);
}

} // namespace

int main() {
    XvfbSession session(1280, 800);
    if (!session.ready()) {
        std::fprintf(stderr, "bench_tray: %s\n", session.problem().c_str());
        return 1;
    }
    const auto home = std::filesystem::temp_directory_path() /
                      ("panemark-bench-tray-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    std::filesystem::permissions(home, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    // The splash card comes and goes after start-up; what is measured here is the program at rest.
    std::filesystem::create_directories(home / "Panemark");
    std::ofstream(home / "Panemark" / "Panemark.conf")
        << "[General]\nPanemark.showSplashAtLaunch=false\n";
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    session.spawn(trayHostCommand());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Desk desk;

    std::vector<double> armed;
    for (int i = 0; i < starts; ++i) {
        const auto start = Clock::now();
        const pid_t panemark = session.spawn({PANEMARK_PROGRAM});
        // The program answers its socket once its loop runs, which is after the grabs were
        // sent; trying the grab ourselves would race it.
        const InstanceAddress address = InstanceAddress::forThisSession().value();
        while (InstanceClient::ask(address, InstanceProtocol::request("status"), 1).outcome !=
                   InstanceClient::Answer::Outcome::replied &&
               Clock::now() - start < std::chrono::seconds(5)) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        armed.push_back(milliseconds(Clock::now() - start));
        stop(panemark);
    }
    std::printf("%-46s median %7.1f ms (%d starts; target 150 ms)\n",
                "start to the shortcuts armed", median(armed), starts);

    const pid_t panemark = session.spawn({PANEMARK_PROGRAM});
    std::printf("%-46s median %7.1f ms (%d clicks; target 50 ms)\n",
                "click on the icon to the palette mapped", clickToPopup(desk), clicks);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double before = cpuSeconds(panemark);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double after = cpuSeconds(panemark);
    std::printf("Idle with the tray: %.3f s of CPU time in %d s\n", after - before, idleSeconds);
    std::printf("%-46s %s (target 30 MiB), of which heap and stacks %s\n",
                "resident memory, Panemark", residentMemory(panemark).c_str(),
                anonymousMemory(panemark).c_str());
    stop(panemark);

    // The same clicks on a bare Qt tray program: the part of the figure above that is the
    // toolkit's own.
    const pid_t bare = session.spawn({BARE_TRAY_PROGRAM});
    std::printf("%-46s median %7.1f ms (%d clicks)\n", "click on the icon to the popup, bare Qt",
                clickToPopup(desk), clicks);
    std::printf("%-46s %s, of which heap and stacks %s\n", "resident memory, bare Qt tray program",
                residentMemory(bare).c_str(), anonymousMemory(bare).c_str());
    stop(bare);
    std::filesystem::remove_all(home);
    return 0;
}
