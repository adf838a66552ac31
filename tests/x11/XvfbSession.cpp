#include "XvfbSession.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace panemark {

namespace {

pid_t startProcess(const std::vector<std::string>& argv, const std::string& display,
                   const std::string& outputFile = "") {
    const pid_t pid = fork();
    if (pid == 0) {
        // Whatever becomes of the test, its servers and clients die with it; a group of its own
        // lets the helpers a program starts (a D-Bus session) be stopped with it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        setpgid(0, 0);
        if (!display.empty()) {
            setenv("DISPLAY", display.c_str(), 1);
        }
        // No session bus unless a test brings its own (dbus-run-session sets this for what it
        // runs): otherwise the first D-Bus client would autolaunch a bus daemon that outlives
        // the test and writes into its runtime folder.
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/panemark-tests-have-no-bus", 0);
        const int devNull = open("/dev/null", O_RDWR);
        const int output = outputFile.empty()
                               ? devNull
                               : open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(devNull, STDIN_FILENO);
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

// Stops a child that has not been reaped yet. A reaped one's number may belong to another
// process by now, so it is left alone: waitpid says ECHILD for anything not ours to reap.
void stop(pid_t pid) {
    if (pid <= 0 || waitpid(pid, nullptr, WNOHANG) != 0) {
        return;
    }
    kill(-pid, SIGTERM); // the whole group
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            kill(-pid, SIGKILL); // whatever of the group is left
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Whether a window property of the root (a list of windows, or one) names the window.
bool names(xcb_connection_t* connection, xcb_window_t root, const std::string& name,
           xcb_window_t window) {
    auto* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
        nullptr);
    bool listed = false;
    if (atom) {
        auto* reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1024),
            nullptr);
        if (reply) {
            const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
            const int count = xcb_get_property_value_length(reply) / 4;
            listed = std::find(windows, windows + count, window) != windows + count;
        }
        free(reply);
    }
    free(atom);
    return listed;
}

// Until the window manager has let go of a window: listed no more, nor named the active one
// (a busy manager clears that a moment later, and a test may look at it first thing).
void waitUntilUnmanaged(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window) {
    // Ten seconds at most: a window manager on a machine busy with other tests takes its time.
    for (int attempt = 0; attempt < 2000 && (names(connection, root, "_NET_CLIENT_LIST", window) ||
                                             names(connection, root, "_NET_ACTIVE_WINDOW", window));
         ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The digits Xvfb writes once it accepts connections; empty if it does not within ten seconds.
std::string readDisplayNumber(int descriptor) {
    std::string digits;
    pollfd readable{descriptor, POLLIN, 0};
    while (poll(&readable, 1, 10000) > 0) {
        char c = 0;
        if (read(descriptor, &c, 1) != 1 || c == '\n') {
            break;
        }
        digits.push_back(c);
    }
    return digits;
}

} // namespace

XvfbSession::XvfbSession(int width, int height, WindowManager manager)
    : width_(width), height_(height) {
    if (const char* previous = std::getenv("DISPLAY")) {
        hadDisplay_ = true;
        previousDisplay_ = previous;
    }
    // Xvfb picks a free display number itself and writes it to this pipe, so parallel tests
    // never race for one.
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        problem_ = "no pipe for Xvfb";
        return;
    }
    const std::string size = std::to_string(width) + "x" + std::to_string(height) + "x24";
    server_ = startProcess({"Xvfb", "-displayfd", std::to_string(pipeEnds[1]), "-screen", "0", size,
                            "-nolisten", "tcp", "+extension", "RANDR"},
                           "");
    close(pipeEnds[1]);
    display_ = ":" + readDisplayNumber(pipeEnds[0]);
    close(pipeEnds[0]);
    if (display_ == ":") {
        problem_ = "Xvfb did not start";
        return;
    }
    setenv("DISPLAY", display_.c_str(), 1);
    if (manager == WindowManager::none) {
        ready_ = true;
        return;
    }
    std::vector<std::string> command;
    switch (manager) {
    case WindowManager::openbox:
        command = {"openbox", "--sm-disable", "--config-file", OPENBOX_TEST_CONFIG};
        break;
    case WindowManager::metacity:
        command = {"metacity", "--sm-disable"};
        break;
    case WindowManager::xfwm4:
        // A session bus of its own, and no accessibility bus to wait for.
        command = {"env", "NO_AT_BRIDGE=1", "GTK_A11Y=none",    "dbus-run-session",
                   "--",  "xfwm4",          "--compositor=off", "--sm-client-disable"};
        break;
    case WindowManager::icewm:
        command = {"icewm"};
        break;
    case WindowManager::marco:
        command = {"env", "NO_AT_BRIDGE=1", "GTK_A11Y=none", "dbus-run-session",
                   "--",  "marco",          "--sm-disable"};
        break;
    case WindowManager::cinnamon:
        // Settings of its own, which name the keyboard layout as a user's do after the first
        // login (without one, Cinnamon 6.6 asks localed on the system bus, which is not here);
        // and newer muffin asks the session which kind it is, as a display manager tells it.
        settingsFolder_ =
            (std::filesystem::temp_directory_path() /
             ("panemark-cinnamon-" + std::to_string(getpid()) + "-" + display_.substr(1)))
                .string();
        std::filesystem::create_directories(settingsFolder_);
        command = {"env",
                   "NO_AT_BRIDGE=1",
                   "GTK_A11Y=none",
                   "XDG_SESSION_TYPE=x11",
                   "XDG_CONFIG_HOME=" + settingsFolder_,
                   "dbus-run-session",
                   "--",
                   "sh",
                   "-c",
                   "gsettings set org.cinnamon.desktop.input-sources sources \"[('xkb', 'us')]\" "
                   "&& exec cinnamon --sm-disable"};
        break;
    case WindowManager::i3:
        command = {"i3", "-c", I3_TEST_CONFIG};
        break;
    case WindowManager::none:
        break;
    }
    children_.push_back(startProcess(command, display_));
    ready_ = waitForWindowManager();
    if (!ready_) {
        problem_ = std::string(nameOf(manager)) + " did not start on " + display_;
    }
}

const char* XvfbSession::nameOf(WindowManager manager) {
    switch (manager) {
    case WindowManager::openbox:
        return "openbox";
    case WindowManager::metacity:
        return "metacity";
    case WindowManager::xfwm4:
        return "xfwm4";
    case WindowManager::icewm:
        return "icewm";
    case WindowManager::marco:
        return "marco";
    case WindowManager::cinnamon:
        return "cinnamon";
    case WindowManager::i3:
        return "i3";
    case WindowManager::none:
        break;
    }
    return "no window manager";
}

XvfbSession::~XvfbSession() {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        stop(*it);
    }
    stop(server_);
    if (!settingsFolder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(settingsFolder_, ignored);
    }
    if (hadDisplay_) {
        setenv("DISPLAY", previousDisplay_.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}

bool XvfbSession::waitForWindowManager() const {
    // Ready when a freshly mapped window gets managed (the window manager gives it WM_STATE):
    // openbox announces itself a little before it manages new windows.
    xcb_connection_t* connection = xcb_connect(display_.c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const char name[] = "WM_STATE";
    auto* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof(name) - 1, name), nullptr);
    const xcb_atom_t wmState = atom ? atom->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    free(atom);
    bool managed = false;
    // Thirty seconds at most: Cinnamon draws with software GL, slowly on a busy machine.
    for (int attempt = 0; attempt < 150 && !managed; ++attempt) {
        const xcb_window_t probe = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(connection, probe);
        xcb_flush(connection);
        for (int poll = 0; poll < 20 && !managed; ++poll) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            auto* reply = xcb_get_property_reply(
                connection,
                xcb_get_property(connection, 0, probe, wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 2),
                nullptr);
            managed = reply && xcb_get_property_value_length(reply) > 0;
            free(reply);
        }
        xcb_destroy_window(connection, probe);
        xcb_flush(connection);
        if (managed) {
            // The next client may be handed the same window ids: wait until openbox has let go of
            // the probe, or it could mistake a new window for it.
            waitUntilUnmanaged(connection, screen->root, probe);
        }
    }
    xcb_disconnect(connection);
    return managed;
}

