// From a key press to the window's frame placed by KWin (headless, with Xwayland), beside the
// floor under it: the same keys bound by a KWin script of its own that places the window inside
// KWin, with no program outside it, and a request to Panemark's script that does nothing but
// answer (one round trip over the session bus through KWin's script engine). Figures only:
// nothing here fails on timing.
#include "../tests/kwin/KWinSession.h"
#include "../tests/support/DesktopVersion.h"
#include "../tests/x11/TestClient.h"
#include "Figures.h"
#include "ResidentKeyboard.h"
#include "platform/kwin/KWinScriptChannel.h"
#include "platform/kwin/KWinScriptLoader.h"
#include "platform/kwin/KWinScriptMessages.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace panemark;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int presses = 100;
constexpr int requests = 200;

// Looks at the window's frame every quarter millisecond until it is `frame` (at most 2 s).
bool waitForFrame(TestClient& x11, xcb_window_t window, const Rect& frame) {
    const auto until = Clock::now() + std::chrono::seconds(2);
    while (Clock::now() < until) {
        if (x11.outerFrame(window) == frame) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(250));
    }
    return false;
}

void setSessionEnvironment(const KWinSession& session) {
    for (const auto& [name, value] : session.environment()) {
        ::setenv(name.c_str(), value.c_str(), 1);
    }
}

// Presses ⌃⌥⌘← and ⌃⌥⌘→ in turn through a resident fake keyboard and times each until the X11
// window's frame is the half it asks for.
std::vector<double> measurePresses(TestClient& x11, xcb_window_t window) {
    ResidentKeyboard keyboard(FAKE_KEYBOARD, {});
    const Rect left{0, 0, 640, 800};
    const Rect right{640, 0, 640, 800};
    const auto pressed = keyboard.timeHalves(
        presses, [&](bool toLeft) { return waitForFrame(x11, window, toLeft ? left : right); });
    printFigures("key press -> frame placed (Panemark)", pressed.milliseconds, presses,
                 pressed.missed);
    return pressed.milliseconds;
}

// The floor: the same two keys bound by a script inside KWin that places the active window on
// the half of its screen's usable area, as Panemark would. Panemark has let the keys go.
constexpr const char* floorScript = R"js(
function half(left) {
    var window = workspace.activeWindow !== undefined ? workspace.activeWindow
                                                      : workspace.activeClient;
    if (!window) {
        return;
    }
    var area = workspace.clientArea(KWin.MaximizeArea, window);
    var width = Math.round(area.width / 2);
    window.frameGeometry = { x: left ? area.x : area.x + width, y: area.y,
                             width: left ? width : area.width - width, height: area.height };
}
registerShortcut("PanemarkFloorLeft", "Floor: left half", "Meta+Ctrl+Alt+Left",
                 function () { half(true); });
registerShortcut("PanemarkFloorRight", "Floor: right half", "Meta+Ctrl+Alt+Right",
                 function () { half(false); });
)js";

bool scripting(const char* method, const QList<QVariant>& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall("org.kde.KWin", "/Scripting",
                                                       "org.kde.kwin.Scripting", method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000).type() !=
           QDBusMessage::ErrorMessage;
}

std::vector<double> measureFloor(TestClient& x11, xcb_window_t window) {
    const std::string path = "/tmp/panemark-floor-" + std::to_string(::getpid()) + ".js";
    if (FILE* file = std::fopen(path.c_str(), "w")) {
        std::fputs(floorScript, file);
        std::fclose(file);
    }
    if (!scripting("loadScript", {QString::fromStdString(path), "panemark-floor"}) ||
        !scripting("start", {})) {
        std::printf("floor script: KWin did not load it\n");
        return {};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // its shortcuts are taken
    x11.activate(window);
    ResidentKeyboard keyboard(FAKE_KEYBOARD, {});
    const auto pressed = keyboard.timeHalves(presses, [&](bool toLeft) {
        return waitForFrame(x11, window, toLeft ? Rect{0, 0, 640, 800} : Rect{640, 0, 640, 800});
    });
    printFigures("key press -> frame placed (a KWin script: floor)", pressed.milliseconds, presses,
                 pressed.missed);
    scripting("unloadScript", {"panemark-floor"});
    std::remove(path.c_str());
    return pressed.milliseconds;
}

// Requests to a copy of the script of this process's own, timed one by one.
void measureRequests() {
    Result<std::unique_ptr<KWinScriptChannel>> channel = KWinScriptChannel::open({});
    if (!channel) {
        std::printf("script channel: %s\n", channel.error().c_str());
        return;
    }
    KWinScriptLoader loader(KWinScriptLoader::defaultFolder(), "panemark-bench",
                            channel.value()->serviceName());
    const std::string token = KWinScriptLoader::newToken();
    channel.value()->expect(token);
    if (Result<bool> loaded = loader.load(token); !loaded) {
        std::printf("script: %s\n", loaded.error().c_str());
        return;
    }
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (channel.value()->secondsSinceHeard() > 1e9 && Clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    for (const auto& [what, make] :
         {std::pair<const char*, std::string (*)(std::uint64_t)>{
              "echo through KWin's script (the floor)", KWinScriptMessages::echoRequest},
          {"look: active window and screens", KWinScriptMessages::lookRequest}}) {
        std::vector<double> times;
        int missed = 0;
        for (int i = 0; i < requests; ++i) {
            const auto start = Clock::now();
            if (channel.value()->request(make, 1.0)) {
                times.push_back(milliseconds(Clock::now() - start));
            } else {
                ++missed;
            }
        }
        printFigures(what, times, requests, missed);
    }
    loader.unload();
}

} // namespace

int main() {
    KWinSession session;
    if (!session.ready()) {
        std::printf("kwin: %s\n", session.problem().c_str());
        return 0;
    }
    setSessionEnvironment(session);
    int argc = 1;
    char name[] = "bench_kwin";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    TestClient x11;
    const xcb_window_t window = x11.createWindow(100, 100, 400, 300);
    session.spawn({PANEMARK_PROGRAM});
    bool listed = false;
    for (int attempt = 0; attempt < 200 && !listed; ++attempt) {
        listed = session
                     .call("org.kde.kglobalaccel", "/component/panemark",
                           "org.kde.kglobalaccel.Component.shortcutNames")
                     .find("string") != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!listed) {
        std::printf("kwin: Panemark's shortcuts never showed up\n");
        return 0;
    }
    std::printf("KWin %s, two 1280x800 outputs, an X11 window through Xwayland\n",
                desktopVersion("kwin_wayland --version").c_str());
    x11.activate(window);
    const std::vector<double> panemark = measurePresses(x11, window);
    measureRequests();
    session.run({PANEMARK_PROGRAM, "quit"});
    const std::vector<double> floor = measureFloor(x11, window);
    printTarget(panemark, floor);
    return 0;
}
