// Placement on a real X server (Xvfb + openbox), in one run:
//  (a) from a command to the ConfigureNotify of the window's frame at its target, for the
//      resident mover and for a bare xcb program sending one _NET_MOVERESIZE_WINDOW (the floor);
//  (b) for 0.25 s animations: steps per second, the largest gap between steps, and whether the
//      last frame is exact.
// Figures only: nothing here fails on timing.
#include "../tests/x11/TestClient.h"
#include "../tests/x11/XvfbSession.h"
#include "FrameWatcher.h"
#include "model/StockCommands.h"
#include "placement/WindowMover.h"
#include "platform/x11/X11Bell.h"
#include "platform/x11/X11EventSource.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11Windows.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

using namespace panemark;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int moves = 200;
constexpr int animations = 20;

// Counts animation steps as the mover writes them.
class TimedWindows : public WindowService {
public:
    explicit TimedWindows(WindowService& inner) : inner_(inner) {}
    std::vector<Clock::time_point> takeWrites() {
        std::lock_guard lock(mutex_);
        return std::exchange(writes_, {});
    }
    std::optional<WindowRef> focusedWindow(double t) override { return inner_.focusedWindow(t); }
    std::optional<Rect> readFrame(WindowRef w, double t) override { return inner_.readFrame(w, t); }
    void writeFrame(WindowRef w, const Rect& frame, double t) override {
        {
            std::lock_guard lock(mutex_);
            writes_.push_back(Clock::now());
        }
        inner_.writeFrame(w, frame, t);
    }
    std::optional<bool> isSizeSettable(WindowRef w, double t) override {
        return inner_.isSizeSettable(w, t);
    }
    std::optional<std::int64_t> processId(WindowRef w, double t) override {
        return inner_.processId(w, t);
    }
    std::int64_t ownProcessId() override { return inner_.ownProcessId(); }

private:
    WindowService& inner_;
    std::mutex mutex_;
    std::vector<Clock::time_point> writes_;
};

// Key presses come far apart next to these times: let the window manager finish redrawing
// before the next move, for both contenders alike.
void settle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
}

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void report(const char* what, std::vector<double> samples) {
    if (samples.empty()) {
        std::printf("%-44s no samples\n", what);
        return;
    }
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    const double p95 = samples[std::min(samples.size() - 1, samples.size() * 95 / 100)];
    std::printf("%-44s median %7.3f ms   p95 %7.3f ms   (%zu moves)\n", what, median, p95,
                samples.size());
}

} // namespace

int main() {
    XvfbSession session;
    if (!session.ready()) {
        std::fprintf(stderr, "bench_placement: %s\n", session.problem().c_str());
        return 1;
    }
    TestClient client;
    const xcb_window_t window = client.createWindow(600, 400, 500, 400);
    auto connection = X11Connection::open(nullptr);
    X11Screens screens(*connection);
    X11Windows x11Windows(*connection, screens);
    TimedWindows windows(x11Windows);
    X11Bell bell(*connection);
    WindowMover mover(windows, screens, &bell, WindowAnimator::make(windows));
    // As in the application: a connection of its own for events, so that the screens and the
    // focus are followed instead of asked for on every command.
    int argc = 1;
    char name[] = "bench_placement";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    auto eventConnection = X11Connection::open(nullptr);
    X11EventSource events(*eventConnection);
    screens.watch(events);
    x11Windows.watch(events);
    FrameWatcher watcher(window);

    const std::vector<ZoneCommand> stock = stockCommands();
    const ZoneCommand halves[2] = {stock[3], stock[4]};
    const Rect targets[2] = {{0, 0, 1280, 1440}, {1280, 0, 1280, 1440}};
    const AnimationSettings snap{false, AnimationCurve::easeInOut, 0.25};

    // (a) the resident mover …
    std::vector<double> resident;
    for (int i = 0; i < moves + 10; ++i) {
        events.drain(); // what the application's event loop does between key presses
        const auto start = Clock::now();
        mover.apply(halves[i % 2], 0, snap);
        const auto arrived = watcher.waitFor(targets[i % 2]);
        mover.animator().drain(1);
        settle();
        if (arrived && i >= 10) { // the first few warm the caches up
            resident.push_back(milliseconds(*arrived - start));
        }
    }
    // … and the floor: one _NET_MOVERESIZE_WINDOW from a bare client with precomputed values.
    const X11Connection::Extents extents = connection->frameExtents(window, 0.25).visible();
    std::vector<double> floor;
    for (int i = 0; i < moves + 10; ++i) {
        const Rect& target = targets[i % 2];
        const std::uint32_t data[5] = {
            1u | 0xF00u | (2u << 12), static_cast<std::uint32_t>(target.x),
            static_cast<std::uint32_t>(target.y),
            static_cast<std::uint32_t>(target.width - extents.left - extents.right),
            static_cast<std::uint32_t>(target.height - extents.top - extents.bottom)};
        const auto start = Clock::now();
        connection->sendRootMessage(window, connection->atoms().netMoveResizeWindow, data);
        connection->flush();
        const auto arrived = watcher.waitFor(target);
        settle();
        if (arrived && i >= 10) {
            floor.push_back(milliseconds(*arrived - start));
        }
    }
    std::printf("Placement, command to ConfigureNotify at the target (Xvfb + openbox)\n");
    report("panemark (resident mover, no animation)", resident);
    report("bare xcb, one _NET_MOVERESIZE_WINDOW (floor)", floor);
    if (!resident.empty() && !floor.empty()) {
        std::sort(resident.begin(), resident.end());
        std::sort(floor.begin(), floor.end());
        std::printf("%-44s %.2f×\n", "median ratio to the floor",
                    resident[resident.size() / 2] / floor[floor.size() / 2]);
    }

    // (b) animations of 0.25 s.
    const AnimationSettings animated{true, AnimationCurve::easeInOut, 0.25};
    double worstGap = 0;
    double stepsPerSecond = 0;
    int exact = 0;
    for (int i = 0; i < animations; ++i) {
        windows.takeWrites();
        events.drain();
        mover.apply(halves[i % 2], 0, animated);
        mover.animator().drain(2);
        const std::vector<Clock::time_point> writes = windows.takeWrites();
        // The steps are every write but the final exact placement.
        const std::size_t steps = writes.empty() ? 0 : writes.size() - 1;
        for (std::size_t k = 1; k < steps; ++k) {
            worstGap = std::max(worstGap, milliseconds(writes[k] - writes[k - 1]));
        }
        if (steps > 1) {
            stepsPerSecond +=
                (steps - 1) / std::chrono::duration<double>(writes[steps - 1] - writes[0]).count();
        }
        exact += client.waitForFrame(window, targets[i % 2], 1) == targets[i % 2] ? 1 : 0;
    }
    std::printf("\nAnimation, %d runs of 0.25 s (ease in-out)\n", animations);
    std::printf("%-44s %.1f\n", "steps per second (mean)", stepsPerSecond / animations);
    std::printf("%-44s %.2f ms\n", "largest gap between steps", worstGap);
    std::printf("%-44s %d of %d\n", "last frame exact", exact, animations);
    return 0;
}
