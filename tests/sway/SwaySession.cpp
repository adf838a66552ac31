#include "SwaySession.h"

#include "../support/ChildProcess.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace panemark {

namespace {

constexpr uid_t nobody = 65534;

bool isRoot() {
    return ::getuid() == 0;
}

void handTo(const std::filesystem::path& path) {
    if (isRoot()) {
        [[maybe_unused]] const int ignored = ::chown(path.c_str(), nobody, nobody);
    }
}

} // namespace

using ChildProcess::waitFor;

SwaySession::SwaySession() {
    root_ = std::filesystem::temp_directory_path() /
            ("panemark-sway-" + std::to_string(::getpid()) + "-" +
             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    runtime_ = root_ / "runtime";
    home_ = root_ / "home";
    for (const auto& folder : {root_, runtime_, home_, home_ / "Panemark"}) {
        std::filesystem::create_directories(folder);
        handTo(folder);
    }
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all |
                                            std::filesystem::perms::group_exec |
                                            std::filesystem::perms::others_exec);
    std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);
    std::ofstream(home_ / "Panemark" / "Panemark.conf")
        << "[General]\nPanemark.showSplashAtLaunch=false\n"
        // Each command's frame is then final the moment it shows: the test moves on at once.
        << "Panemark.animateWindows=false\n";
    handTo(home_ / "Panemark" / "Panemark.conf");
    const std::filesystem::path config = root_ / "config";
    std::ofstream(config) << baseConfig;
    std::filesystem::permissions(config, std::filesystem::perms::owner_all |
                                             std::filesystem::perms::others_read);
    sway_ = start({"sway", "-c", config.string()}, (root_ / "sway.log").string(), true);
    // Its sockets appear in the runtime folder once it listens.
    const bool listening = waitFor(
        [&] {
            for (const auto& entry : std::filesystem::directory_iterator(runtime_)) {
                const std::string name = entry.path().filename().string();
                if (name.starts_with("sway-ipc.")) {
                    swaySocket_ = entry.path().string();
                } else if (name.starts_with("wayland-") && !name.ends_with(".lock")) {
                    waylandDisplay_ = entry.path().string();
                }
            }
            return !swaySocket_.empty() && !waylandDisplay_.empty();
        },
        15);
    if (!listening) {
        problem_ = "sway did not start (see " + (root_ / "sway.log").string() + ")";
        return;
    }
    ipc_ = std::make_unique<I3IpcClient>(swaySocket_);
    // Ready once both outputs show a workspace with its bar taken off.
    ready_ = waitFor(
        [&] {
            const auto outputs =
                I3IpcReplies::outputs(ask(I3IpcCodec::getOutputs), ask(I3IpcCodec::getWorkspaces));
            return outputs && outputs.value().size() == 2 && outputs.value()[0].usable.y > 0 &&
                   outputs.value()[1].usable.y > 0;
        },
        15);
    if (!ready_) {
        problem_ = "sway did not set up its two outputs and bars";
        return;
    }
    // Every test starts on the first output: sway 1.10 and later give the focus to the output
    // made last, older ones to the first.
    ready_ = ipc_->request(I3IpcCodec::runCommand, "focus output HEADLESS-1", 5).ok();
    if (!ready_) {
        problem_ = "sway did not focus its first output";
    }
}

