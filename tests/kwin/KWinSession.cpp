#include "KWinSession.h"

#include "../support/ChildProcess.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace panemark {

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Prints every window's frame, caption and whether it is active whenever one of them changes.
constexpr const char* frameReporter = R"js(
var last = {};
function report() {
    var active = workspace.activeClient;
    var activeId = active ? String(active.internalId) : "";
    var clients = workspace.clientList();
    for (var i = 0; i < clients.length; ++i) {
        var c = clients[i];
        var f = c.frameGeometry;
        var id = String(c.internalId);
        var line = c.caption + "|" + f.x + "|" + f.y + "|" + f.width + "|" + f.height + "|" +
                   (id === activeId ? 1 : 0);
        if (last[id] !== line) {
            last[id] = line;
            print("panemark-test-frame " + line);
        }
    }
}
var timer = new QTimer();
timer.timeout.connect(report);
timer.start(20);
)js";

// KWin offers its fake input only to a program a desktop file names with this interface.
void allowFakeInput(const std::filesystem::path& applications) {
    std::filesystem::create_directories(applications);
    std::ofstream(applications / "panemark-test-keyboard.desktop")
        << "[Desktop Entry]\nType=Application\nName=Panemark test keyboard\nExec=" FAKE_KEYBOARD
           "\nNoDisplay=true\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n";
}

} // namespace

using ChildProcess::waitFor;

KWinSession::KWinSession() {
    static std::atomic<int> sessions = 0;
    const std::string unique = std::to_string(::getpid()) + "-" + std::to_string(++sessions);
    root_ = std::filesystem::temp_directory_path() / ("panemark-kwin-" + unique);
    runtime_ = root_ / "runtime";
    home_ = root_ / "home";
    waylandDisplay_ = "panemark-kwin-" + unique;
    for (const auto& folder : {root_, runtime_, home_, home_ / "Panemark", root_ / "bin"}) {
        std::filesystem::create_directories(folder);
    }
    std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);
    std::ofstream(home_ / "Panemark" / "Panemark.conf")
        << "[General]\nPanemark.showSplashAtLaunch=false\nPanemark.animateWindows=false\n";
    allowFakeInput(home_ / "applications");
    // Xwayland needs the folder of X sockets; a container may not have it.
    std::error_code ignored;
    if (std::filesystem::create_directories("/tmp/.X11-unix", ignored)) {
        std::filesystem::permissions("/tmp/.X11-unix", std::filesystem::perms::all |
                                                           std::filesystem::perms::sticky_bit);
    }

    const std::filesystem::path busSocket = root_ / "bus";
    busAddress_ = "unix:path=" + busSocket.string();
    bus_ =
        start({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + busAddress_},
              (root_ / "dbus.log").string());
    if (!waitFor([&] { return std::filesystem::exists(busSocket); }, 10)) {
        problem_ = "the session bus did not start";
        return;
    }
    // The copy must keep the name kwin_wayland: KWin's platform plugin looks for it. It runs
    // from a copy since the installed binary carries a file capability a container refuses.
    const std::filesystem::path kwin = root_ / "bin" / "kwin_wayland";
    std::filesystem::copy_file("/usr/bin/kwin_wayland", kwin, ignored);
    // KWin starts its session program once Xwayland is up, with DISPLAY set: this one writes it
    // down and stays.
    const std::filesystem::path sessionProgram = root_ / "bin" / "session";
    std::ofstream(sessionProgram) << "#!/bin/sh\necho \"$DISPLAY\" > "
                                  << (root_ / "display").string() << ".new\nmv "
                                  << (root_ / "display").string() << ".new "
                                  << (root_ / "display").string() << "\nexec sleep 100000\n";
    std::filesystem::permissions(sessionProgram, std::filesystem::perms::owner_all);
    kwin_ = start({kwin.string(), "--virtual", "--width", "1280", "--height", "800",
                   "--output-count", "2", "--socket", waylandDisplay_, "--no-lockscreen",
                   "--xwayland", "--exit-with-session", sessionProgram.string()},
                  (root_ / "kwin.log").string());
    if (!waitFor([&] { return std::filesystem::exists(root_ / "display"); }, 30)) {
        problem_ = "KWin did not start its session (see " + (root_ / "kwin.log").string() + ")";
        return;
    }
    xDisplay_ = readFile(root_ / "display");
    while (!xDisplay_.empty() && std::isspace(static_cast<unsigned char>(xDisplay_.back()))) {
        xDisplay_.pop_back();
    }
    if (!loadFrameReporter()) {
        problem_ = "KWin did not run the test's frame reporter";
        return;
    }
    ready_ = true;
}