bool XvfbSession::run(const std::vector<std::string>& argv) const {
    const pid_t pid = startProcess(argv, display_);
    const std::optional<int> status = waitForExit(pid, runTimeoutSeconds);
    if (!status) {
        stop(pid);
        return false;
    }
    return WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

std::optional<int> XvfbSession::waitForExit(pid_t pid, double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<int>(timeoutSeconds * 1000));
    do {
        int status = 0;
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid) {
            return status;
        }
        if (ended < 0) {
            return std::nullopt; // not a child of ours (any more)
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

pid_t XvfbSession::spawn(const std::vector<std::string>& argv, const std::string& outputFile) {
    const pid_t pid = startProcess(argv, display_, outputFile);
    children_.push_back(pid);
    return pid;
}

void XvfbSession::stopServer() {
    stop(server_);
    server_ = -1;
}

bool XvfbSession::splitIntoTwoMonitors() const {
    const std::string half = std::to_string(width_ / 2);
    const std::string h = std::to_string(height_);
    return run({"xrandr", "--setmonitor", "L", half + "/338x" + h + "/381+0+0", "screen"}) &&
           run({"xrandr", "--setmonitor", "R", half + "/338x" + h + "/381+" + half + "+0", "none"});
}

bool XvfbSession::splitIntoMonitors(const std::vector<Rect>& monitors) const {
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const Rect& m = monitors[i];
        const auto whole = [](double value) { return std::to_string(static_cast<int>(value)); };
        // A size in pixels and millimetres (96 dpi), and its place.
        const std::string geometry = whole(m.width) + "/" + whole(m.width * 254 / 960) + "x" +
                                     whole(m.height) + "/" + whole(m.height * 254 / 960) + "+" +
                                     whole(m.x) + "+" + whole(m.y);
        if (!run({"xrandr", "--setmonitor", "M" + std::to_string(i), geometry,
                  i == 0 ? "screen" : "none"})) {
            return false;
        }
    }
    return true;
}

} // namespace panemark