SwaySession::~SwaySession() {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        ChildProcess::stop(*it);
    }
    ChildProcess::stop(sway_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::map<std::string, std::string> SwaySession::environment() const {
    return {
        {"PATH", "/usr/local/bin:/usr/bin:/bin"},
        {"HOME", home_.string()},
        {"XDG_RUNTIME_DIR", runtime_.string()},
        {"XDG_CONFIG_HOME", home_.string()},
        {"XDG_DATA_HOME", home_.string()},
        {"XDG_CURRENT_DESKTOP", "sway"},
        {"XDG_SESSION_TYPE", "wayland"},
        {"WAYLAND_DISPLAY", waylandDisplay_},
        {"SWAYSOCK", swaySocket_},
        {"I3SOCK", swaySocket_},
        // Nobody's bus: Qt and GTK must not wait for one.
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"},
        {"WLR_BACKENDS", "headless"},
        {"WLR_LIBINPUT_NO_DEVICES", "1"},
        {"WLR_RENDERER", "pixman"},
        {"WLR_HEADLESS_OUTPUTS", "2"},
    };
}

pid_t SwaySession::start(const std::vector<std::string>& argv, const std::string& outputFile,
                         bool asSessionUser) {
    return ChildProcess::start(argv, environment(), outputFile, [asSessionUser]() -> int {
        if (asSessionUser && isRoot() &&
            (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)) {
            return 126;
        }
        return 0;
    });
}

std::string SwaySession::program(const std::string& path) {
    if (!isRoot()) {
        return path;
    }
    const std::filesystem::path copy = root_ / "bin" / std::filesystem::path(path).filename();
    if (!std::filesystem::exists(copy)) {
        std::filesystem::create_directories(copy.parent_path());
        std::filesystem::permissions(copy.parent_path(), std::filesystem::perms::owner_all |
                                                             std::filesystem::perms::others_read |
                                                             std::filesystem::perms::others_exec);
        std::filesystem::copy_file(path, copy);
        std::filesystem::permissions(copy, std::filesystem::perms::owner_all |
                                               std::filesystem::perms::others_read |
                                               std::filesystem::perms::others_exec);
    }
    return copy.string();
}

pid_t SwaySession::spawn(const std::vector<std::string>& argv, const std::string& outputFile) {
    const pid_t pid = start(argv, outputFile, true);
    children_.push_back(pid);
    return pid;
}

std::pair<int, std::string> SwaySession::run(const std::vector<std::string>& argv) {
    const std::filesystem::path output =
        root_ /
        ("run-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::ofstream(output).close();
    handTo(output);
    const int status = ChildProcess::finish(start(argv, output.string(), true), 30);
    std::ifstream file(output);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return {status, text};
}

bool SwaySession::press(unsigned evdevCode, const std::vector<std::string>& modifiers) {
    std::vector<std::string> command{"env", "PANEMARK_TEST_XKB_LAYOUT=" + keyboardLayouts_,
                                     "PANEMARK_TEST_XKB_GROUP=" + std::to_string(activeLayout_),
                                     VIRTUAL_KEYBOARD, std::to_string(evdevCode)};
    command.insert(command.end(), modifiers.begin(), modifiers.end());
    return ChildProcess::finish(start(command, "", false), 30) == 0;
}

std::string SwaySession::ask(std::uint32_t type, const std::string& payload) {
    Result<std::string> reply = ipc_->request(type, payload, 5);
    return reply ? reply.value() : std::string();
}

std::optional<I3IpcReplies::Window> SwaySession::focusedWindow() {
    const auto focused =
        I3IpcReplies::focusedWindow(ask(I3IpcCodec::getTree), I3IpcReplies::Dialect::sway);
    return focused ? focused.value() : std::nullopt;
}

std::optional<Rect> SwaySession::waitForFrame(const Rect& frame, double seconds) {
    // Settled, not only reached: under load a terminal may still commit the size it had before,
    // which sway then takes for the window's until Panemark's look after the placement puts it
    // right. The frame counts once it has held through that look.
    std::optional<Rect> seen;
    bool held = false;
    auto heldSince = std::chrono::steady_clock::now();
    waitFor(
        [&] {
            const std::optional<I3IpcReplies::Window> window = focusedWindow();
            seen = window ? std::optional<Rect>(window->frame) : std::nullopt;
            if (seen != frame) {
                held = false;
                return false;
            }
            const auto now = std::chrono::steady_clock::now();
            if (!held) {
                held = true;
                heldSince = now;
            }
            return now - heldSince >= std::chrono::milliseconds(200);
        },
        seconds);
    return seen;
}

std::string SwaySession::reloadConfig(const std::string& extraLines) {
    {
        std::ofstream config(root_ / "config", std::ios::trunc);
        config << baseConfig << extraLines;
    }
    return ask(I3IpcCodec::runCommand, "reload");
}

} // namespace panemark
