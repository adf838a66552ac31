#include "HeadlessSession.h"

#include "ChildProcess.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace panemark {

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

HeadlessSession::HeadlessSession(const std::string& kind) {
    static std::atomic<int> sessions = 0;
    unique_ = std::to_string(::getpid()) + "-" + std::to_string(++sessions);
    root_ = std::filesystem::temp_directory_path() / ("panemark-" + kind + "-" + unique_);
    runtime_ = root_ / "runtime";
    home_ = root_ / "home";
    for (const auto& folder : {root_, runtime_, home_, home_ / "Panemark", root_ / "bin"}) {
        std::filesystem::create_directories(folder);
    }
    std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);
    std::ofstream(home_ / "Panemark" / "Panemark.conf")
        << "[General]\nPanemark.showSplashAtLaunch=false\nPanemark.animateWindows=false\n";
    const std::filesystem::path busSocket = root_ / "bus";
    busAddress_ = "unix:path=" + busSocket.string();
    bus_ =
        start({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + busAddress_},
              (root_ / "dbus.log").string());
    if (!ChildProcess::waitFor([&] { return std::filesystem::exists(busSocket); }, 10)) {
        problem_ = "the session bus did not start";
    }
}

HeadlessSession::~HeadlessSession() {
    stopPrograms();
    ChildProcess::stop(bus_);
    if (!std::getenv("PANEMARK_KEEP_TEST_SESSION")) {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
}

void HeadlessSession::stopPrograms() {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        ChildProcess::stop(*it);
    }
    children_.clear();
}

std::map<std::string, std::string> HeadlessSession::environment() const {
    std::map<std::string, std::string> environment{
        {"PATH", "/usr/local/bin:/usr/bin:/bin"},  {"HOME", home_.string()},
        {"XDG_RUNTIME_DIR", runtime_.string()},    {"XDG_CONFIG_HOME", home_.string()},
        {"XDG_DATA_HOME", home_.string()},         {"XDG_SESSION_TYPE", "wayland"},
        {"DBUS_SESSION_BUS_ADDRESS", busAddress_}, {"LANG", "C.UTF-8"},
    };
    // A sanitizer build's programs read their suppressions as the test does.
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            environment[name] = value;
        }
    }
    return environment;
}

pid_t HeadlessSession::start(const std::vector<std::string>& argv, const std::string& outputFile) {
    return ChildProcess::start(argv, environment(), outputFile);
}

pid_t HeadlessSession::spawn(const std::vector<std::string>& argv, const std::string& outputFile) {
    const pid_t pid = start(argv, outputFile);
    children_.push_back(pid);
    return pid;
}

std::pair<int, std::string> HeadlessSession::run(const std::vector<std::string>& argv) {
    const std::filesystem::path output =
        root_ /
        ("run-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    const int status = ChildProcess::finish(start(argv, output.string()), 30);
    return {status, readFile(output)};
}

bool HeadlessSession::openWaylandWindow(const std::string& title) {
    spawn({"env", "QT_QPA_PLATFORM=wayland", TEST_WINDOW, title});
    return waitForActive(title);
}

std::string HeadlessSession::panemarkLog() const {
    return readFile(home_ / "panemark.log");
}

std::string HeadlessSession::call(const std::string& destination, const std::string& path,
                                  const std::string& method,
                                  const std::vector<std::string>& arguments) {
    std::vector<std::string> command{
        "dbus-send", "--session", "--print-reply", "--dest=" + destination, path, method};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command).second;
}

std::optional<HeadlessSession::Seen> HeadlessSession::window(const std::string& caption) {
    const std::string log = readFile(compositorLog());
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

bool HeadlessSession::waitForActive(const std::string& caption, double seconds) {
    return ChildProcess::waitFor(
        [&] {
            const auto seen = window(caption);
            return seen && seen->active;
        },
        seconds);
}

std::optional<Rect> HeadlessSession::waitForFrame(const std::string& caption, const Rect& frame,
                                                  double seconds) {
    // Settled, not only reached: the frame counts once it has held for a moment.
    std::optional<Rect> seen;
    auto heldSince = std::chrono::steady_clock::now();
    ChildProcess::waitFor(
        [&] {
            const auto now = window(caption);
            const std::optional<Rect> current =
                now ? std::optional<Rect>(now->frame) : std::nullopt;
            if (current != seen || current != frame) {
                heldSince = std::chrono::steady_clock::now();
            }
            seen = current;
            return seen == frame &&
                   std::chrono::steady_clock::now() - heldSince > std::chrono::milliseconds(200);
        },
        seconds);
    return seen;
}

bool HeadlessSession::pressUntilFrame(const std::string& caption, unsigned evdevCode,
                                      const std::vector<std::string>& modifiers, const Rect& frame,
                                      double seconds) {
    return ChildProcess::waitFor(
        [&] { return press(evdevCode, modifiers) && waitForFrame(caption, frame, 1) == frame; },
        seconds);
}

} // namespace panemark
