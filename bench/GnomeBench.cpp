// From a key press to the window's frame placed by GNOME Shell (headless, Wayland), beside the
// floor under it: the same keys bound inside the shell by the tests' extension, which places the
// window with nothing outside the shell on the way, and a call to Panemark's shell extension
// that only answers its version (one round trip over the session bus into the shell). Figures
// only: nothing here fails on timing.
#include "../tests/gnome/GnomeSession.h"
#include "../tests/support/ChildProcess.h"
#include "../tests/support/DesktopVersion.h"
#include "Figures.h"
#include "ResidentKeyboard.h"
#include "model/Rect.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

using namespace panemark;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int presses = 100;
constexpr int calls = 200;

std::string callExtension(const char* method) {
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall("app.panemark.Shell", "/app/panemark/Shell",
                                       "app.panemark.Shell", method),
        QDBus::Block, 2000);
    return reply.arguments().isEmpty() ? ""
                                       : reply.arguments().constFirst().toString().toStdString();
}

QDBusMessage callTest(const char* method, const QList<QVariant>& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall("org.gnome.Shell", "/app/panemark/Test",
                                                       "app.panemark.Test", method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
}

// The shell notes when the focused window's frame becomes the half a press asks for; the
// figure runs from the press to that moment, on the same clock (CLOCK_MONOTONIC).
void watchFrame(const Rect& frame) {
    callTest("WatchFrame", {static_cast<int>(frame.x), static_cast<int>(frame.y),
                            static_cast<int>(frame.width), static_cast<int>(frame.height)});
}

std::optional<double> millisecondsToFrame(Clock::time_point pressedAt) {
    const QDBusMessage reply = callTest("FrameTime", {2000u});
    const qlonglong seenAt =
        reply.arguments().isEmpty() ? 0 : reply.arguments().constFirst().toLongLong();
    if (seenAt == 0) {
        return std::nullopt;
    }
    const auto pressed =
        std::chrono::duration_cast<std::chrono::microseconds>(pressedAt.time_since_epoch());
    return static_cast<double>(seenAt - pressed.count()) / 1000.0;
}

void measureCalls() {
    for (const char* method : {"Version", "Look"}) {
        std::vector<double> times;
        for (int i = 0; i < calls; ++i) {
            const auto start = Clock::now();
            callExtension(method);
            times.push_back(milliseconds(Clock::now() - start));
        }
        printFigures(std::string(method) == "Version"
                         ? "a call the extension only answers (the floor)"
                         : "look: focused window and monitors",
                     times, calls, 0);
    }
}

} // namespace

int main(int argc, char** argv) {
    GnomeSession session;
    if (!session.ready()) {
        std::printf("gnome: %s\n", session.problem().c_str());
        return 0;
    }
    for (const auto& [name, value] : session.environment()) {
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    QCoreApplication application(argc, argv);
    session.spawn({PANEMARK_PROGRAM_PATH});
    session.spawn({"env", "QT_QPA_PLATFORM=wayland", TEST_WINDOW, "Bench"});
    if (!session.waitForActive("Bench") ||
        !ChildProcess::waitFor(
            [] { return callExtension("Look").find("Bench") != std::string::npos; }, 10)) {
        std::printf("gnome: the test window never got the focus\n");
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1)); // Panemark's shortcuts are taken
    std::printf("GNOME Shell %s, two 1280x800 monitors, a Wayland window\n",
                desktopVersion("gnome-shell --version").c_str());
    const Rect usable = *session.usableArea(0);
    const Rect left{usable.x, usable.y, usable.width / 2, usable.height};
    const Rect right{usable.x + usable.width / 2, usable.y, usable.width / 2, usable.height};
    ResidentKeyboard keyboard(REMOTE_KEYBOARD, session.environment());
    const auto watchHalf = [&](bool toLeft) { watchFrame(toLeft ? left : right); };
    const auto placedAfter = [](bool, Clock::time_point pressedAt) {
        return millisecondsToFrame(pressedAt);
    };
    const auto pressed = keyboard.timeHalvesTold(presses, watchHalf, placedAfter);
    printFigures("key press -> frame placed (Panemark)", pressed.milliseconds, presses,
                 pressed.missed);
    measureCalls();
    // The floor: Panemark lets its keys go, the shell binds them itself.
    session.run({PANEMARK_PROGRAM_PATH, "quit"});
    const QDBusMessage bound = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall("org.gnome.Shell", "/app/panemark/Test", "app.panemark.Test",
                                       "BindHalves"),
        QDBus::Block, 2000);
    if (bound.type() == QDBusMessage::ErrorMessage) {
        std::printf("floor: the shell did not bind the keys: %s\n",
                    bound.errorMessage().toStdString().c_str());
        return 0;
    }
    const auto floor = keyboard.timeHalvesTold(presses, watchHalf, placedAfter);
    printFigures("key press -> frame placed (the shell: floor)", floor.milliseconds, presses,
                 floor.missed);
    printTarget(pressed.milliseconds, floor.milliseconds);
    return 0;
}