KWinSession::~KWinSession() {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        ChildProcess::stop(*it);
    }
    ChildProcess::stop(kwin_);
    ChildProcess::stop(bus_);
    std::error_code ignored;
    if (!std::getenv("PANEMARK_KEEP_TEST_SESSION")) {
        std::filesystem::remove_all(root_, ignored);
    }
}

std::map<std::string, std::string> KWinSession::environment() const {
    std::map<std::string, std::string> environment{
        {"PATH", "/usr/local/bin:/usr/bin:/bin"},
        {"HOME", home_.string()},
        {"XDG_RUNTIME_DIR", runtime_.string()},
        {"XDG_CONFIG_HOME", home_.string()},
        {"XDG_DATA_HOME", home_.string()},
        {"XDG_CURRENT_DESKTOP", "KDE"},
        {"XDG_SESSION_TYPE", "wayland"},
        {"WAYLAND_DISPLAY", waylandDisplay_},
        {"DISPLAY", xDisplay_},
        {"DBUS_SESSION_BUS_ADDRESS", busAddress_},
        {"LANG", "C.UTF-8"},
    };
    // A sanitizer build's programs read their suppressions as the test does.
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            environment[name] = value;
        }
    }
    return environment;
}

pid_t KWinSession::start(const std::vector<std::string>& argv, const std::string& outputFile) {
    return ChildProcess::start(argv, environment(), outputFile);
}

pid_t KWinSession::spawn(const std::vector<std::string>& argv, const std::string& outputFile) {
    const pid_t pid = start(argv, outputFile);
    children_.push_back(pid);
    return pid;
}

std::pair<int, std::string> KWinSession::run(const std::vector<std::string>& argv) {
    const std::filesystem::path output =
        root_ /
        ("run-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    const int status = ChildProcess::finish(start(argv, output.string()), 30);
    return {status, readFile(output)};
}

bool KWinSession::press(unsigned evdevCode, const std::vector<std::string>& modifiers) {
    std::vector<std::string> command{FAKE_KEYBOARD, std::to_string(evdevCode)};
    command.insert(command.end(), modifiers.begin(), modifiers.end());
    return run(command).first == 0;
}

bool KWinSession::movePointer(int x, int y) {
    return run({FAKE_KEYBOARD, "--pointer", std::to_string(x), std::to_string(y)}).first == 0;
}

std::string KWinSession::call(const std::string& destination, const std::string& path,
                              const std::string& method,
                              const std::vector<std::string>& arguments) {
    std::vector<std::string> command{
        "dbus-send", "--session", "--print-reply", "--dest=" + destination, path, method};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command).second;
}

bool KWinSession::loadFrameReporter() {
    const std::filesystem::path script = root_ / "frames.js";
    std::ofstream(script) << frameReporter;
    const std::string loaded =
        call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting.loadScript",
             {"string:" + script.string(), "string:panemark-test-frames"});
    if (loaded.find("int32") == std::string::npos) {
        return false;
    }
    call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting.start");
    return true;
}

std::string KWinSession::kwinLog() const {
    return readFile(root_ / "kwin.log");
}

std::optional<KWinSession::Seen> KWinSession::window(const std::string& caption) {
    const std::string log = kwinLog();
    const std::string marker = "panemark-test-frame " + caption + "|";
    const std::size_t at = log.rfind(marker);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(
        log.substr(at + marker.size(), log.find('\n', at) - at - marker.size()));
    Seen seen;
    char bar = 0;
    int active = 0;
    fields >> seen.frame.x >> bar >> seen.frame.y >> bar >> seen.frame.width >> bar >>
        seen.frame.height >> bar >> active;
    if (!fields) {
        return std::nullopt;
    }
    seen.active = active == 1;
    return seen;
}

bool KWinSession::waitForActive(const std::string& caption, double seconds) {
    return waitFor(
        [&] {
            const auto seen = window(caption);
            return seen && seen->active;
        },
        seconds);
}

std::optional<Rect> KWinSession::waitForFrame(const std::string& caption, const Rect& frame,
                                              double seconds) {
    // Settled, not only reached: the frame counts once it has held for a moment.
    std::optional<Rect> seen;
    bool held = false;
    auto heldSince = std::chrono::steady_clock::now();
    waitFor(
        [&] {
            const auto now = window(caption);
            const std::optional<Rect> current =
                now ? std::optional<Rect>(now->frame) : std::nullopt;
            if (current != seen || current != frame) {
                heldSince = std::chrono::steady_clock::now();
            }
            seen = current;
            held = seen == frame &&
                   std::chrono::steady_clock::now() - heldSince > std::chrono::milliseconds(200);
            return held;
        },
        seconds);
    return seen;
}

} // namespace panemark
